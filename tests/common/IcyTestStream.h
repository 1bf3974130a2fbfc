#pragma once

// Builds internet radio streams in the ICY convention for tests: audio bytes
// with a metadata block after every `metaint` of them.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

struct IcyTestStream {
    // The stream as the server sends it after its response head.
    std::vector<uint8_t> raw;
    // Raw position of each block's length byte (counted from `offset`).
    std::vector<int64_t> blockPositions;
    // Raw position of each block that carries a title, and the title.
    std::vector<std::pair<int64_t, std::string>> titles;
};

inline std::string IcyTitleText(const std::string& title) {
    return "StreamTitle='" + title + "';";
}

// blockText(k) is the text of block k (empty: a block of length 0). Text is
// zero-padded to a multiple of 16 and cut at 4080 bytes. A block follows every
// full interval that more audio follows. `offset` is added to the recorded
// positions (the length of a response head kept in front of the stream).
inline IcyTestStream MakeIcyStream(const std::vector<uint8_t>& audio, int metaint,
                                   const std::function<std::string(int)>& blockText,
                                   int64_t offset = 0) {
    IcyTestStream s;
    s.raw.reserve(audio.size() + audio.size() / (metaint > 0 ? metaint : 1) + 64);
    size_t done = 0;
    int block = 0;
    while (done < audio.size()) {
        const size_t n =
            metaint > 0 ? std::min<size_t>(metaint, audio.size() - done) : audio.size() - done;
        s.raw.insert(s.raw.end(), audio.begin() + done, audio.begin() + done + n);
        done += n;
        if (metaint <= 0 || done >= audio.size()) break;
        std::string text = blockText ? blockText(block) : std::string();
        if (text.size() > 4080) text.resize(4080);
        const size_t length = (text.size() + 15) / 16;
        const int64_t position = offset + int64_t(s.raw.size());
        s.blockPositions.push_back(position);
        const std::string::size_type at = text.find("StreamTitle='");
        if (at != std::string::npos) {
            const std::string::size_type end = text.find("';", at + 13);
            if (end != std::string::npos)
                s.titles.emplace_back(position, text.substr(at + 13, end - at - 13));
        }
        s.raw.push_back(uint8_t(length));
        text.resize(length * 16, '\0');
        s.raw.insert(s.raw.end(), text.begin(), text.end());
        ++block;
    }
    return s;
}

// Audio stand-in: pseudo-random bytes. About one in eight is a control byte,
// so audio read as a block of text usually shows as damage.
inline std::vector<uint8_t> IcyTestAudio(size_t size, uint32_t seed = 1) {
    std::vector<uint8_t> bytes(size);
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1664525u + 1013904223u;
        bytes[i] = uint8_t(x >> 24);
    }
    return bytes;
}
