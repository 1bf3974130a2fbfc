// Layer II tables: requantisation, grouping and allocation. Which table a
// stream selects is checked against real streams in Layer2PeerTest.

#include "decoder/Layer2Decoder.h"
#include "decoder/tables/Layer2AllocationTables.h"
#include "tests/decoder/DecodeHelpers.h"

#include <gtest/gtest.h>

using namespace decodetest;

namespace {

// ISO/IEC 11172-3 clause 2.4.3.3.4: a code of nb bits is read as a
// two's-complement fraction after inverting its most significant bit, then
// s'' = C (s''' + D) with C = 2^nb / levels and D = 1 - (levels - 1) / 2^nb,
// and scaled by the scale factor 2^(1 - index/3) of Table B.1.
double StandardSample(int32_t levels, int32_t code, int32_t scaleIndex) {
    int32_t nb = 0;
    while ((1 << nb) < levels)
        ++nb;
    int32_t flipped = code ^ (1 << (nb - 1));
    if (flipped & (1 << (nb - 1))) flipped -= 1 << nb;
    const double fraction = static_cast<double>(flipped) / (1 << (nb - 1));
    const double c = static_cast<double>(1 << nb) / levels;
    const double d = 1.0 - static_cast<double>(levels - 1) / (1 << nb);
    return c * (fraction + d) * std::pow(2.0, 1.0 - scaleIndex / 3.0);
}

// Ungrouped codes of 3 to 16 bits, the digits of grouped codes (3, 5 and 9
// levels), and scale factor index 63, which silences.
TEST(Layer2Requantisation, FollowsTheStandardsFormula) {
    TestDecoder f;
    const Layer2Decoder layer2(*f.state); // fills the requantisation table
    const auto& requant = f.state->layer2Requant;
    for (int32_t bits = 3; bits <= 16; ++bits) {
        const int32_t levels = (1 << bits) - 1;
        for (int32_t code : {0, 1, levels / 2, levels / 2 + 1, levels - 1})
            for (int32_t scale : {0, 1, 2, 3, 20, 62})
                ASSERT_NEAR((code - (levels - 1) / 2) * requant[bits][scale],
                            StandardSample(levels, code, scale), 1e-12)
                    << bits << " bits, code " << code << ", scale " << scale;
    }
    for (int32_t levels : {3, 5, 9})
        for (int32_t digit = 0; digit < levels; ++digit)
            for (int32_t scale : {0, 4, 61})
                ASSERT_NEAR(requant[Layer2Decoder::GroupedRow(levels, digit)][scale],
                            StandardSample(levels, digit, scale), 1e-12)
                    << levels << " levels, digit " << digit;
    for (int32_t row = 0; row < 27; ++row)
        EXPECT_EQ(requant[row][63], 0.0);
}

TEST(Layer2Allocation, TablesAreWellFormed) {
    for (const Layer2AllocationTable* t : {&kLayer2TableB2a, &kLayer2TableB2b, &kLayer2TableB2c,
                                           &kLayer2TableB2d, &kLayer2TableLsf}) {
        int32_t subbands = 0;
        for (int32_t r = 0; r < t->rangeCount; ++r) {
            const Layer2AllocationRange& range = t->ranges[static_cast<size_t>(r)];
            subbands += range.subbands;
            EXPECT_EQ(range.levels[0], 0);
            for (int32_t a = 1; a < 16; ++a) {
                const int32_t levels = range.levels[static_cast<size_t>(a)];
                if (a >= (1 << range.allocationBits)) {
                    EXPECT_EQ(levels, 0);
                    continue;
                }
                const bool grouped = levels == 3 || levels == 5 || levels == 9;
                EXPECT_TRUE(grouped || (levels > 0 && ((levels + 1) & levels) == 0)) << levels;
                EXPECT_GT(levels, range.levels[static_cast<size_t>(a - 1)]);
            }
        }
        EXPECT_EQ(subbands, t->subbandLimit);
    }
}

} // namespace
