#include "standins/ZrReader/CHttpReader.h"

#include <curl/curl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>

namespace {

// Content-Length and Range values beyond this are not files anyone streams;
// the cap keeps the arithmetic far from overflow.
constexpr int64_t kMaxResourceBytes = int64_t(1) << 50;

bool StartsWithNoCase(const std::string& s, const char* prefix) {
    const size_t n = strlen(prefix);
    if (s.size() < n) return false;
    for (size_t i = 0; i < n; ++i) {
        if (tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
    }
    return true;
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Trim(const std::string& s) {
    size_t a = 0;
    size_t b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t'))
        ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t'))
        --b;
    return s.substr(a, b - a);
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

// The URL as curl takes it: spaces and bytes beyond ASCII (file names in
// UTF-8) percent-encoded, control characters refused.
bool EncodeUrl(const std::string& url, std::string& encoded) {
    if (url.size() > CHttpReader::kMaxUrlBytes) return false;
    static const char kHex[] = "0123456789ABCDEF";
    for (unsigned char c : url) {
        if (c < 0x20 || c == 0x7F) return false;
        if (c == ' ' || c >= 0x80) {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 15];
        } else {
            encoded += static_cast<char>(c);
        }
    }
    return true;
}

double SecondsFromEnvironment(const char* name, double fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text) return fallback;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    return *end == '\0' && std::isfinite(value) && value > 0 && value <= 86400 ? value : fallback;
}

std::string SecondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof(text), "%g s", seconds);
    return text;
}

// Once per process, before the first handle: curl's global set-up is not
// safe to race with another thread's.
void InitialiseCurl() {
    static const bool done = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    (void)done;
}

} // namespace

CHttpReader::CHttpReader(std::string url)
    : VBaseReader(kZrReaderKindHttp), m_url(std::move(url)),
      m_openSeconds(SecondsFromEnvironment("TONEHALL_HTTP_OPEN_SECONDS", kDefaultOpenSeconds)),
      m_stallSeconds(SecondsFromEnvironment("TONEHALL_HTTP_STALL_SECONDS", kDefaultStallSeconds)) {
    InitialiseCurl();
}

CHttpReader::~CHttpReader() {
    EndTransfer();
    if (m_multi) curl_multi_cleanup(m_multi);
}

bool CHttpReader::IsHttpUrl(const wchar_t* path) {
    if (!path) return false;
    auto startsWith = [path](const wchar_t* prefix) {
        for (int i = 0; prefix[i]; ++i) {
            if (towlower(static_cast<wint_t>(path[i])) != static_cast<wint_t>(prefix[i]))
                return false;
        }
        return true;
    };
    return startsWith(L"http://") || startsWith(L"https://");
}

bool CHttpReader::OpenRead() {
    m_open = false;
    m_headers.clear();
    m_size = -1;
    m_live = false;
    if (!Connect(0)) return false;
    m_open = true;
    return true;
}

void CHttpReader::Fail(std::string why) {
    // The first reason is the one that counts: curl's error after a
    // callback refused a response only says that the callback refused it.
    if (m_lastError.empty()) m_lastError = std::move(why);
}

void CHttpReader::EndTransfer() {
    if (m_easy) {
        curl_multi_remove_handle(m_multi, m_easy);
        curl_easy_cleanup(m_easy);
        m_easy = nullptr;
    }
    curl_slist_free_all(m_requestHeaders);
    curl_slist_free_all(m_statusAliases);
    curl_slist_free_all(m_connectTo);
    m_requestHeaders = nullptr;
    m_statusAliases = nullptr;
    m_connectTo = nullptr;
    m_transferring = false;
    m_paused = false;
}

