#pragma once

#include "decoder/FrameHeader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// Byte-by-byte construction of MPEG audio streams for the analysis tests. A
// valid header followed by a zero body is a frame as far as the analysis is
// concerned. Frame lengths come from the decoder's header parser.
namespace mpegtest {

using Bytes = std::vector<uint8_t>;

struct Header {
    int version = 3; // bits: 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    int layer = 1;   // bits: 1 Layer III, 2 Layer II, 3 Layer I
    int bitrateIndex = 9;
    int rateIndex = 0;
    int mode = 1; // joint stereo
    int padding = 0;
    bool crc = false;

    uint8_t b1() const { return uint8_t(0xE0 | version << 3 | layer << 1 | (crc ? 0 : 1)); }
    Bytes Bytes4() const {
        return {0xFF, b1(), uint8_t(bitrateIndex << 4 | rateIndex << 2 | padding << 1),
                uint8_t(mode << 6)};
    }
    // Bytes of the frame including the header, padding byte included.
    int Length() const {
        FrameHeader parsed{};
        DecodeFrameHeader(FrameHeaderWord(Bytes4().data()), parsed);
        return parsed.frameLength + padding;
    }
};

inline void Append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

inline Bytes Frame(const Header& h) {
    Bytes frame(size_t(h.Length()), 0);
    const Bytes head = h.Bytes4();
    std::memcpy(frame.data(), head.data(), 4);
    return frame;
}

inline Bytes Frames(const Header& h, int count) {
    Bytes out;
    for (int i = 0; i < count; ++i)
        Append(out, Frame(h));
    return out;
}

inline Bytes Filler(size_t n, uint8_t value = 0x55) {
    return Bytes(n, value);
}

// An ID3v2.4 tag of `body` bytes (sync-safe size), with a footer on request.
inline Bytes Id3v2Tag(uint32_t body, bool footer = false) {
    Bytes tag = {'I', 'D', '3', 4, 0, uint8_t(footer ? 0x10 : 0)};
    for (int shift : {21, 14, 7, 0})
        tag.push_back(uint8_t(body >> shift & 0x7F));
    tag.resize(10 + body + (footer ? 10 : 0), 0);
    if (footer) std::memcpy(tag.data() + 10 + body, "3DI", 3);
    return tag;
}

struct VbrTag {
    std::string tag = "Xing";
    uint32_t flags = 0;
    uint32_t frames = 0;
    std::string encoder = "LAME";
    int delay = 0;
    int padding = 0;
};

// A header frame carrying a Xing/Info record (with the LAME extension) at
// `offset` from the frame start (36 for MPEG-1 stereo Layer III: behind the
// 32-byte side information).
inline Bytes VbrFrame(const Header& h, const VbrTag& v, int offset = 36) {
    Bytes frame = Frame(h);
    uint8_t* p = frame.data() + offset;
    std::memcpy(p, v.tag.data(), 4);
    for (int i = 0; i < 4; ++i)
        p[4 + i] = uint8_t(v.flags >> (24 - 8 * i));
    int field = 8;
    if (v.flags & 1) {
        for (int i = 0; i < 4; ++i)
            p[field + i] = uint8_t(v.frames >> (24 - 8 * i));
        field += 4;
    }
    std::memcpy(p + 120, v.encoder.data(), std::min<size_t>(v.encoder.size(), 9));
    p[141] = uint8_t(v.delay >> 4);
    p[142] = uint8_t((v.delay & 15) << 4 | v.padding >> 8);
    p[143] = uint8_t(v.padding & 0xFF);
    return frame;
}

// A RIFF/WAVE header of a WAVE file with MPEG audio: "fmt " chunk of
// `fmtBytes` bytes, then the "data" chunk header; the audio follows.
inline Bytes RiffHeader(uint32_t fmtBytes = 30) {
    Bytes riff = {
        'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', uint8_t(fmtBytes),
        0,   0,   0};
    riff.resize(riff.size() + fmtBytes, 0x01);
    Append(riff, {'d', 'a', 't', 'a', 0x10, 0x20, 0, 0});
    return riff;
}

} // namespace mpegtest
