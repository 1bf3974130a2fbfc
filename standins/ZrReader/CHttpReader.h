#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ZrCoreLib/VBaseReader.h"
#include "standins/ZrReader/CHttpResponseHead.h"

// A reader over one "http://" resource: a file on a web server or an
// endless internet radio stream. OpenRead sends one GET (HTTP/1.0, so no
// chunked transfer; "Icy-MetaData: 1" when the "Set Support ICY Metadata"
// property is "1"), follows up to five redirects, and keeps the response
// headers, which GetInfo answers as "ResponseHeader:<name>" (names in any
// letter case) and, for "X-Corvel-Library-Server", under that bare name.
// Status lines "HTTP/1.x 200" and "ICY 200" are both accepted.
//
// Without a Content-Length the resource is a live stream: IsLiveStream is
// true and GetSize answers the bytes received so far. The last 512 KiB
// received stay in memory, so seeks back within them are free; a live stream
// seeks forward by reading and discarding, and fails further back. A sized
// resource reads short gaps through and otherwise reconnects with a Range
// request; a server that ignores Range is read through from the start.
//
// Every wait on the network gives up after 10 s. The response head is
// hostile input, parsed within caps by CHttpResponseHead; a response that
// breaks one fails the request. Owns its socket.
class CHttpReader : public VBaseReader {
public:
    static constexpr int kMaxRedirects = 5;
    static constexpr int kTimeoutMs = 10000;
    // Longer URLs are refused rather than sent.
    static constexpr size_t kMaxUrlBytes = 8192;
    // Seeks back within this many received bytes need no new request. The
    // stream analysis searches about 224 KiB for the first frame and then
    // seeks back to it, so a live stream must keep at least that.
    static constexpr size_t kBackBufferBytes = 512 * 1024;
    // A sized resource reads a forward gap up to this size rather than
    // opening a new connection.
    static constexpr int64_t kReadThroughBytes = 256 * 1024;

    explicit CHttpReader(std::string url);
    ~CHttpReader() override;

    // True for "http://" (any letter case) URLs.
    static bool IsHttpUrl(const wchar_t* path);

    bool OpenRead() override;
    uint32_t Read(void* buffer, uint32_t count) override;
    int64_t GetSize() override;
    int64_t GetPosition() override { return m_position; }
    int64_t Seek(int64_t offset, uint32_t origin) override;
    bool IsLiveStream() override { return m_open && m_live; }
    bool IsLocal() override { return false; }
    ZrString GetInfo(const wchar_t* name) override;

private:
    // Opens the resource from byte `from` (a Range request when above 0),
    // following redirects; on success the socket is left at the body.
    bool Connect(int64_t from);
    // Receives the response head; `body` gets the bytes received behind it.
    bool ReadResponseHead(CHttpResponseHead& head, std::string& body);
    // Receives more of the body into the back buffer; false at its end or on
    // failure (the socket is then closed).
    bool Receive();
    void Append(const uint8_t* bytes, size_t count);
    void CloseSocket();
    // Reads and discards until `target` has been received.
    bool ReceiveUpTo(int64_t target);

    std::string m_url;
    std::string m_finalUrl;
    int m_fd = -1;
    bool m_open = false;
    bool m_live = false;
    int64_t m_size = -1;
    std::vector<std::pair<std::string, std::string>> m_headers;
    // Circular: stream byte x, for m_bufferStart <= x < m_received, is at
    // m_buffer[x % kBackBufferBytes].
    std::vector<uint8_t> m_buffer;
    int64_t m_bufferStart = 0;
    int64_t m_received = 0;
    int64_t m_position = 0;
};
