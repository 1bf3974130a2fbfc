#include "tags/CApeFooter.h"

#include <cstring>

namespace {

constexpr char kPreamble[8] = {'A', 'P', 'E', 'T', 'A', 'G', 'E', 'X'};

uint32_t LittleEndian32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

} // namespace

bool CApeFooter::HasPreamble(const uint8_t* data, size_t size) {
    return data && size >= sizeof kPreamble && std::memcmp(data, kPreamble, sizeof kPreamble) == 0;
}

CApeFooter::Result CApeFooter::Parse(const uint8_t* data, size_t size, uint64_t& tagBytes,
                                     bool& hasHeader) {
    if (!data || size < kSize) return Result::TooShort;
    if (!HasPreamble(data, size)) return Result::NoPreamble;
    const int32_t version = int32_t(LittleEndian32(data + 8));
    const uint32_t tagSize = LittleEndian32(data + 12);
    const int32_t itemCount = int32_t(LittleEndian32(data + 16));
    const uint32_t flags = LittleEndian32(data + 20);
    if (version > kMaxVersion) return Result::BadVersion;
    // Unsigned on purpose: a size below the footer's own 32 bytes wraps
    // around and fails the same test as a huge one.
    if (uint32_t(tagSize - kSize) > kMaxItemsSize) return Result::BadTagSize;
    if (itemCount > kMaxItemCount) return Result::TooManyItems;
    hasHeader = (flags & kFlagHasHeader) != 0;
    tagBytes = uint64_t(tagSize) + (hasHeader ? kSize : 0);
    return Result::Ok;
}
