#pragma once

// A small HTTP/ICY server for tests: listens on 127.0.0.1 on a port the
// system picks, serves one connection at a time on its own thread, and
// answers each request with what a handler returns (head and body). A reader
// that holds a connection open without reading blocks the next request.
//
//   IcyTestServer server(IcyTestServer::ServeIcy(audio, options));
//   reader = CreateLocalReaderDLL(server.Url("/stream"));

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/IcyTestStream.h"

class IcyTestServer {
public:
    struct Request {
        std::string path;
        std::map<std::string, std::string> headers; // names lower-cased
        std::string Header(const std::string& name) const {
            const auto it = headers.find(name);
            return it == headers.end() ? std::string() : it->second;
        }
    };
    // The whole response for one request: status line, headers, blank line,
    // body. An empty string closes the connection without an answer.
    using Handler = std::function<std::string(const Request&)>;

    struct IcyOptions {
        int metaint = 8192;                        // 0: no metadata, no "icy-metaint" header
        std::function<std::string(int)> blockText; // text of block k (see MakeIcyStream)
        std::string name = "Test Radio";           // "icy-name"; empty: none
        bool contentLength = false; // false: an endless (live) stream as radio servers send it
    };

    explicit IcyTestServer(Handler handler) : m_handler(std::move(handler)) {
        m_listen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int one = 1;
        setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        socklen_t length = sizeof(address);
        if (m_listen < 0 || bind(m_listen, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            listen(m_listen, 8) != 0 ||
            getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            return;
        }
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Run(); });
    }
    ~IcyTestServer() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
        if (m_listen >= 0) close(m_listen);
    }
    IcyTestServer(const IcyTestServer&) = delete;
    IcyTestServer& operator=(const IcyTestServer&) = delete;

    bool IsRunning() const { return m_port != 0; }
    std::string Url(const std::string& path = "/") const {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }
    std::wstring WideUrl(const std::string& path = "/") const {
        const std::string url = Url(path);
        return std::wstring(url.begin(), url.end());
    }
    std::vector<Request> Requests() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }

    // The raw body ServeIcy sends to a client that asks for metadata.
    static IcyTestStream IcyBody(const std::vector<uint8_t>& audio, const IcyOptions& o) {
        return MakeIcyStream(audio, o.metaint, o.blockText);
    }

    // Serves `audio` at every path as a radio server does: with metadata
    // blocks every metaint bytes when the client sends "Icy-MetaData: 1" and
    // metaint is above 0, as plain audio otherwise.
    static Handler ServeIcy(std::vector<uint8_t> audio, IcyOptions o) {
        const IcyTestStream icy = IcyBody(audio, o);
        return [audio = std::move(audio), icy, o](const Request& r) {
            const bool meta = o.metaint > 0 && r.Header("icy-metadata") == "1";
            const std::vector<uint8_t>& body = meta ? icy.raw : audio;
            size_t from = 0;
            const std::string range = r.Header("range");
            if (o.contentLength && range.rfind("bytes=", 0) == 0) // 206 for "bytes=N-"
                from = std::min<size_t>(std::stoull(range.substr(6)), body.size());
            std::string head =
                from > 0 ? "HTTP/1.0 206 Partial Content\r\n" : "HTTP/1.0 200 OK\r\n";
            head += "Content-Type: audio/mpeg\r\n";
            if (!o.name.empty()) head += "icy-name: " + o.name + "\r\n";
            if (meta) head += "icy-metaint: " + std::to_string(o.metaint) + "\r\n";
            if (o.contentLength) {
                head += "Content-Length: " + std::to_string(body.size() - from) + "\r\n";
                if (from > 0) {
                    head += "Content-Range: bytes " + std::to_string(from) + "-" +
                            std::to_string(body.size() - 1) + "/" + std::to_string(body.size()) +
                            "\r\n";
                }
            }
            head += "\r\n";
            return head + std::string(body.begin() + long(from), body.end());
        };
    }

    // Sends the next responses `sendChunk` bytes at a time (0: at once) with
    // a pause between chunks, as a radio server paces its stream.
    void SetPacing(size_t sendChunk, int pauseMs) {
        m_sendChunk = sendChunk;
        m_pauseMs = pauseMs;
    }

private:
    void Run() {
        while (!m_stop) {
            pollfd p{m_listen, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            const int client = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            Request request;
            if (ReadRequest(client, request)) {
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_requests.push_back(request);
                }
                SendAll(client, m_handler(request));
            }
            close(client);
        }
    }

    bool ReadRequest(int fd, Request& request) {
        std::string head;
        char chunk[2048];
        while (head.find("\r\n\r\n") == std::string::npos) {
            pollfd p{fd, POLLIN, 0};
            if (m_stop || head.size() > 65536 || poll(&p, 1, 5000) <= 0) return false;
            const ssize_t n = recv(fd, chunk, sizeof(chunk), 0);
            if (n <= 0) return false;
            head.append(chunk, size_t(n));
        }
        std::istringstream lines(head);
        std::string line, method;
        std::getline(lines, line);
        if (!(std::istringstream(line) >> method >> request.path)) return false;
        while (std::getline(lines, line) && line != "\r") {
            const size_t colon = line.find(':');
            if (colon == std::string::npos) continue;
            std::string name = line.substr(0, colon);
            for (char& c : name)
                c = char(std::tolower(static_cast<unsigned char>(c)));
            const size_t v = std::min(line.find_first_not_of(' ', colon + 1), line.size() - 1);
            request.headers[name] = line.substr(v, line.size() - 1 - v); // without the CR
        }
        return true;
    }

    void SendAll(int fd, const std::string& bytes) {
        const size_t step = m_sendChunk > 0 ? m_sendChunk.load() : bytes.size();
        for (size_t sent = 0; sent < bytes.size() && !m_stop;) {
            const size_t n = std::min(step, bytes.size() - sent);
            size_t done = 0;
            while (done < n && !m_stop) {
                pollfd p{fd, POLLOUT, 0};
                if (poll(&p, 1, 50) <= 0) continue;
                const ssize_t k = send(fd, bytes.data() + sent + done, n - done, MSG_NOSIGNAL);
                if (k <= 0) return; // the client went away
                done += size_t(k);
            }
            sent += n;
            if (m_pauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(m_pauseMs));
        }
    }

    Handler m_handler;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<size_t> m_sendChunk{0};
    std::atomic<int> m_pauseMs{0};
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<Request> m_requests;
};
