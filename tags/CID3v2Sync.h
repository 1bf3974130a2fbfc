#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// ID3v2.4 section 6: the unsynchronisation scheme and the sync-safe integers
// that keep tag headers free of false MPEG syncs. Every reader and writer of
// ID3v2 sizes or unsynchronised bytes in the plug-in goes through here, so
// that one rule decides what a stuffed zero is.
class CID3v2Sync {
public:
    // Section 6.2: 4 bytes of 7 bits, most significant first. The high bit
    // of each byte is ignored on reading, as the tag header check allows it.
    static uint32_t ReadSyncSafe(const uint8_t in[4]);
    // Values of 2^28 and more lose their high bits; callers cap sizes first.
    static void WriteSyncSafe(uint32_t value, uint8_t out[4]);
    // No byte has bit 7 set, so the bytes can be a sync-safe integer at all.
    static bool IsSyncSafe(const uint8_t in[4]);

    static uint32_t ReadBigEndian(const uint8_t in[4]);
    static void WriteBigEndian(uint32_t value, uint8_t out[4]);

    // Section 6.1: appends in[0..inSize) to out with every 0x00 that follows
    // an 0xFF of the input dropped (FF 00 00 gives FF 00: only the first zero
    // was inserted), stopping once maxOut bytes were appended. Returns how
    // many input bytes were consumed.
    static size_t RemoveUnsync(const uint8_t* in, size_t inSize, size_t maxOut,
                               std::vector<uint8_t>& out);
};
