// The network reader's response head parser over arbitrary bytes, fed as a
// server would deliver them: the head is parsed again after every piece, as
// the reader does after every receive. The parser lives in the stand-in
// reader library, which the fuzz targets do not link, so its one source file
// is compiled in here.
#include "standins/ZrReader/CHttpResponseHead.cpp"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t piece = 1 + data[0] % 64;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const size_t length = size - 1;
    for (size_t have = piece < length ? piece : length;; have += piece) {
        if (have > length) have = length;
        CHttpResponseHead head;
        const auto result = head.Parse(bytes, have);
        if (result == CHttpResponseHead::Result::Complete) {
            if (head.GetBodyOffset() > have || head.GetStatus() < 0 || head.GetStatus() > 999)
                abort();
            if (head.Fields().size() > CHttpResponseHead::kMaxFieldCount) abort();
            head.Find("content-length");
            break;
        }
        if (result == CHttpResponseHead::Result::Malformed || have == length) break;
    }
    return 0;
}
