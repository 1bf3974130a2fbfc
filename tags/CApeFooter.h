#pragma once

#include <cstddef>
#include <cstdint>

// The 32-byte footer that ends an APE tag at the end of a file. It is read
// only to cut the tag off when tags are removed, so only the fields that
// decide that cut are looked at, and every one is checked against a limit:
// a bad footer must never make the cut reach into the audio.
//
// Layout (little-endian): "APETAGEX", version i32, tag size u32 (items and
// footer, not the header), item count i32, flags u32, 8 reserved bytes.
class CApeFooter {
public:
    static constexpr size_t kSize = 32;
    // Version 2000 is the newest the format has seen; anything above is
    // noise that happens to follow the preamble.
    static constexpr int32_t kMaxVersion = 2000;
    // Items of more than 256 MiB (0x10000000) are not a tag anyone wrote.
    static constexpr uint32_t kMaxItemsSize = 0x10000000;
    static constexpr int32_t kMaxItemCount = 65536;
    // Flags bit 31: a 32-byte header precedes the items.
    static constexpr uint32_t kFlagHasHeader = 0x80000000u;

    enum class Result {
        Ok,
        TooShort,     // fewer than 32 bytes
        NoPreamble,   // not "APETAGEX"
        BadVersion,   // above kMaxVersion
        BadTagSize,   // smaller than the footer, or items above kMaxItemsSize
        TooManyItems, // above kMaxItemCount
    };

    // Checks the footer in data[0..size). On Ok, tagBytes receives how many
    // bytes the whole tag takes at the end of the file (tag size, plus the
    // header when flagged) and hasHeader whether a header is flagged;
    // otherwise neither is written.
    static Result Parse(const uint8_t* data, size_t size, uint64_t& tagBytes, bool& hasHeader);

    // True when data begins with the "APETAGEX" preamble (header or footer).
    static bool HasPreamble(const uint8_t* data, size_t size);
};
