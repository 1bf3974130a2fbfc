#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ZrCoreLib/VBaseReader.h"

typedef void CURL;
typedef void CURLM;
struct curl_slist;

// A reader over one "http://" or "https://" resource: a file on a web server
// or an endless internet radio stream, fetched with libcurl. OpenRead sends
// one GET ("Icy-MetaData: 1" when the "Set Support ICY Metadata" property is
// "1"), follows up to five redirects between http and https, takes proxies
// from the usual environment variables, and keeps the response headers,
// which GetInfo answers as "ResponseHeader:<name>" (names in any letter case)
// and, for "X-Corvel-Library-Server", under that bare name. Status lines
// "HTTP/x 200" and "ICY 200" are both accepted; chunked bodies are decoded.
//
// The reader stays pull-based: the transfer runs only inside OpenRead, Read
// and Seek, and is paused while the back buffer holds as much unread data as
// it can take. Without a Content-Length the resource is a live stream:
// IsLiveStream is true and GetSize answers the bytes received so far. The
// last 512 KiB received stay in memory, so seeks back within them are free; a
// live stream seeks forward by reading and discarding, and fails further
// back. A sized resource reads short gaps through and otherwise reconnects
// with a Range request; a server that ignores Range is read through.
//
// Two deadlines: OpenRead (and a reconnection) fails when the response head
// and the first 64 KiB (or the whole body, when shorter) have not arrived
// within TONEHALL_HTTP_OPEN_SECONDS (default 15); a read fails when no byte
// arrives for TONEHALL_HTTP_STALL_SECONDS (default 10). TONEHALL_CA_FILE
// names a file of certificates to trust instead of the system's.
//
// Why the last operation failed (the HTTP status, curl's error text, a
// deadline, a stall) is answered by GetInfo("LastError"); it is empty after
// a normal end of the body. The response head is hostile input: a head
// beyond the caps below fails the request.
class CHttpReader : public VBaseReader {
public:
    static constexpr long kMaxRedirects = 5;
    static constexpr double kDefaultOpenSeconds = 15;
    static constexpr double kDefaultStallSeconds = 10;
    // What OpenRead waits for besides the head: enough for the stream
    // analysis to start without waiting on the network again at once.
    static constexpr int64_t kOpenBytes = 65536;
    // Longer URLs are refused rather than sent.
    static constexpr size_t kMaxUrlBytes = 8192;
    // Real response heads are a few hundred bytes; these caps leave room for
    // servers with many cookies and keep a hostile one from holding memory.
    static constexpr size_t kMaxHeadBytes = 65536;
    static constexpr size_t kMaxLineBytes = 8192;
    static constexpr size_t kMaxFieldCount = 100;
    // Seeks back within this many received bytes need no new request. The
    // stream analysis searches about 224 KiB for the first frame and then
    // seeks back to it, so a live stream must keep at least that.
    static constexpr size_t kBackBufferBytes = 512 * 1024;
    // A sized resource reads a forward gap up to this size rather than
    // opening a new connection.
    static constexpr int64_t kReadThroughBytes = 256 * 1024;

    explicit CHttpReader(std::string url);
    ~CHttpReader() override;

    // True for "http://" and "https://" (any letter case) URLs.
    static bool IsHttpUrl(const wchar_t* path);

    // Every connection goes to 127.0.0.1:`port`, whatever host the URL or
    // a redirect names, and no proxy is asked: lets a fuzz target's server
    // answer them all without a name being looked up.
    void ConnectOnlyToLoopback(int port) { m_loopbackPort = port; }

    bool OpenRead() override;
    uint32_t Read(void* buffer, uint32_t count) override;
    int64_t GetSize() override;
    int64_t GetPosition() override { return m_position; }
    int64_t Seek(int64_t offset, uint32_t origin) override;
    bool IsLiveStream() override { return m_open && m_live; }
    bool IsLocal() override { return false; }
    ZrString GetInfo(const wchar_t* name) override;

private:
    using Clock = std::chrono::steady_clock;

    // Starts a transfer from byte `from` (a Range request when above 0) and
    // waits for its final head and first bytes, within the open deadline.
    bool Connect(int64_t from);
    // Runs the transfer until at least one more byte arrived; false at the
    // end of the body or on failure (LastError then says which).
    bool Receive();
    // Runs the transfer once, waiting at most until `deadline`; false once
    // the transfer has ended.
    bool Pump(Clock::time_point deadline);
    void EndTransfer();
    void Fail(std::string why);
    // Reads and discards until `target` has been received.
    bool ReceiveUpTo(int64_t target);

    static size_t OnHeader(char* bytes, size_t size, size_t count, void* self);
    static size_t OnBody(char* bytes, size_t size, size_t count, void* self);
    size_t TakeHeaderLine(const char* bytes, size_t size);
    // Checks the final response of a transfer; false with the reason set.
    bool AcceptResponse();
    size_t TakeBody(const char* bytes, size_t size);

    std::string m_url;
    double m_openSeconds;
    double m_stallSeconds;
    int m_loopbackPort = 0;
    CURLM* m_multi = nullptr;
    CURL* m_easy = nullptr;
    curl_slist* m_requestHeaders = nullptr;
    curl_slist* m_statusAliases = nullptr;
    curl_slist* m_connectTo = nullptr;
    char m_curlError[256] = {};
    bool m_transferring = false;
    bool m_paused = false;
    bool m_open = false;
    bool m_live = false;
    int64_t m_size = -1;
    std::string m_lastError;

    // The head of the response being received: a redirect's head is dropped
    // when the next one begins.
    int64_t m_from = 0;
    int m_status = 0;
    std::string m_reason;
    bool m_headDone = false;
    size_t m_headBytes = 0;
    std::vector<std::pair<std::string, std::string>> m_fields;
    // The headers of the response OpenRead accepted.
    std::vector<std::pair<std::string, std::string>> m_headers;

    // Circular: stream byte x, for m_bufferStart <= x < m_received, is at
    // m_buffer[x % kBackBufferBytes].
    std::vector<uint8_t> m_buffer;
    int64_t m_bufferStart = 0;
    int64_t m_received = 0;
    int64_t m_position = 0;
};
