#pragma once

#include <array>
#include <cstdint>

// The Layer III tables that are formulas of ISO/IEC 11172-3 and 13818-3, or
// reshapings of the data tables in decoder/tables/Layer3Tables.h into the form
// the decoding loops want. Built once when a Layer3Decoder is created; about
// 100 KB, so the decoder holds one by pointer-free value inside its heap object.
class Layer3TableSet {
public:
    // Largest |value| a Huffman pair table can code: 15 plus 13 linbits.
    static constexpr int kMaxQuantised = 15 + 8191;
    // Gain table: entry k = 2^(-(k - 46) / 4); global gain g selects 256 - g.
    static constexpr int kGainEntries = 378;
    static constexpr int kGainBase = 256;

    // One run of spectral lines in bitstream order that shares one scale factor.
    struct BandRun {
        uint16_t start; // first line in bitstream order
        uint16_t width; // lines
        uint8_t window; // 0..2 for short-block runs, 3 for long-block runs
        uint8_t band;   // scale-factor band (long or short numbering)
        // Subbands 0..subbandEnd-1 of the hybrid order hold every line up to
        // this run's end.
        uint8_t subbandEnd;
    };
    // Bitstream-order layout of a granule for one sampling rate and block kind.
    struct BandLayout {
        std::array<BandRun, 22 + 39> runs;
        int count;
        // For short and mixed layouts: where line i (bitstream order) goes in
        // the subband-major order of the hybrid filterbank, sb * 18 + window * 6 + k.
        std::array<uint16_t, 576> reorder;
        bool reordered;
    };
    enum class BlockKind { Long = 0, Short = 1, Mixed = 2 };

    // MPEG-2 scale-factor lengths: slen[4] and the partition table 0..5.
    struct LsfScaleFactorLength {
        std::array<uint8_t, 4> slen;
        uint8_t table;
    };

    Layer3TableSet();

    std::array<double, kGainEntries> gain;
    std::array<double, kMaxQuantised + 1> pow43;
    std::array<double, 8> aliasCs;
    std::array<double, 8> aliasCa;
    // IMDCT windows by block type 0..3 (type 2 uses the first 12 entries).
    std::array<std::array<double, 36>, 4> window;
    // The same with every odd entry negated, for the odd subbands.
    std::array<std::array<double, 36>, 4> oddWindow;
    // The 18-point DCT-IV behind the 36-point IMDCT (see Layer3HybridFilter):
    // prescales 1 / (2 cos(pi (2k + 1) / 72)) for 18 points and
    // 1 / (2 cos(pi (2k + 1) / 36)) for 9, and the folded 9-point DCT-II
    // kernel dct9[j][k] = cos(pi (2k + 1) j / 18) for k = 0..4.
    std::array<double, 18> imdctPrescale18;
    std::array<double, 9> imdctPrescale9;
    std::array<std::array<double, 5>, 9> dct9;
    // The 6-point DCT-IV behind the 12-point IMDCT:
    // cos(pi / 24 * (2m + 1) * (2k + 1)), indexed [k][m].
    std::array<std::array<double, 6>, 6> dct6;
    // Intensity-stereo factors (left, right) by is_pos: MPEG-1 (0..6 used), and
    // MPEG-2 by intensity_scale 0/1 and is_pos 0..31 (slen reaches 5 there).
    std::array<std::array<double, 2>, 16> intensityMpeg1;
    std::array<std::array<std::array<double, 2>, 32>, 2> intensityMpeg2;
    // Per sampling-rate index 0..8, by BlockKind.
    std::array<std::array<BandLayout, 3>, 9> layouts;
    // By scalefac_compress (512) and by scalefac_compress >> 1 for the
    // intensity-coded right channel (256).
    std::array<LsfScaleFactorLength, 512> lsfLengths;
    std::array<LsfScaleFactorLength, 256> lsfIntensityLengths;

private:
    void BuildLayouts();
    void BuildLsfLengths();
};
