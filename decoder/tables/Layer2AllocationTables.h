#pragma once
// Layer II bit-allocation tables. Each table is a list of subband ranges; a
// range gives the width of the allocation field (nbal) and, for every
// allocation value, the number of quantisation levels (0 = not allocated).
// The class of a level count (grouping, bits per codeword) follows from the
// count itself: 3, 5 and 9 levels are grouped, 2^b - 1 levels take b bits.

#include <array>
#include <cstdint>

struct Layer2AllocationRange {
    int32_t subbands;
    int32_t allocationBits;
    std::array<uint16_t, 16> levels;
};

struct Layer2AllocationTable {
    int32_t subbandLimit;
    int32_t rangeCount;
    std::array<Layer2AllocationRange, 4> ranges;
};

// ISO/IEC 11172-3 Table B.2a, 48 kHz 56..192 kbit/s per channel, 44.1 and 32 kHz 56..80
inline constexpr Layer2AllocationTable kLayer2TableB2a = {
    27,
    4,
    {{
        {3, 4, {0, 3, 7, 15, 31, 63, 127, 255, 511, 1023, 2047, 4095, 8191, 16383, 32767, 65535}},
        {8, 4, {0, 3, 5, 7, 9, 15, 31, 63, 127, 255, 511, 1023, 2047, 4095, 8191, 65535}},
        {12, 3, {0, 3, 5, 7, 9, 15, 31, 65535}},
        {4, 2, {0, 3, 5, 65535}},
    }}};

// ISO/IEC 11172-3 Table B.2b, 44.1 and 32 kHz 96..192 kbit/s per channel
inline constexpr Layer2AllocationTable kLayer2TableB2b = {
    30,
    4,
    {{
        {3, 4, {0, 3, 7, 15, 31, 63, 127, 255, 511, 1023, 2047, 4095, 8191, 16383, 32767, 65535}},
        {8, 4, {0, 3, 5, 7, 9, 15, 31, 63, 127, 255, 511, 1023, 2047, 4095, 8191, 65535}},
        {12, 3, {0, 3, 5, 7, 9, 15, 31, 65535}},
        {7, 2, {0, 3, 5, 65535}},
    }}};

// ISO/IEC 11172-3 Table B.2c, 48 and 44.1 kHz 32..48 kbit/s per channel
inline constexpr Layer2AllocationTable kLayer2TableB2c = {
    8,
    2,
    {{
        {2, 4, {0, 3, 5, 9, 15, 31, 63, 127, 255, 511, 1023, 2047, 4095, 8191, 16383, 32767}},
        {6, 3, {0, 3, 5, 9, 15, 31, 63, 127}},
    }}};

// ISO/IEC 11172-3 Table B.2d, 32 kHz 32..48 kbit/s per channel
inline constexpr Layer2AllocationTable kLayer2TableB2d = {
    12,
    2,
    {{
        {2, 4, {0, 3, 5, 9, 15, 31, 63, 127, 255, 511, 1023, 2047, 4095, 8191, 16383, 32767}},
        {10, 3, {0, 3, 5, 9, 15, 31, 63, 127}},
    }}};

// ISO/IEC 13818-3 Table B.1, Layer II at the lower sampling frequencies
inline constexpr Layer2AllocationTable kLayer2TableLsf = {
    30,
    3,
    {{
        {4, 4, {0, 3, 5, 7, 9, 15, 31, 63, 127, 255, 511, 1023, 2047, 4095, 8191, 16383}},
        {7, 3, {0, 3, 5, 9, 15, 31, 63, 127}},
        {19, 2, {0, 3, 5, 9}},
    }}};