bool CHttpReader::Connect(int64_t from) {
    EndTransfer();
    m_lastError.clear();
    m_from = from;
    m_position = from;
    m_status = 0;
    m_reason.clear();
    m_headDone = false;
    m_headBytes = 0;
    m_fields.clear();
    m_curlError[0] = '\0';

    std::string url;
    if (!EncodeUrl(m_url, url)) {
        Fail("not a URL that can be fetched");
        return false;
    }
    if (!m_multi) m_multi = curl_multi_init();
    m_easy = m_multi ? curl_easy_init() : nullptr;
    if (!m_easy) {
        Fail("cannot start a transfer");
        return false;
    }
    CURL* e = m_easy;
    curl_easy_setopt(e, CURLOPT_URL, url.c_str());
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, m_curlError);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(e, CURLOPT_USERAGENT, "Tonehall");
    curl_easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, long(m_openSeconds * 1000));
    // Radio servers answer "ICY 200 OK". curl takes any "ICY" line as a
    // status line of 200; the header callback reads the real code from it.
    curl_slist* aliases = curl_slist_append(nullptr, "ICY");
    m_statusAliases = aliases;
    curl_easy_setopt(e, CURLOPT_HTTP200ALIASES, aliases);
    curl_slist* headers = nullptr;
    if (GetProperty(L"Set Support ICY Metadata") == L"1")
        headers = curl_slist_append(headers, "Icy-MetaData: 1");
    m_requestHeaders = headers;
    if (headers) curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers);
    const std::string range = std::to_string(from) + "-";
    if (from > 0) curl_easy_setopt(e, CURLOPT_RANGE, range.c_str());
    if (const char* ca = std::getenv("TONEHALL_CA_FILE"); ca && *ca) {
        curl_easy_setopt(e, CURLOPT_CAINFO, ca);
        curl_easy_setopt(e, CURLOPT_CAPATH, nullptr);
    }
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &CHttpReader::OnHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &CHttpReader::OnBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, this);
    if (m_loopbackPort > 0) {
        const std::string to = "::127.0.0.1:" + std::to_string(m_loopbackPort);
        m_connectTo = curl_slist_append(nullptr, to.c_str());
        curl_easy_setopt(e, CURLOPT_CONNECT_TO, m_connectTo);
        curl_easy_setopt(e, CURLOPT_PROXY, "");
    }
    if (curl_multi_add_handle(m_multi, e) != CURLM_OK) {
        EndTransfer();
        Fail("cannot start a transfer");
        return false;
    }
    m_transferring = true;

    // The head and a first stretch of the body within one deadline: a server
    // trickling either must not hold the caller longer than a silent one.
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(m_openSeconds));
    while (!(m_headDone && (m_received - m_bufferStart >= kOpenBytes || m_paused))) {
        if (!m_transferring) {
            // Ended: a whole short body is fine, anything else is not.
            if (m_headDone && m_lastError.empty()) return true;
            Fail("no response");
            return false;
        }
        if (Clock::now() >= deadline) {
            EndTransfer();
            Fail("timed out: the response and its first 64 KiB took longer than " +
                 SecondsText(m_openSeconds));
            return false;
        }
        Pump(deadline);
    }
    return true;
}

bool CHttpReader::Pump(Clock::time_point deadline) {
    if (!m_transferring) return false;
    const int64_t unread = m_position < m_received ? m_received - m_position : 0;
    if (m_paused && unread < int64_t(kBackBufferBytes / 2)) {
        m_paused = false;
        curl_easy_pause(m_easy, CURLPAUSE_CONT);
    }
    const int64_t before = m_received;
    const bool headBefore = m_headDone;
    int running = 0;
    curl_multi_perform(m_multi, &running);
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(m_multi, &left)) {
        if (message->msg != CURLMSG_DONE) continue;
        const CURLcode result = message->data.result;
        if (result != CURLE_OK) Fail(m_curlError[0] ? m_curlError : curl_easy_strerror(result));
        EndTransfer();
        return false;
    }
    if (m_received == before && m_headDone == headBefore && !m_paused) {
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const int ms = int(std::clamp<int64_t>(wait.count(), 0, 1000));
        curl_multi_poll(m_multi, nullptr, 0, ms, nullptr);
    }
    return true;
}

size_t CHttpReader::OnHeader(char* bytes, size_t size, size_t count, void* self) {
    return static_cast<CHttpReader*>(self)->TakeHeaderLine(bytes, size * count);
}

size_t CHttpReader::OnBody(char* bytes, size_t size, size_t count, void* self) {
    return static_cast<CHttpReader*>(self)->TakeBody(bytes, size * count);
}

