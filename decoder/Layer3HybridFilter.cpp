#include "decoder/Layer3HybridFilter.h"

#include <algorithm>
#include <cstring>

namespace {

// Two doubles in one SSE2/NEON register (GCC/Clang vector extension).
typedef double Vec2 __attribute__((vector_size(16)));

inline Vec2 Load2(const double* p) {
    Vec2 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

} // namespace

void Layer3HybridFilter::Process(const Layer3SideInfo::Granule& granule, double* spectrum,
                                 int subbands, double* overlap, double (*out)[32]) const {
    const bool shortBlock = granule.blockType == 2;
    const int longSubbands = shortBlock ? (granule.mixedBlock ? 2 : 0) : 32;

    // Alias reduction across each boundary between two long subbands, where
    // one of them holds values; the butterflies carry values one subband up.
    const int aliasBoundaries = std::min(longSubbands, subbands + 1) - 1;
    for (int sb = 1; sb <= aliasBoundaries; ++sb) {
        double* lower = spectrum + sb * 18 - 1;
        double* upper = spectrum + sb * 18;
        for (int i = 0; i < 8; ++i) {
            const double bu = lower[-i], bd = upper[i];
            lower[-i] = bu * tables_.aliasCs[i] - bd * tables_.aliasCa[i];
            upper[i] = bd * tables_.aliasCs[i] + bu * tables_.aliasCa[i];
        }
    }
    if (aliasBoundaries > 0 && subbands < aliasBoundaries + 1) subbands = aliasBoundaries + 1;

    // The polyphase filterbank expects the odd samples of odd subbands negated
    // (ISO/IEC 11172-3 2.4.3.4.10.3). Odd subbands take windows with their odd
    // entries negated, so their output and the overlap they keep come out
    // inverted already.
    //
    // ISO/IEC 11172-3 2.4.2.7 (mixed_block_flag): the two lowest subbands of a
    // mixed block take the normal window, whatever the block type.
    for (int sb = 0; sb < subbands; ++sb) {
        const auto& windows = sb & 1 ? tables_.oddWindow : tables_.window;
        const int type = shortBlock || (granule.mixedBlock && sb < 2) ? 0 : granule.blockType;
        if (sb < longSubbands)
            Long(spectrum + sb * 18, windows[type].data(), overlap + sb * 18, out, sb);
        else
            Short(spectrum + sb * 18, windows[2].data(), overlap + sb * 18, out, sb);
    }
    // Subbands without values only release what the previous granule left.
    for (int sb = subbands; sb < 32; ++sb) {
        double* ov = overlap + sb * 18;
        for (int t = 0; t < 18; ++t) {
            out[t][sb] = ov[t];
            ov[t] = 0.0;
        }
    }
}

// 36-point IMDCT as an 18-point DCT-IV t[m] = sum X[k] cos(pi/72 (2m+1)(2k+1)):
// y[n] = t[n + 9] for n < 9, -t[26 - n] for n < 27, -t[n - 27] after.
//
// The DCT-IV: with X'[k] = X[k] / (2 cos(pi (2k+1) / 72)) and v the DCT-II of
// X', v[j] = sum X'[k] cos(pi (2k+1) j / 36), t[m] = v[m] + v[m+1] (v[18] = 0).
// The DCT-II folds X' around its middle: even v from a[k] = X'[k] + X'[17-k]
// by a 9-point DCT-II, odd v from b[k] = X'[k] - X'[17-k] by a 9-point DCT-IV.
// Both run at once, (a[k], b[k]) against the interleaved kernels, nine
// independent vector accumulators that stay in registers.
void Layer3HybridFilter::Long(const double* in, const double* window, double* overlap,
                              double (*out)[32], int sb) const {
    const double* prescale = tables_.imdctPrescale.data();
    Vec2 a0 = {}, a1 = {}, a2 = {}, a3 = {}, a4 = {}, a5 = {}, a6 = {}, a7 = {}, a8 = {};
    for (int k = 0; k < 9; ++k) {
        const double lo = in[k] * prescale[k], hi = in[17 - k] * prescale[17 - k];
        const Vec2 x = {lo + hi, lo - hi};
        const double* c = tables_.imdct9[k].data();
        a0 += x * Load2(c);
        a1 += x * Load2(c + 2);
        a2 += x * Load2(c + 4);
        a3 += x * Load2(c + 6);
        a4 += x * Load2(c + 8);
        a5 += x * Load2(c + 10);
        a6 += x * Load2(c + 12);
        a7 += x * Load2(c + 14);
        a8 += x * Load2(c + 16);
    }
    const Vec2 acc[9] = {a0, a1, a2, a3, a4, a5, a6, a7, a8};
    double v[19];
    std::memcpy(v, acc, 18 * sizeof(double));
    v[18] = 0.0;
    double t[18];
    for (int m = 0; m < 18; ++m)
        t[m] = v[m] + v[m + 1];
    for (int n = 0; n < 9; ++n) {
        out[n][sb] = t[n + 9] * window[n] + overlap[n];
        overlap[n] = -t[8 - n] * window[n + 18];
    }
    for (int n = 9; n < 18; ++n) {
        out[n][sb] = overlap[n] - t[26 - n] * window[n];
        overlap[n] = -t[n - 9] * window[n + 18];
    }
}

// Three 12-point IMDCTs (6-point DCT-IV each), windowed and overlapped at 6,
// 12 and 18 within the 36 samples of the block.
void Layer3HybridFilter::Short(const double* in, const double* window, double* overlap,
                               double (*out)[32], int sb) const {
    double z[36] = {};
    for (int w = 0; w < 3; ++w) {
        double t[6] = {};
        for (int k = 0; k < 6; ++k) {
            const double x = in[w * 6 + k];
            for (int m = 0; m < 6; ++m)
                t[m] += x * tables_.dct6[k][m];
        }
        double y[12];
        for (int n = 0; n < 3; ++n)
            y[n] = t[n + 3];
        for (int n = 3; n < 9; ++n)
            y[n] = -t[8 - n];
        for (int n = 9; n < 12; ++n)
            y[n] = -t[n - 9];
        for (int n = 0; n < 12; ++n)
            z[6 + 6 * w + n] += y[n] * window[n];
    }
    for (int n = 0; n < 18; ++n) {
        out[n][sb] = z[n] + overlap[n];
        overlap[n] = z[n + 18];
    }
}
