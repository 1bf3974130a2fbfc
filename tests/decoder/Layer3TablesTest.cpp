// The Layer III tables: band layouts against the standards' tables and their
// invariants, formula tables against their formulas, and the Huffman lookup
// tables against the codeword lists of ISO/IEC 11172-3 Table B.7 they were
// generated from.

#include "decoder/tables/Layer3Tables.h"
#include "decoder/Layer3TableSet.h"
#include "decoder/MpegBitReader.h"
#include "decoder/tables/Layer3HuffmanTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace {

const double kPi = std::acos(-1.0);

const Layer3TableSet& Tables() {
    static const auto tables = std::make_unique<Layer3TableSet>();
    return *tables;
}

// The last spectral line of each scale-factor band, the standards' "end"
// column: ISO/IEC 11172-3 Table 3-B.8 (MPEG-1), ISO/IEC 13818-3 Table B.2
// (MPEG-2; at 24 kHz long band 18 ends at 331, after 278 + 54, where some
// decoders have 329), and for MPEG-2.5, which neither standard covers, the
// extension's tables: 11.025 and 12 kHz share the 16 kHz layout. Ends rather
// than widths or starts, so that this is a transcription of its own and not
// a copy of the table under test.
struct BandEnds {
    const char* rate;
    std::array<int, layer3::kLongBands> longEnd;
    std::array<int, layer3::kShortBands> shortEnd;
};
constexpr BandEnds kStandardBandEnds[9] = {
    {"44.1 kHz",
     {3,  7,  11,  15,  19,  23,  29,  35,  43,  51,  61,
      73, 89, 109, 133, 161, 195, 237, 287, 341, 417, 575},
     {3, 7, 11, 15, 21, 29, 39, 51, 65, 83, 105, 135, 191}},
    {"48 kHz",
     {3,  7,  11,  15,  19,  23,  29,  35,  41,  49,  59,
      71, 87, 105, 127, 155, 189, 229, 275, 329, 383, 575},
     {3, 7, 11, 15, 21, 27, 37, 49, 63, 79, 99, 125, 191}},
    {"32 kHz",
     {3,  7,   11,  15,  19,  23,  29,  35,  43,  53,  65,
      81, 101, 125, 155, 193, 239, 295, 363, 447, 549, 575},
     {3, 7, 11, 15, 21, 29, 41, 57, 77, 103, 137, 179, 191}},
    {"22.05 kHz",
     {5,   11,  17,  23,  29,  35,  43,  53,  65,  79,  95,
      115, 139, 167, 199, 237, 283, 335, 395, 463, 521, 575},
     {3, 7, 11, 17, 23, 31, 41, 55, 73, 99, 131, 173, 191}},
    {"24 kHz",
     {5,   11,  17,  23,  29,  35,  43,  53,  65,  79,  95,
      113, 135, 161, 193, 231, 277, 331, 393, 463, 539, 575},
     {3, 7, 11, 17, 25, 35, 47, 61, 79, 103, 135, 179, 191}},
    {"16 kHz",
     {5,   11,  17,  23,  29,  35,  43,  53,  65,  79,  95,
      115, 139, 167, 199, 237, 283, 335, 395, 463, 521, 575},
     {3, 7, 11, 17, 25, 35, 47, 61, 79, 103, 133, 173, 191}},
    {"11.025 kHz",
     {5,   11,  17,  23,  29,  35,  43,  53,  65,  79,  95,
      115, 139, 167, 199, 237, 283, 335, 395, 463, 521, 575},
     {3, 7, 11, 17, 25, 35, 47, 61, 79, 103, 133, 173, 191}},
    {"12 kHz",
     {5,   11,  17,  23,  29,  35,  43,  53,  65,  79,  95,
      115, 139, 167, 199, 237, 283, 335, 395, 463, 521, 575},
     {3, 7, 11, 17, 25, 35, 47, 61, 79, 103, 133, 173, 191}},
    {"8 kHz",
     {11,  23,  35,  47,  59,  71,  87,  107, 131, 159, 191,
      231, 279, 335, 399, 475, 565, 567, 569, 571, 573, 575},
     {7, 15, 23, 35, 51, 71, 95, 123, 159, 161, 163, 165, 191}},
};

