// The network reader and the ICY reader together over arbitrary bytes, as a
// radio server would send them: byte 0 chooses the client's side (bit 0:
// ask for ICY metadata; bits 1-3: the read size; bit 4: seek back to the
// start once half-way), the rest is the server's whole answer, response head
// (or heads, one per redirect) and body. A server thread sends it on every
// connection to a loopback port, to which the reader sends every request.
// The stand-in reader library is not linked into fuzz targets, so its
// network reader's source is compiled in here.
#include "standins/ZrReader/CHttpReader.cpp"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>
#include <vector>

#include "input/CIcyReader.h"

namespace {

constexpr size_t kMaxAnswerBytes = 65536;

int g_listener = -1;
int g_port = 0;

void Check(bool condition) {
    if (!condition) abort();
}

// Answers each connection with the same bytes until stopped. Connections
// stay open (write side shut) until then, so that nothing the client has
// not read is reset away.
class AnswerServer {
public:
    AnswerServer(const uint8_t* bytes, size_t size) {
        if (pipe2(m_wake, O_CLOEXEC) != 0) abort();
        m_thread = std::thread([this, bytes, size] { Serve(bytes, size); });
    }
    ~AnswerServer() {
        const char stop = 0;
        if (write(m_wake[1], &stop, 1) != 1) abort();
        m_thread.join();
        for (int fd : m_clients)
            close(fd);
        close(m_wake[0]);
        close(m_wake[1]);
    }

private:
    // Waits for `events` on `fd`; false once told to stop.
    bool Wait(int fd, short events) {
        pollfd p[2] = {{fd, events, 0}, {m_wake[0], POLLIN, 0}};
        while (poll(p, 2, -1) < 0) {
        }
        return !(p[1].revents & POLLIN);
    }

    void Serve(const uint8_t* bytes, size_t size) {
        while (Wait(g_listener, POLLIN)) {
            const int fd = accept4(g_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            m_clients.push_back(fd);
            for (size_t sent = 0; sent < size;) {
                if (!Wait(fd, POLLOUT)) return;
                const ssize_t n = send(fd, bytes + sent, size - sent, MSG_NOSIGNAL);
                if (n <= 0) break;
                sent += size_t(n);
            }
            shutdown(fd, SHUT_WR);
        }
    }

    int m_wake[2] = {-1, -1};
    std::vector<int> m_clients;
    std::thread m_thread;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Answers end with their connection; a deadline is only a backstop.
    setenv("TONEHALL_HTTP_OPEN_SECONDS", "5", 1);
    setenv("TONEHALL_HTTP_STALL_SECONDS", "5", 1);
    g_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (bind(g_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(g_listener, 8) != 0 ||
        getsockname(g_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        abort();
    g_port = ntohs(address.sin_port);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > kMaxAnswerBytes + 1) return 0;
    const uint8_t options = data[0];
    AnswerServer server(data + 1, size - 1);

    auto* http = new CHttpReader("http://radio.invalid/stream");
    http->ConnectOnlyToLoopback(g_port);
    http->SetProperty(L"Set Support ICY Metadata", ZrString(options & 1 ? L"1" : L""));
    if (!http->OpenRead()) {
        Check(!http->GetInfo(L"LastError").IsEmpty());
        delete http;
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
        // Audio never outnumbers the bytes of the answer.
        Check(delivered <= int64_t(size));
        if (!seeked && delivered > int64_t(size / 2)) {
            seeked = true;
            if (icy.Seek(0, 0) == 0) delivered = 0;
        }
        if (got < chunk) break;
    }
    icy.GetInfo(L"ICY Title");
    icy.GetInfo(L"ResponseHeader:icy-name");
    return 0;
}
