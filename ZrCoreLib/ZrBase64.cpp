#include "ZrCoreLib/ZrBase64.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SextetOf(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

// Pictures run to megabytes: one store per character, no growth checks.
template <typename Char> void EncodeInto(const uint8_t* data, size_t size, Char* out) {
    size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        const uint32_t v = uint32_t(data[i]) << 16 | uint32_t(data[i + 1]) << 8 | data[i + 2];
        out[0] = Char(kAlphabet[v >> 18]);
        out[1] = Char(kAlphabet[(v >> 12) & 63]);
        out[2] = Char(kAlphabet[(v >> 6) & 63]);
        out[3] = Char(kAlphabet[v & 63]);
        out += 4;
    }
    const size_t rest = size - i;
    if (rest == 0) return;
    const uint32_t v = uint32_t(data[i]) << 16 | (rest == 2 ? uint32_t(data[i + 1]) << 8 : 0);
    out[0] = Char(kAlphabet[v >> 18]);
    out[1] = Char(kAlphabet[(v >> 12) & 63]);
    out[2] = Char(rest == 2 ? kAlphabet[(v >> 6) & 63] : '=');
    out[3] = Char('=');
}

} // namespace

std::string ZrBase64::Encode(const uint8_t* data, size_t size) {
    std::string out(EncodedLength(size), '\0');
    EncodeInto(data, size, &out[0]);
    return out;
}

void ZrBase64::Encode(const uint8_t* data, size_t size, wchar_t* out) {
    EncodeInto(data, size, out);
}

bool ZrBase64::Decode(const char* text, size_t length, std::vector<uint8_t>& out) {
    out.clear();
    out.reserve(length / 4 * 3 + 3);
    uint32_t acc = 0;
    int bits = 0;
    size_t i = 0;
    for (; i < length; ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        if (c == '=') break;
        const int s = SextetOf(c);
        if (s < 0) {
            out.clear();
            return false;
        }
        acc = (acc << 6) | uint32_t(s);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(uint8_t(acc >> bits));
            acc &= (1u << bits) - 1;
        }
    }
    // After the padding only padding and white space may follow.
    for (; i < length; ++i) {
        const char c = text[i];
        if (c != '=' && c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            out.clear();
            return false;
        }
    }
    if (bits >= 6) {
        out.clear();
        return false;
    }
    return true;
}