TEST(Layer3BandLayout, BandStartsAreTheStandardsAndCoverTheGranule) {
    for (int sr = 0; sr < 9; ++sr) {
        const layer3::BandStarts& ours = layer3::kBandStarts[size_t(sr)];
        const BandEnds& standard = kStandardBandEnds[sr];
        SCOPED_TRACE(standard.rate);
        EXPECT_EQ(ours.longStart.front(), 0);
        EXPECT_EQ(ours.shortStart.front(), 0);
        for (int b = 0; b < layer3::kLongBands; ++b)
            EXPECT_EQ(ours.longStart[size_t(b) + 1] - 1, standard.longEnd[size_t(b)])
                << "long " << b;
        for (int b = 0; b < layer3::kShortBands; ++b)
            EXPECT_EQ(ours.shortStart[size_t(b) + 1] - 1, standard.shortEnd[size_t(b)])
                << "short " << b;
        // The transcription itself: positive widths that fill a granule (576
        // lines) and a short window (192).
        const auto& longs = standard.longEnd;
        const auto& shorts = standard.shortEnd;
        EXPECT_EQ(std::adjacent_find(longs.begin(), longs.end(), std::greater_equal<int>()),
                  longs.end());
        EXPECT_EQ(std::adjacent_find(shorts.begin(), shorts.end(), std::greater_equal<int>()),
                  shorts.end());
        EXPECT_EQ(longs.back(), 575);
        EXPECT_EQ(shorts.back(), 191);
    }
}

// Long, short and mixed layouts cover the 576 lines once each, and the short
// reordering is a permutation that keeps every line in its subband.
TEST(Layer3BandLayout, EveryLayoutCoversTheGranuleOnce) {
    for (int sr = 0; sr < 9; ++sr) {
        for (int kind = 0; kind < 3; ++kind) {
            const Layer3TableSet::BandLayout& layout = Tables().layouts[sr][kind];
            int line = 0;
            for (int r = 0; r < layout.count; ++r) {
                EXPECT_EQ(layout.runs[r].start, line) << sr << " " << kind << " " << r;
                line += layout.runs[r].width;
            }
            EXPECT_EQ(line, 576) << sr << " " << kind;
            std::set<int> targets(layout.reorder.begin(), layout.reorder.end());
            EXPECT_EQ(targets.size(), 576u);
            EXPECT_EQ(*targets.rbegin(), 575);
            EXPECT_EQ(layout.runs[layout.count - 1].subbandEnd, 32);
        }
    }
}

TEST(Layer3BandLayout, ScaleFactorPartitionsCoverTheBands) {
    for (const auto& table : layer3::kScaleFactorPartitions) {
        const int sums[3] = {table[0][0] + table[0][1] + table[0][2] + table[0][3],
                             table[1][0] + table[1][1] + table[1][2] + table[1][3],
                             table[2][0] + table[2][1] + table[2][2] + table[2][3]};
        EXPECT_EQ(sums[0], 21); // long bands 0..20
        EXPECT_EQ(sums[1], 36); // short bands 0..11, three windows
        EXPECT_EQ(sums[2], 33); // long 0..5, short 3..11
    }
}

TEST(Layer3FormulaTables, GainAndPowers) {
    const Layer3TableSet& t = Tables();
    // ISO/IEC 11172-3 2.4.3.4.7.1: 2^((global_gain - 210) / 4), indexed from kGainBase down.
    for (int globalGain : {0, 1, 209, 210, 255})
        EXPECT_DOUBLE_EQ(t.gain[Layer3TableSet::kGainBase - globalGain],
                         std::pow(2.0, (globalGain - 210) / 4.0));
    for (int i : {0, 1, 2, 15, 16, 1000, 8206})
        EXPECT_NEAR(t.pow43[i], std::cbrt(static_cast<double>(i)) * i, 1e-12 * (i + 1.0) * i);
}

