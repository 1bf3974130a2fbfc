#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Standard Base64 (RFC 4648 section 4 alphabet, "=" padding, no line breaks):
// the form in which binary data travel inside text values (tag pictures,
// private frame data).
class ZrBase64 {
public:
    static std::string Encode(const uint8_t* data, size_t size);
    static std::string Encode(const std::vector<uint8_t>& data) {
        return Encode(data.data(), data.size());
    }
    // Writes the EncodedLength(size) characters of the text into out (no
    // terminator): wide strings are filled without a narrow copy first.
    static void Encode(const uint8_t* data, size_t size, wchar_t* out);
    static size_t EncodedLength(size_t size) { return (size + 2) / 3 * 4; }

    // Decodes text into out (replaced). White space is skipped and the text may
    // end at its "=" padding or without it. A character outside the alphabet,
    // or a lone trailing character (6 bits cannot make a byte), fails: out is
    // then left empty.
    static bool Decode(const char* text, size_t length, std::vector<uint8_t>& out);
    static bool Decode(const std::string& text, std::vector<uint8_t>& out) {
        return Decode(text.data(), text.size(), out);
    }
};
