#include "standins/ZrReader/CHttpResponseHead.h"

#include <cctype>
#include <cstring>

namespace {

std::string Trim(const std::string& s) {
    size_t a = 0;
    size_t b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t'))
        ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t'))
        --b;
    return s.substr(a, b - a);
}

} // namespace

CHttpResponseHead::Result CHttpResponseHead::Parse(const char* bytes, size_t length) {
    const std::string head(bytes, length < kMaxHeadBytes + 4 ? length : kMaxHeadBytes + 4);
    const size_t crlf = head.find("\r\n\r\n");
    const size_t lf = head.find("\n\n");
    size_t end = 0;
    size_t bodyOffset = 0;
    if (crlf != std::string::npos && (lf == std::string::npos || crlf < lf)) {
        end = crlf;
        bodyOffset = crlf + 4;
    } else if (lf != std::string::npos) {
        end = lf;
        bodyOffset = lf + 2;
    } else {
        return length > kMaxHeadBytes ? Result::Malformed : Result::Incomplete;
    }
    if (end > kMaxHeadBytes) return Result::Malformed;

    int status = -1;
    std::vector<std::pair<std::string, std::string>> fields;
    for (size_t lineStart = 0; lineStart <= end;) {
        size_t lineEnd = head.find('\n', lineStart);
        if (lineEnd == std::string::npos || lineEnd > end) lineEnd = end;
        std::string line = head.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > kMaxLineBytes) return Result::Malformed;
        if (status < 0) {
            // "HTTP/1.1 200 OK" or "ICY 200 OK": three digits after the first
            // space.
            const size_t space = line.find(' ');
            if (space == std::string::npos ||
                !(StartsWithNoCase(line, "http/") || StartsWithNoCase(line, "icy "))) {
                return Result::Malformed;
            }
            const std::string code = line.substr(space + 1, 3);
            if (code.size() != 3 || !isdigit(static_cast<unsigned char>(code[0])) ||
                !isdigit(static_cast<unsigned char>(code[1])) ||
                !isdigit(static_cast<unsigned char>(code[2]))) {
                return Result::Malformed;
            }
            status = (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0');
            continue;
        }
        const size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0 || line[0] == ' ' || line[0] == '\t') continue;
        if (fields.size() == kMaxFieldCount) return Result::Malformed;
        std::string name = Trim(line.substr(0, colon));
        for (char& c : name)
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        fields.emplace_back(std::move(name), Trim(line.substr(colon + 1)));
    }
    if (status < 0) return Result::Malformed;
    m_status = status;
    m_bodyOffset = bodyOffset;
    m_fields = std::move(fields);
    return Result::Complete;
}

const std::string* CHttpResponseHead::Find(const char* lowerName) const {
    for (const auto& f : m_fields) {
        if (f.first == lowerName) return &f.second;
    }
    return nullptr;
}

bool CHttpResponseHead::StartsWithNoCase(const std::string& s, const char* prefix) {
    const size_t n = strlen(prefix);
    if (s.size() < n) return false;
    for (size_t i = 0; i < n; ++i) {
        if (tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
    }
    return true;
}