TEST(Layer3FormulaTables, AliasCoefficientsAndWindows) {
    const Layer3TableSet& t = Tables();
    for (int i = 0; i < 8; ++i) {
        EXPECT_NEAR(t.aliasCs[i] * t.aliasCs[i] + t.aliasCa[i] * t.aliasCa[i], 1.0, 1e-15);
        EXPECT_NEAR(t.aliasCa[i] / t.aliasCs[i], layer3::kAliasCi[i], 1e-15);
    }
    for (int i = 0; i < 36; ++i) {
        EXPECT_DOUBLE_EQ(t.window[0][i], std::sin(kPi / 36 * (i + 0.5)));
        // Start and stop windows mirror each other.
        EXPECT_NEAR(t.window[1][i], t.window[3][35 - i], 1e-15);
    }
    for (int i = 0; i < 12; ++i)
        EXPECT_DOUBLE_EQ(t.window[2][i], std::sin(kPi / 12 * (i + 0.5)));
    // Princen-Bradley: overlapping halves of the long window add up in power.
    for (int i = 0; i < 18; ++i)
        EXPECT_NEAR(std::pow(t.window[0][i], 2) + std::pow(t.window[0][i + 18], 2), 1.0, 1e-15);
}

TEST(Layer3FormulaTables, IntensityRatios) {
    const Layer3TableSet& t = Tables();
    for (int p = 0; p < 7; ++p) {
        const double ratio = std::tan(p * kPi / 12);
        if (p < 6) {
            EXPECT_NEAR(t.intensityMpeg1[p][0], ratio / (1 + ratio), 1e-15);
        }
        EXPECT_NEAR(t.intensityMpeg1[p][0] + t.intensityMpeg1[p][1], 1.0, 1e-15);
    }
    EXPECT_DOUBLE_EQ(t.intensityMpeg1[6][1], 0.0);
    for (int scale = 0; scale < 2; ++scale) {
        const double i0 = scale ? std::sqrt(0.5) : std::pow(2.0, -0.25);
        EXPECT_DOUBLE_EQ(t.intensityMpeg2[scale][0][0], 1.0);
        EXPECT_DOUBLE_EQ(t.intensityMpeg2[scale][0][1], 1.0);
        EXPECT_NEAR(t.intensityMpeg2[scale][5][0], std::pow(i0, 3), 1e-15);
        EXPECT_DOUBLE_EQ(t.intensityMpeg2[scale][5][1], 1.0);
        EXPECT_NEAR(t.intensityMpeg2[scale][30][1], std::pow(i0, 15), 1e-15);
    }
}

// ISO/IEC 13818-3 2.4.3.2: the partitions' bits add up the way the ranges
// of scalefac_compress are split, and each value appears once.
TEST(Layer3FormulaTables, LsfScaleFactorLengths) {
    const Layer3TableSet& t = Tables();
    std::set<std::vector<int>> seen;
    for (int sfc = 0; sfc < 512; ++sfc) {
        const auto& e = t.lsfLengths[sfc];
        int code;
        if (e.table == 0)
            code = ((e.slen[0] * 5 + e.slen[1]) << 4) + (e.slen[2] << 2) + e.slen[3];
        else if (e.table == 1)
            code = 400 + ((e.slen[0] * 5 + e.slen[1]) << 2) + e.slen[2];
        else
            code = 500 + e.slen[0] * 3 + e.slen[1];
        EXPECT_EQ(code, sfc);
    }
    for (int isc = 0; isc < 256; ++isc) {
        const auto& e = t.lsfIntensityLengths[isc];
        int code;
        if (e.table == 3)
            code = e.slen[0] * 36 + e.slen[1] * 6 + e.slen[2];
        else if (e.table == 4)
            code = 180 + (e.slen[0] << 4) + (e.slen[1] << 2) + e.slen[2];
        else
            code = 244 + e.slen[0] * 3 + e.slen[1];
        EXPECT_EQ(code, isc);
    }
}

