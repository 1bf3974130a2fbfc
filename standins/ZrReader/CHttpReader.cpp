#include "standins/ZrReader/CHttpReader.h"
#include "standins/ZrReader/CHttpResponseHead.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <cwctype>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr size_t kReceiveChunk = 65536;
// Content-Length and Range values beyond this are not files anyone streams;
// the cap keeps the arithmetic far from overflow.
constexpr int64_t kMaxResourceBytes = int64_t(1) << 50;

struct Url {
    std::string host; // without brackets
    std::string port; // digits
    std::string path; // from "/", query included, fragment removed
    std::string hostHeader;
};

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return s;
}

// A non-negative decimal number made of digits only, within the cap.
bool ParseCount(const std::string& text, int64_t& value) {
    if (text.empty() || text.size() > 16) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return value <= kMaxResourceBytes;
}

bool ParseUrl(const std::string& text, Url& url) {
    if (text.size() > CHttpReader::kMaxUrlBytes ||
        !CHttpResponseHead::StartsWithNoCase(text, "http://"))
        return false;
    const std::string rest = text.substr(7);
    const size_t end = rest.find_first_of("/?#");
    std::string authority = rest.substr(0, end);
    std::string path = end == std::string::npos ? "/" : rest.substr(end);
    const size_t at = authority.rfind('@');
    if (at != std::string::npos) authority.erase(0, at + 1);
    const size_t fragment = path.find('#');
    if (fragment != std::string::npos) path.erase(fragment);
    if (path.empty() || path[0] != '/') path.insert(0, "/");

    std::string port = "80";
    if (!authority.empty() && authority[0] == '[') {
        const size_t close = authority.find(']');
        if (close == std::string::npos) return false;
        url.host = authority.substr(1, close - 1);
        if (close + 1 < authority.size()) {
            if (authority[close + 1] != ':') return false;
            port = authority.substr(close + 2);
        }
    } else {
        const size_t colon = authority.find(':');
        url.host = authority.substr(0, colon);
        if (colon != std::string::npos) port = authority.substr(colon + 1);
    }
    int64_t portNumber = 0;
    if (url.host.empty() || !ParseCount(port, portNumber) || portNumber < 1 || portNumber > 65535) {
        return false;
    }
    for (char c : url.host) {
        if (!isalnum(static_cast<unsigned char>(c)) && !strchr(".-_:%", c)) return false;
    }
    // The path goes into the request line: no control characters there, and
    // anything outside printable ASCII travels percent-encoded.
    std::string encoded;
    for (unsigned char c : path) {
        if (c < 0x20 || c == 0x7F) return false;
        if (c == ' ' || c >= 0x80) {
            static const char kHex[] = "0123456789ABCDEF";
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 15];
        } else {
            encoded += static_cast<char>(c);
        }
    }
    url.port = port;
    url.path = encoded;
    url.hostHeader = url.host.find(':') != std::string::npos ? "[" + url.host + "]" : url.host;
    if (portNumber != 80) url.hostHeader += ":" + port;
    return true;
}

// The target of a redirect, relative to the URL that answered it.
std::string ResolveLocation(const std::string& base, const std::string& location) {
    if (CHttpResponseHead::StartsWithNoCase(location, "http://")) return location;
    if (location.find("://") != std::string::npos) return std::string(); // https and the like
    if (location.compare(0, 2, "//") == 0) return "http:" + location;
    const size_t authorityEnd = base.find('/', 7);
    const std::string origin = base.substr(0, authorityEnd);
    if (!location.empty() && location[0] == '/') return origin + location;
    std::string dir = authorityEnd == std::string::npos ? "/" : base.substr(authorityEnd);
    dir.erase(std::min(dir.find_first_of("?#"), dir.size()));
    dir.erase(dir.rfind('/') + 1);
    return origin + dir + location;
}

bool WaitFor(int fd, short events, int timeoutMs = CHttpReader::kTimeoutMs) {
    pollfd p{fd, events, 0};
    for (;;) {
        const int r = poll(&p, 1, std::max(timeoutMs, 0));
        if (r > 0) return true;
        if (r == 0 || errno != EINTR) return false;
    }
}

