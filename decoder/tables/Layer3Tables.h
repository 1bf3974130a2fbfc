#pragma once

// Layer III tables of ISO/IEC 11172-3 Annex B and ISO/IEC 13818-3 that are data
// rather than formulas. Everything here is indexed by the decoder's sampling-rate
// index 0..8: 44100, 48000, 32000 (MPEG-1), 22050, 24000, 16000 (MPEG-2),
// 11025, 12000, 8000 (MPEG-2.5).

#include <array>
#include <cstdint>

namespace layer3 {

constexpr int kLongBands = 22;  // scale-factor bands of a long block
constexpr int kShortBands = 13; // scale-factor bands of each short window

// Band starts (in spectral lines) of one sampling rate, long blocks 0..576 and
// short blocks 0..192 (per window).
struct BandStarts {
    std::array<uint16_t, kLongBands + 1> longStart;
    std::array<uint16_t, kShortBands + 1> shortStart;
};

inline constexpr std::array<BandStarts, 9> kBandStarts = {{
    // ISO/IEC 11172-3 Table B.8, 44.1 kHz
    {{0,  4,  8,   12,  16,  20,  24,  30,  36,  44,  52, 62,
      74, 90, 110, 134, 162, 196, 238, 288, 342, 418, 576},
     {0, 4, 8, 12, 16, 22, 30, 40, 52, 66, 84, 106, 136, 192}},
    // ISO/IEC 11172-3 Table B.8, 48 kHz
    {{0,  4,  8,   12,  16,  20,  24,  30,  36,  42,  50, 60,
      72, 88, 106, 128, 156, 190, 230, 276, 330, 384, 576},
     {0, 4, 8, 12, 16, 22, 28, 38, 50, 64, 80, 100, 126, 192}},
    // ISO/IEC 11172-3 Table B.8, 32 kHz
    {{0,  4,   8,   12,  16,  20,  24,  30,  36,  44,  54, 66,
      82, 102, 126, 156, 194, 240, 296, 364, 448, 550, 576},
     {0, 4, 8, 12, 16, 22, 30, 42, 58, 78, 104, 138, 180, 192}},
    // ISO/IEC 13818-3 Table B.2, 22.05 kHz
    {{0,   6,   12,  18,  24,  30,  36,  44,  54,  66,  80, 96,
      116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 24, 32, 42, 56, 74, 100, 132, 174, 192}},
    // ISO/IEC 13818-3 Table B.2, 24 kHz
    {{0,   6,   12,  18,  24,  30,  36,  44,  54,  66,  80, 96,
      114, 136, 162, 194, 232, 278, 332, 394, 464, 540, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 136, 180, 192}},
    // ISO/IEC 13818-3 Table B.2, 16 kHz
    {{0,   6,   12,  18,  24,  30,  36,  44,  54,  66,  80, 96,
      116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192}},
    // MPEG-2.5 11.025 kHz (the 16 kHz layout of ISO/IEC 13818-3 Table B.2)
    {{0,   6,   12,  18,  24,  30,  36,  44,  54,  66,  80, 96,
      116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192}},
    // MPEG-2.5 12 kHz (the 16 kHz layout of ISO/IEC 13818-3 Table B.2)
    {{0,   6,   12,  18,  24,  30,  36,  44,  54,  66,  80, 96,
      116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192}},
    // MPEG-2.5 8 kHz
    {{0,   12,  24,  36,  48,  60,  72,  88,  108, 132, 160, 192,
      232, 280, 336, 400, 476, 566, 568, 570, 572, 574, 576},
     {0, 8, 16, 24, 36, 52, 72, 96, 124, 160, 162, 164, 166, 192}},
}};

// ISO/IEC 11172-3 Table B.6: pretab, added to long-block scale factors when preflag is set.
inline constexpr std::array<uint8_t, kLongBands> kPretab = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                            1, 1, 1, 1, 2, 2, 3, 3, 3, 2, 0};

// ISO/IEC 11172-3 2.4.2.7: slen1 and slen2 by scalefac_compress.
inline constexpr std::array<std::array<uint8_t, 2>, 16> kSlenMpeg1 = {{{0, 0},
                                                                       {0, 1},
                                                                       {0, 2},
                                                                       {0, 3},
                                                                       {3, 0},
                                                                       {1, 1},
                                                                       {1, 2},
                                                                       {1, 3},
                                                                       {2, 1},
                                                                       {2, 2},
                                                                       {2, 3},
                                                                       {3, 1},
                                                                       {3, 2},
                                                                       {3, 3},
                                                                       {4, 2},
                                                                       {4, 3}}};

// ISO/IEC 11172-3 2.4.2.7: the four scfsi band groups, in long scale-factor bands.
inline constexpr std::array<uint8_t, 5> kScfsiBands = {0, 6, 11, 16, 21};

// ISO/IEC 13818-3 2.4.3.2 (nr_of_sfb_block): bands per scale-factor partition,
// by slen table (0..2 normal, 3..5 intensity-coded right channel) and block kind
// (0 long, 1 short, 2 mixed).
inline constexpr uint8_t kScaleFactorPartitions[6][3][4] = {
    {{6, 5, 5, 5}, {9, 9, 9, 9}, {6, 9, 9, 9}},
    {{6, 5, 7, 3}, {9, 9, 12, 6}, {6, 9, 12, 6}},
    {{11, 10, 0, 0}, {18, 18, 0, 0}, {15, 18, 0, 0}},
    {{7, 7, 7, 0}, {12, 12, 12, 0}, {6, 15, 12, 0}},
    {{6, 6, 6, 3}, {12, 9, 9, 6}, {6, 12, 9, 6}},
    {{8, 8, 5, 0}, {15, 12, 9, 0}, {6, 18, 9, 0}},
};

// ISO/IEC 11172-3 Table B.9: alias-reduction coefficients Ci.
inline constexpr std::array<double, 8> kAliasCi = {-0.6,   -0.535, -0.33,   -0.185,
                                                   -0.095, -0.041, -0.0142, -0.0037};

} // namespace layer3
