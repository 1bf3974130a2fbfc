#include "decoder/Layer3TableSet.h"

#include "decoder/tables/Layer3Tables.h"

#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979323846;
}

Layer3TableSet::Layer3TableSet() {
    // ISO/IEC 11172-3 2.4.3.4.7: 2^((global_gain - 210) / 4) with the gain index
    // counting quarter steps of attenuation from 2^(46/4).
    for (int k = 0; k < kGainEntries; ++k)
        gain[k] = std::pow(2.0, -0.25 * (k - 46));
    for (int i = 0; i <= kMaxQuantised; ++i)
        pow43[i] = std::pow(static_cast<double>(i), 4.0 / 3.0);

    // ISO/IEC 11172-3 2.4.3.4.9: cs = 1 / sqrt(1 + Ci^2), ca = Ci / sqrt(1 + Ci^2).
    for (int i = 0; i < 8; ++i) {
        const double c = layer3::kAliasCi[i];
        aliasCs[i] = 1.0 / std::sqrt(1.0 + c * c);
        aliasCa[i] = c / std::sqrt(1.0 + c * c);
    }

    // ISO/IEC 11172-3 2.4.3.4.10: windows of block types 0 (normal), 1 (start),
    // 2 (short, 12 points) and 3 (stop).
    for (int i = 0; i < 36; ++i) {
        const double longWin = std::sin(kPi / 36 * (i + 0.5));
        window[0][i] = longWin;
        if (i < 18)
            window[1][i] = longWin;
        else if (i < 24)
            window[1][i] = 1.0;
        else if (i < 30)
            window[1][i] = std::sin(kPi / 12 * (i - 18 + 0.5));
        else
            window[1][i] = 0.0;
        if (i < 6)
            window[3][i] = 0.0;
        else if (i < 12)
            window[3][i] = std::sin(kPi / 12 * (i - 6 + 0.5));
        else if (i < 18)
            window[3][i] = 1.0;
        else
            window[3][i] = longWin;
        window[2][i] = i < 12 ? std::sin(kPi / 12 * (i + 0.5)) : 0.0;
    }
    for (int type = 0; type < 4; ++type)
        for (int i = 0; i < 36; ++i)
            oddWindow[type][i] = i & 1 ? -window[type][i] : window[type][i];
    for (int k = 0; k < 18; ++k)
        imdctPrescale18[k] = 1.0 / (2.0 * std::cos(kPi / 72 * (2 * k + 1)));
    for (int k = 0; k < 9; ++k)
        imdctPrescale9[k] = 1.0 / (2.0 * std::cos(kPi / 36 * (2 * k + 1)));
    for (int j = 0; j < 9; ++j)
        for (int k = 0; k < 5; ++k)
            dct9[j][k] = std::cos(kPi / 18 * (2 * k + 1) * j);
    for (int m = 0; m < 6; ++m)
        for (int k = 0; k < 6; ++k)
            dct6[m][k] = std::cos(kPi / 24 * (2 * m + 1) * (2 * k + 1));

    // ISO/IEC 11172-3 2.4.3.4.9.3: is_ratio = tan(is_pos * pi / 12), left gets
    // is_ratio / (1 + is_ratio), right 1 / (1 + is_ratio); written with sin and
    // cos; is_pos 6 (ratio infinite) puts everything left.
    for (int p = 0; p < 16; ++p) {
        const double s = std::sin(p * kPi / 12), c = std::cos(p * kPi / 12);
        if (p < 6)
            intensityMpeg1[p] = {s / (s + c), c / (s + c)};
        else if (p == 6)
            intensityMpeg1[p] = {1.0, 0.0};
        else
            intensityMpeg1[p] = {1.0, 1.0};
    }
    // ISO/IEC 13818-3 2.4.3.2: i0 = 2^(-1/4) (intensity_scale 0) or 2^(-1/2);
    // odd is_pos scales the left channel by i0^((is_pos + 1) / 2), even ones the
    // right by i0^(is_pos / 2).
    for (int scale = 0; scale < 2; ++scale) {
        const double i0 = std::pow(2.0, scale ? -0.5 : -0.25);
        for (int p = 0; p < 32; ++p) {
            if (p & 1)
                intensityMpeg2[scale][p] = {std::pow(i0, (p + 1) / 2), 1.0};
            else
                intensityMpeg2[scale][p] = {1.0, std::pow(i0, p / 2)};
        }
    }
    BuildLayouts();
    BuildLsfLengths();
}