size_t CHttpReader::TakeHeaderLine(const char* bytes, size_t size) {
    // Trailers of a chunked body come this way too; they change nothing.
    if (m_headDone) return size;
    m_headBytes += size;
    if (m_headBytes > kMaxHeadBytes || size > kMaxLineBytes + 2 ||
        m_fields.size() > kMaxFieldCount) {
        Fail("the response head is too large");
        return 0;
    }
    std::string line(bytes, size);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    if (StartsWithNoCase(line, "http/") || StartsWithNoCase(line, "icy ")) {
        // A new response begins: a redirect's head is forgotten. The code is
        // the three digits after the first space, the reason what follows.
        const size_t space = line.find(' ');
        const std::string code = line.substr(space + 1, 3);
        m_status = code.size() == 3 && std::all_of(code.begin(), code.end(),
                                                   [](char c) { return c >= '0' && c <= '9'; })
                       ? std::stoi(code)
                       : 0;
        m_reason = space + 4 < line.size() ? Trim(line.substr(space + 4)) : std::string();
        m_fields.clear();
        m_headBytes = size;
        m_headDone = false;
        return size;
    }
    if (line.empty()) {
        const bool interim = m_status / 100 == 1;
        const bool followed =
            m_status / 100 == 3 && std::any_of(m_fields.begin(), m_fields.end(),
                                               [](const auto& f) { return f.first == "location"; });
        if (interim || followed) return size;
        return AcceptResponse() ? size : 0;
    }
    const size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0 || line[0] == ' ' || line[0] == '\t') return size;
    if (m_fields.size() == kMaxFieldCount) {
        Fail("the response head is too large");
        return 0;
    }
    m_fields.emplace_back(Lower(Trim(line.substr(0, colon))), Trim(line.substr(colon + 1)));
    return size;
}

bool CHttpReader::AcceptResponse() {
    auto field = [this](const char* name) -> const std::string* {
        for (const auto& f : m_fields)
            if (f.first == name) return &f.second;
        return nullptr;
    };
    if (m_status != 200 && !(m_status == 206 && m_from > 0)) {
        Fail(m_status == 0
                 ? std::string("not an HTTP response")
                 : "HTTP " + std::to_string(m_status) + (m_reason.empty() ? "" : " " + m_reason));
        return false;
    }
    int64_t length = -1;
    if (const std::string* text = field("content-length")) {
        if (!ParseCount(*text, length)) {
            Fail("the response has a broken Content-Length");
            return false;
        }
    }
    int64_t start = 0;
    if (m_status == 206) {
        // "bytes <first>-<last>/<total>": the body must begin where asked.
        const std::string* range = field("content-range");
        int64_t first = -1;
        if (!range || !StartsWithNoCase(*range, "bytes ") ||
            !ParseCount(range->substr(6, range->find('-') - 6), first) || first != m_from) {
            Fail("the server answered the range request from another position");
            return false;
        }
        start = m_from;
    }
    if (!m_open) {
        m_headers = m_fields;
        m_live = length < 0;
        m_size = length;
    }
    if (m_buffer.size() != kBackBufferBytes) m_buffer.assign(kBackBufferBytes, 0);
    m_bufferStart = start;
    m_received = start;
    m_headDone = true;
    return true;
}

size_t CHttpReader::TakeBody(const char* bytes, size_t size) {
    if (!m_headDone) return size;
    size_t count = size;
    if (m_size >= 0 && m_received + int64_t(count) > m_size) {
        // Bytes beyond the announced length are not part of the resource.
        count = m_received >= m_size ? 0 : static_cast<size_t>(m_size - m_received);
    }
    // Unread bytes are never overwritten: the transfer waits for the reader.
    const int64_t unread = m_position < m_received ? m_received - m_position : 0;
    if (unread + int64_t(count) > int64_t(kBackBufferBytes)) {
        m_paused = true;
        return CURL_WRITEFUNC_PAUSE;
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
    return size;
}

bool CHttpReader::Receive() {
    if (m_size >= 0 && m_received >= m_size) return false;
    const int64_t before = m_received;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(m_stallSeconds));
    while (m_received == before) {
        if (!m_transferring) return false;
        if (Clock::now() >= deadline) {
            EndTransfer();
            Fail("the stream stalled: no data for " + SecondsText(m_stallSeconds));
            return false;
        }
        Pump(deadline);
    }
    return true;
}

bool CHttpReader::ReceiveUpTo(int64_t target) {
    while (m_received < target) {
        m_position = m_received; // what is skipped need not be kept
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
        const int64_t was = m_position;
        if (target < m_bufferStart || !ReceiveUpTo(target)) {
            m_position = was >= m_bufferStart ? was : m_received;
            return -1;
        }
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
    if (key.EqualsNoCase(L"LastError"))
        return ZrString::FromUtf8(m_lastError.c_str(), int(m_lastError.size()));
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