int Dial(const Url& url) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(url.host.c_str(), url.port.c_str(), &hints, &found) != 0) return -1;
    int fd = -1;
    for (addrinfo* a = found; a; a = a->ai_next) {
        fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        if (connect(fd, a->ai_addr, a->ai_addrlen) == 0) break;
        if (errno == EINPROGRESS && WaitFor(fd, POLLOUT)) {
            int error = 0;
            socklen_t length = sizeof(error);
            if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) break;
        }
        close(fd);
        fd = -1;
    }
    freeaddrinfo(found);
    return fd;
}

bool SendAll(int fd, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!WaitFor(fd, POLLOUT)) return false;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

CHttpReader::CHttpReader(std::string url)
    : VBaseReader(kZrReaderKindHttp), m_url(std::move(url)), m_finalUrl(m_url) {}

CHttpReader::~CHttpReader() {
    CloseSocket();
}

bool CHttpReader::IsHttpUrl(const wchar_t* path) {
    static const wchar_t kPrefix[] = L"http://";
    if (!path) return false;
    for (int i = 0; kPrefix[i]; ++i) {
        if (towlower(static_cast<wint_t>(path[i])) != static_cast<wint_t>(kPrefix[i])) return false;
    }
    return true;
}

bool CHttpReader::OpenRead() {
    CloseSocket();
    m_open = false;
    m_headers.clear();
    m_finalUrl = m_url;
    m_position = 0;
    if (!Connect(0)) return false;
    m_open = true;
    return true;
}

bool CHttpReader::Connect(int64_t from) {
    CloseSocket();
    const bool opening = !m_open;
    std::string target = m_finalUrl;
    for (int redirects = 0;; ++redirects) {
        Url url;
        if (!ParseUrl(target, url)) return false;
        m_fd = Dial(url);
        if (m_fd < 0) return false;
        std::string request = "GET " + url.path + " HTTP/1.0\r\nHost: " + url.hostHeader +
                              "\r\nUser-Agent: Tonehall\r\nAccept: */*\r\n";
        if (GetProperty(L"Set Support ICY Metadata") == L"1") request += "Icy-MetaData: 1\r\n";
        if (from > 0) request += "Range: bytes=" + std::to_string(from) + "-\r\n";
        request += "Connection: close\r\n\r\n";
        CHttpResponseHead response;
        std::string body;
        if (!SendAll(m_fd, request) || !ReadResponseHead(response, body)) {
            CloseSocket();
            return false;
        }
        const int status = response.GetStatus();
        if (status == 301 || status == 302 || status == 303 || status == 307 || status == 308) {
            CloseSocket();
            const std::string* location = response.Find("location");
            if (!location || redirects == kMaxRedirects) return false;
            target = ResolveLocation(target, *location);
            if (target.empty()) return false;
            continue;
        }
        if (status != 200 && !(status == 206 && from > 0)) {
            CloseSocket();
            return false;
        }
        const std::string* te = response.Find("transfer-encoding");
        if (te && Lower(*te) != "identity") {
            CloseSocket();
            return false;
        }
        int64_t length = -1;
        if (const std::string* cl = response.Find("content-length")) {
            if (!ParseCount(*cl, length)) {
                CloseSocket();
                return false;
            }
        }
        int64_t start = 0;
        if (status == 206) {
            // "bytes <first>-<last>/<total>": the body must begin where asked.
            const std::string* range = response.Find("content-range");
            int64_t rangeStart = -1;
            if (!range || !CHttpResponseHead::StartsWithNoCase(*range, "bytes ") ||
                !ParseCount(range->substr(6, range->find('-') - 6), rangeStart) ||
                rangeStart != from) {
                CloseSocket();
                return false;
            }
            start = from;
        }
        m_finalUrl = target;
        if (opening) {
            m_headers = std::move(response.Fields());
            m_live = length < 0;
            m_size = length;
            if (m_buffer.size() != kBackBufferBytes) m_buffer.assign(kBackBufferBytes, 0);
        }
        m_bufferStart = start;
        m_received = start;
        Append(reinterpret_cast<const uint8_t*>(body.data()), body.size());
        return true;
    }
}

