#pragma once

// Byte builders for hand-made ID3v2 tags in the tests.

#include "ZrCoreLib/ZrString.h"

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline Bytes B(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes SyncSafeBytes(uint32_t v) {
    return {uint8_t((v >> 21) & 0x7F), uint8_t((v >> 14) & 0x7F), uint8_t((v >> 7) & 0x7F),
            uint8_t(v & 0x7F)};
}

inline Bytes BigEndianBytes(uint32_t v) {
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

// An ID3v2.3/2.4 frame: ID, size (sync-safe for version 4), flags, body.
inline Bytes Frame(const std::string& id, const Bytes& body, int version = 3, uint8_t status = 0,
                   uint8_t format = 0) {
    const uint32_t n = uint32_t(body.size());
    return Cat(
        {B(id), version >= 4 ? SyncSafeBytes(n) : BigEndianBytes(n), Bytes{status, format}, body});
}

// A text frame body in encoding 0.
inline Bytes Latin1Text(const std::string& s) {
    return Cat({Bytes{0}, B(s)});
}

// A whole tag: header with the sync-safe size of frames plus padding.
inline Bytes Tag(int version, uint8_t flags, const Bytes& frames, size_t padding = 0) {
    Bytes out = Cat({B("ID3"), Bytes{uint8_t(version), 0, flags},
                     SyncSafeBytes(uint32_t(frames.size() + padding)), frames});
    out.insert(out.end(), padding, 0);
    return out;
}

inline std::string Narrow(const ZrString& s) {
    return s.ToUtf8();
}
