#include "tags/CID3v2Sync.h"

uint32_t CID3v2Sync::ReadSyncSafe(const uint8_t in[4]) {
    return uint32_t(in[0] & 0x7F) << 21 | uint32_t(in[1] & 0x7F) << 14 |
           uint32_t(in[2] & 0x7F) << 7 | uint32_t(in[3] & 0x7F);
}

void CID3v2Sync::WriteSyncSafe(uint32_t value, uint8_t out[4]) {
    out[0] = uint8_t((value >> 21) & 0x7F);
    out[1] = uint8_t((value >> 14) & 0x7F);
    out[2] = uint8_t((value >> 7) & 0x7F);
    out[3] = uint8_t(value & 0x7F);
}

bool CID3v2Sync::IsSyncSafe(const uint8_t in[4]) {
    return ((in[0] | in[1] | in[2] | in[3]) & 0x80) == 0;
}

uint32_t CID3v2Sync::ReadBigEndian(const uint8_t in[4]) {
    return uint32_t(in[0]) << 24 | uint32_t(in[1]) << 16 | uint32_t(in[2]) << 8 | in[3];
}

void CID3v2Sync::WriteBigEndian(uint32_t value, uint8_t out[4]) {
    out[0] = uint8_t(value >> 24);
    out[1] = uint8_t(value >> 16);
    out[2] = uint8_t(value >> 8);
    out[3] = uint8_t(value);
}

size_t CID3v2Sync::RemoveUnsync(const uint8_t* in, size_t inSize, size_t maxOut,
                                std::vector<uint8_t>& out) {
    size_t r = 0;
    size_t written = 0;
    // The test looks at the input byte before, not the last one kept: in
    // FF 00 00 the second zero follows a zero and is data.
    for (; r < inSize && written < maxOut; ++r) {
        if (r > 0 && in[r] == 0 && in[r - 1] == 0xFF) continue;
        out.push_back(in[r]);
        ++written;
    }
    return r;
}