// Walks one lookup table the way the decoder does.
void LookUp(const layer3::HuffmanTableInfo& info, uint64_t window, int& length, int& x, int& y) {
    const uint16_t* lookup = layer3::kHuffmanLookup + info.lookup;
    uint32_t e = lookup[window >> (64 - info.firstBits)];
    int used = 0, levelBits = info.firstBits;
    while (e & 0x8000) {
        used += levelBits;
        levelBits = (e >> 12) & 7;
        e = lookup[(e & 0xfff) + static_cast<uint32_t>((window << used) >> (64 - levelBits))];
    }
    length = used + ((e >> 8) & 31);
    x = (e >> 4) & 15;
    y = e & 15;
}

TEST(Layer3Huffman, EveryCodewordDecodesToItsPair) {
    for (int select = 1; select < 32; ++select) {
        const layer3::HuffmanTableInfo& info = layer3::kHuffmanTables[select];
        const layer3::HuffmanCodewordRange& range = layer3::kHuffmanCodewordRanges[select];
        ASSERT_EQ(info.hasCodes, range.count > 0) << select;
        double kraft = 0;
        for (int i = range.first; i < range.first + range.count; ++i) {
            const layer3::HuffmanCodeword& cw = layer3::kHuffmanCodewords[i];
            kraft += std::ldexp(1.0, -cw.length);
            // The codeword followed by ones, then by zeros: the rest of the
            // window must not change the result.
            for (uint64_t tail : {0ull, ~0ull}) {
                const uint64_t window =
                    (static_cast<uint64_t>(cw.code) << (64 - cw.length)) | (tail >> cw.length);
                int length, x, y;
                LookUp(info, window, length, x, y);
                EXPECT_EQ(length, cw.length) << "table " << select << " code " << i;
                EXPECT_EQ(x, cw.x) << "table " << select;
                EXPECT_EQ(y, cw.y) << "table " << select;
            }
        }
        // A complete prefix code: no window decodes to nothing.
        if (info.hasCodes) {
            EXPECT_DOUBLE_EQ(kraft, 1.0) << select;
        }
    }
    EXPECT_EQ(layer3::kHuffmanTables[16].linbits, 1);
    EXPECT_EQ(layer3::kHuffmanTables[23].linbits, 13);
    EXPECT_EQ(layer3::kHuffmanTables[31].linbits, 13);
}

TEST(Layer3Huffman, Count1TableA) {
    double kraft = 0;
    for (int v = 0; v < 16; ++v) {
        const int code = layer3::kCount1TableACodes[v][0];
        const int length = layer3::kCount1TableACodes[v][1];
        kraft += std::ldexp(1.0, -length);
        const int index = (code << (6 - length)) | ((1 << (6 - length)) - 1);
        EXPECT_EQ(layer3::kCount1TableA[index], (length << 4) | v);
    }
    EXPECT_DOUBLE_EQ(kraft, 1.0);
}

TEST(MpegBitReaderTest, ReadsMostSignificantBitFirstAndZerosPastTheEnd) {
    uint8_t data[4 + MpegBitReader::kPadding] = {0xA5, 0x0F, 0xFF, 0x80};
    MpegBitReader bits(data, 4);
    EXPECT_EQ(bits.Read(0), 0u);
    EXPECT_EQ(bits.Read(3), 5u);
    EXPECT_EQ(bits.Read(9), 0x050u);
    EXPECT_EQ(bits.Read(17), 0x1FFF0u >> 0);
    EXPECT_EQ(bits.Position(), 29);
    bits.SetPosition(1000);
    EXPECT_EQ(bits.Position(), 32);
    EXPECT_EQ(bits.Read(16), 0u);
}

} // namespace
