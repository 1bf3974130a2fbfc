#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The head of an HTTP or ICY response: status code and header fields, parsed
// from the bytes received so far. Hostile input: the head, each of its lines
// and the number of fields are capped, and a head that breaks a cap is
// malformed. Nothing is kept from a head that fails.
class CHttpResponseHead {
public:
    // Real response heads are a few hundred bytes; these caps leave room for
    // servers with many cookies and keep a hostile one from holding memory.
    static constexpr size_t kMaxHeadBytes = 65536;
    static constexpr size_t kMaxLineBytes = 8192;
    static constexpr size_t kMaxFieldCount = 100;

    // ASCII prefix test ignoring letter case; `prefix` is lower case.
    static bool StartsWithNoCase(const std::string& s, const char* prefix);

    enum class Result { Complete, Incomplete, Malformed };

    // Parses `bytes` when they hold a whole head (ended by an empty line,
    // CRLF or bare LF). The status line is "HTTP/<version> <code> ..." or
    // "ICY <code> ...". Continuation lines and lines without a colon are
    // skipped.
    Result Parse(const char* bytes, size_t length);

    int GetStatus() const { return m_status; }
    // Offset of the body in the bytes parsed.
    size_t GetBodyOffset() const { return m_bodyOffset; }
    // The first field of that name (lower case), or null.
    const std::string* Find(const char* lowerName) const;
    // Fields in order, names lower-cased, values trimmed.
    std::vector<std::pair<std::string, std::string>>& Fields() { return m_fields; }

private:
    int m_status = 0;
    size_t m_bodyOffset = 0;
    std::vector<std::pair<std::string, std::string>> m_fields;
};
