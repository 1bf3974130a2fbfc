// The network reader and the ICY reader together over arbitrary bytes, as a
// radio server would send them: byte 0 chooses the client's side (bit 0:
// ask for ICY metadata; bits 1-3: the read size; bit 4: seek back to the
// start once half-way), the rest is the server's whole answer, response head
// (or heads, one per redirect) and body, which curl receives through one end
// of a socket pair. The stand-in reader library is not linked into fuzz
// targets, so its network reader's source is compiled in here.
#include "standins/ZrReader/CHttpReader.cpp"

#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "input/CIcyReader.h"

namespace {

// Within what a socket pair buffers, so that the whole answer can be written
// before the reader starts, on this one thread.
constexpr size_t kMaxAnswerBytes = 65536;

void Check(bool condition) {
    if (!condition) abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // An answer that stops short must fail at once, never wait on a deadline.
    setenv("TONEHALL_HTTP_OPEN_SECONDS", "5", 1);
    setenv("TONEHALL_HTTP_STALL_SECONDS", "5", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > kMaxAnswerBytes + 1) return 0;
    const uint8_t options = data[0];
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return 0;
    const int buffer = int(kMaxAnswerBytes * 2);
    setsockopt(ends[1], SOL_SOCKET, SO_SNDBUF, &buffer, sizeof(buffer));
    setsockopt(ends[0], SOL_SOCKET, SO_RCVBUF, &buffer, sizeof(buffer));
    for (size_t sent = 1; sent < size;) {
        const ssize_t n = send(ends[1], data + sent, size - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n <= 0) break;
        sent += size_t(n);
    }
    shutdown(ends[1], SHUT_WR);

    auto* http = new CHttpReader("http://127.0.0.1/stream");
    http->UseConnectedSocket(ends[0]);
    http->SetProperty(L"Set Support ICY Metadata", ZrString(options & 1 ? L"1" : L""));
    if (!http->OpenRead()) {
        Check(!http->GetInfo(L"LastError").IsEmpty());
        delete http;
        close(ends[1]);
        return 0;
    }
    CIcyReader icy(http, true, true);
    static constexpr uint32_t kSizes[] = {1, 7, 16, 100, 4096, 16384, 65536, 70000};
    const uint32_t chunk = kSizes[(options >> 1) & 7];
    std::vector<uint8_t> out(chunk);
    bool seeked = !(options & 16);
    int64_t delivered = 0;
    for (;;) {
        const uint32_t got = icy.Read(out.data(), chunk);
        Check(got <= chunk);
        delivered += got;
        Check(delivered <= int64_t(size));
        if (!seeked && delivered > int64_t(size / 2)) {
            seeked = true;
            if (icy.Seek(0, 0) == 0) delivered = 0;
        }
        if (got < chunk) break;
    }
    icy.GetInfo(L"ICY Title");
    icy.GetInfo(L"ResponseHeader:icy-name");
    close(ends[1]);
    return 0;
}