void Layer3TableSet::BuildLayouts() {
    for (int sr = 0; sr < 9; ++sr) {
        const auto& starts = layer3::kBandStarts[sr];
        const bool lsf = sr >= 3;
        for (int kind = 0; kind < 3; ++kind) {
            BandLayout& layout = layouts[sr][kind];
            layout.count = 0;
            layout.reordered = kind != static_cast<int>(BlockKind::Long);
            int line = 0;
            // Mixed blocks: long bands up to the start of the third short band
            // (MPEG-1: bands 0..7, MPEG-2: bands 0..5), then short bands 3..12.
            const int longBands = kind == 0 ? layer3::kLongBands : kind == 2 ? (lsf ? 6 : 8) : 0;
            for (int b = 0; b < longBands; ++b) {
                const int width = starts.longStart[b + 1] - starts.longStart[b];
                layout.runs[layout.count++] = {
                    static_cast<uint16_t>(line), static_cast<uint16_t>(width), 3,
                    static_cast<uint8_t>(b), static_cast<uint8_t>((line + width + 17) / 18)};
                for (int k = 0; k < width; ++k, ++line)
                    layout.reorder[line] = static_cast<uint16_t>(line);
            }
            if (kind == 0) continue;
            for (int b = kind == 2 ? 3 : 0; b < layer3::kShortBands; ++b) {
                const int width = starts.shortStart[b + 1] - starts.shortStart[b];
                for (int w = 0; w < 3; ++w) {
                    const int freqEnd = starts.shortStart[b] + width;
                    layout.runs[layout.count++] = {static_cast<uint16_t>(line),
                                                   static_cast<uint16_t>(width),
                                                   static_cast<uint8_t>(w), static_cast<uint8_t>(b),
                                                   static_cast<uint8_t>((freqEnd + 5) / 6)};
                    for (int k = 0; k < width; ++k, ++line) {
                        const int f = starts.shortStart[b] + k;
                        layout.reorder[line] = static_cast<uint16_t>((f / 6) * 18 + w * 6 + f % 6);
                    }
                }
            }
        }
    }
}

void Layer3TableSet::BuildLsfLengths() {
    // ISO/IEC 13818-3 2.4.3.2: slen1..slen4 from scalefac_compress.
    for (int sfc = 0; sfc < 512; ++sfc) {
        LsfScaleFactorLength& e = lsfLengths[sfc];
        if (sfc < 400)
            e = {{static_cast<uint8_t>((sfc >> 4) / 5), static_cast<uint8_t>((sfc >> 4) % 5),
                  static_cast<uint8_t>((sfc % 16) >> 2), static_cast<uint8_t>(sfc % 4)},
                 0};
        else if (sfc < 500)
            e = {{static_cast<uint8_t>(((sfc - 400) >> 2) / 5),
                  static_cast<uint8_t>(((sfc - 400) >> 2) % 5),
                  static_cast<uint8_t>((sfc - 400) % 4), 0},
                 1};
        else
            e = {{static_cast<uint8_t>((sfc - 500) / 3), static_cast<uint8_t>((sfc - 500) % 3), 0,
                  0},
                 2};
    }
    for (int isc = 0; isc < 256; ++isc) {
        LsfScaleFactorLength& e = lsfIntensityLengths[isc];
        if (isc < 180)
            e = {{static_cast<uint8_t>(isc / 36), static_cast<uint8_t>((isc % 36) / 6),
                  static_cast<uint8_t>((isc % 36) % 6), 0},
                 3};
        else if (isc < 244)
            e = {{static_cast<uint8_t>(((isc - 180) % 64) >> 4),
                  static_cast<uint8_t>(((isc - 180) % 16) >> 2),
                  static_cast<uint8_t>((isc - 180) % 4), 0},
                 4};
        else
            e = {{static_cast<uint8_t>((isc - 244) / 3), static_cast<uint8_t>((isc - 244) % 3), 0,
                  0},
                 5};
    }
}