bool CHttpReader::ReadResponseHead(CHttpResponseHead& head, std::string& body) {
    std::string bytes;
    char chunk[4096];
    // One deadline for the whole head: a server trickling it byte by byte
    // must not hold the reader longer than a silent one.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTimeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (!WaitFor(m_fd, POLLIN, int(left.count()))) return false;
        const ssize_t n = recv(m_fd, chunk, sizeof(chunk), 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return false;
        bytes.append(chunk, static_cast<size_t>(n));
        switch (head.Parse(bytes.data(), bytes.size())) {
        case CHttpResponseHead::Result::Complete:
            body = bytes.substr(head.GetBodyOffset());
            return true;
        case CHttpResponseHead::Result::Malformed:
            return false;
        case CHttpResponseHead::Result::Incomplete:
            break;
        }
    }
}

void CHttpReader::Append(const uint8_t* bytes, size_t count) {
    if (m_size >= 0 && m_received + int64_t(count) > m_size) {
        // Bytes beyond the announced length are not part of the resource.
        count = m_received >= m_size ? 0 : static_cast<size_t>(m_size - m_received);
    }
    while (count > 0) {
        const size_t at = static_cast<size_t>(m_received % int64_t(kBackBufferBytes));
        const size_t n = std::min(count, kBackBufferBytes - at);
        memcpy(m_buffer.data() + at, bytes, n);
        bytes += n;
        count -= n;
        m_received += int64_t(n);
    }
    m_bufferStart = std::max(m_bufferStart, m_received - int64_t(kBackBufferBytes));
}

bool CHttpReader::Receive() {
    if (m_fd < 0) return false;
    if (m_size >= 0 && m_received >= m_size) return false;
    uint8_t chunk[kReceiveChunk];
    for (;;) {
        if (!WaitFor(m_fd, POLLIN)) break;
        const ssize_t n = recv(m_fd, chunk, sizeof(chunk), 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) break;
        Append(chunk, static_cast<size_t>(n));
        return true;
    }
    CloseSocket();
    return false;
}

bool CHttpReader::ReceiveUpTo(int64_t target) {
    while (m_received < target) {
        if (!Receive()) return false;
    }
    return true;
}

uint32_t CHttpReader::Read(void* buffer, uint32_t count) {
    if (!m_open) return 0;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    uint32_t done = 0;
    while (done < count) {
        if (m_size >= 0 && m_position >= m_size) break;
        if (m_position < m_bufferStart || m_position > m_received) break;
        if (m_position == m_received) {
            if (!Receive()) break;
            continue;
        }
        const size_t at = static_cast<size_t>(m_position % int64_t(kBackBufferBytes));
        const size_t n = static_cast<size_t>(std::min<int64_t>(
            {int64_t(count - done), m_received - m_position, int64_t(kBackBufferBytes - at)}));
        memcpy(out + done, m_buffer.data() + at, n);
        done += static_cast<uint32_t>(n);
        m_position += int64_t(n);
    }
    return done;
}

int64_t CHttpReader::GetSize() {
    if (!m_open) return -1;
    return m_live ? m_received : m_size;
}

int64_t CHttpReader::Seek(int64_t offset, uint32_t origin) {
    if (!m_open) return -1;
    const int64_t target =
        ResolveTarget(m_position, offset, static_cast<int32_t>(origin), GetSize());
    if (target >= m_bufferStart && target <= m_received) {
        m_position = target;
        return target;
    }
    if (m_live) {
        if (target < m_bufferStart || !ReceiveUpTo(target)) return -1;
        m_position = target;
        return target;
    }
    if (target >= m_size) {
        // At or past the end: reads answer nothing, as for a file.
        m_position = target;
        return target;
    }
    if (target > m_received && target - m_received <= kReadThroughBytes && ReceiveUpTo(target)) {
        m_position = target;
        return target;
    }
    if (!Connect(target)) return -1;
    // A server that ignored the Range answered from byte 0.
    if (m_received < target && !ReceiveUpTo(target)) return -1;
    m_position = target;
    return target;
}

ZrString CHttpReader::GetInfo(const wchar_t* name) {
    if (!name) return ZrString();
    const ZrString key(name);
    std::string header;
    if (key.StartsWithNoCase(L"ResponseHeader:")) {
        header = Lower(key.Mid(15).ToUtf8());
    } else if (key.EqualsNoCase(L"X-Corvel-Library-Server")) {
        header = "x-corvel-library-server";
    } else {
        return VBaseReader::GetInfo(name);
    }
    for (const auto& h : m_headers) {
        if (h.first == header) return ZrString::FromUtf8(h.second.c_str(), int(h.second.size()));
    }
    return ZrString();
}

void CHttpReader::CloseSocket() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
}
