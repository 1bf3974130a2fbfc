// Base64 decoding over arbitrary text (picture and binary field values that
// a host sets). The length and the verdict are checked against the alphabet
// count, and whatever decodes encodes back to text that decodes the same.
#include "ZrCoreLib/ZrBase64.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition) abort();
}

bool InAlphabet(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (size_t(1) << 16)) return 0;
    const char* text = reinterpret_cast<const char*>(data);
    // What the text should give: sextets up to the first "=", then only
    // padding and blanks; a lone sixth bit-group makes no byte.
    size_t sextets = 0, i = 0;
    bool valid = true;
    for (; i < size && text[i] != '='; ++i) {
        if (InAlphabet(text[i]))
            ++sextets;
        else if (!IsBlank(text[i]))
            valid = false;
    }
    for (; i < size; ++i)
        valid = valid && (text[i] == '=' || IsBlank(text[i]));
    valid = valid && sextets % 4 != 1;

    std::vector<uint8_t> out(3, 0xAA);
    const bool ok = ZrBase64::Decode(text, size, out);
    Check(ok == valid);
    if (!ok) {
        Check(out.empty());
        return 0;
    }
    Check(out.size() == sextets * 6 / 8);
    std::vector<uint8_t> again;
    Check(ZrBase64::Decode(ZrBase64::Encode(out), again) && again == out);
    return 0;
}
