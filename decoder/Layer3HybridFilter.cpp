#include "decoder/Layer3HybridFilter.h"

#include "decoder/CpuDispatch.h"
#include "decoder/Double4.h"

#include <algorithm>

namespace {

// Two doubles in one SSE2/NEON register (GCC/Clang vector extension).
typedef double Vec2 __attribute__((vector_size(16)));

// 36-point IMDCT as an 18-point DCT-IV t[m] = sum X[k] cos(pi/72 (2m+1)(2k+1)):
// y[n] = t[n + 9] for n < 9, -t[26 - n] for n < 27, -t[n - 27] after.
//
// A DCT-IV of N points is a DCT-II of the input prescaled by
// 1 / (2 cos(pi (2k+1) / 4N)), followed by sums of neighbours:
// t[m] = v[m] + v[m+1], v[N] = 0. The 18-point DCT-II folds its input around
// the middle: even outputs are the 9-point DCT-II of a[k] = X'[k] + X'[17-k],
// odd ones the 9-point DCT-IV of b[k] = X'[k] - X'[17-k], which by the same
// rule is another 9-point DCT-II. The two 9-point DCT-IIs run side by side in
// the two lanes of a vector, each folded once more around its middle input
// (cos(pi (17-2k) j / 18) = (-1)^j cos(pi (2k+1) j / 18)).
TONEHALL_INLINE void Long(const Layer3TableSet& tables, const double* in, const double* window,
                          double* overlap, double (*out)[32], int sb) {
    const double* p18 = tables.imdctPrescale18.data();
    const double* p9 = tables.imdctPrescale9.data();
    Vec2 z[9];
    for (int k = 0; k < 9; ++k) {
        const double lo = in[k] * p18[k], hi = in[17 - k] * p18[17 - k];
        z[k] = Vec2{lo + hi, (lo - hi) * p9[k]};
    }
    Vec2 sum[4], diff[4];
    for (int k = 0; k < 4; ++k) {
        sum[k] = z[k] + z[8 - k];
        diff[k] = z[k] - z[8 - k];
    }
    // Lane 0: v[2j]; lane 1: u[j], the DCT-II behind the odd outputs.
    Vec2 d[9];
    for (int j = 0; j < 9; j += 2) {
        const double* c = tables.dct9[j].data();
        d[j] = z[4] * c[4] + sum[0] * c[0] + sum[1] * c[1] + sum[2] * c[2] + sum[3] * c[3];
    }
    for (int j = 1; j < 9; j += 2) {
        const double* c = tables.dct9[j].data();
        d[j] = diff[0] * c[0] + diff[1] * c[1] + diff[2] * c[2] + diff[3] * c[3];
    }
    // v[2j] = A[j] (lane 0); v[2j + 1] = U[j] + U[j + 1] (lane 1, U[9] = 0);
    // t[m] = v[m] + v[m + 1].
    double t[18];
    for (int j = 0; j < 9; ++j) {
        const double w = d[j][1] + (j < 8 ? d[j + 1][1] : 0.0);
        t[2 * j] = d[j][0] + w;
        t[2 * j + 1] = w + (j < 8 ? d[j + 1][0] : 0.0);
    }
    for (int n = 0; n < 9; ++n) {
        out[n][sb] = t[n + 9] * window[n] + overlap[32 * n];
        overlap[32 * n] = -t[8 - n] * window[n + 18];
    }
    for (int n = 9; n < 18; ++n) {
        out[n][sb] = overlap[32 * n] - t[26 - n] * window[n];
        overlap[32 * n] = -t[n - 9] * window[n + 18];
    }
}

// Long with four neighbouring subbands sb..sb+3 in the four lanes (sb a
// multiple of 4): the same operations in the same order as Long, lane by
// lane, so the result is the same bit for bit; the two 9-point DCT-IIs that
// share Long's vectors are the A and B values here. `windows` holds each
// window entry for the lanes' subbands (even, odd, even, odd).
TONEHALL_INLINE void LongQuad(const Layer3TableSet& tables, const double* in,
                              const Double4* windows, double* overlap, double (*out)[32], int sb) {
    const double* p18 = tables.imdctPrescale18.data();
    const double* p9 = tables.imdctPrescale9.data();
    const double* in0 = in;
    const double* in1 = in + 18;
    const double* in2 = in + 36;
    const double* in3 = in + 54;
    auto gather = [&](int k) { return Double4{in0[k], in1[k], in2[k], in3[k]}; };
    Double4 za[9], zb[9];
    for (int k = 0; k < 9; ++k) {
        const Double4 lo = gather(k) * p18[k], hi = gather(17 - k) * p18[17 - k];
        za[k] = lo + hi;
        zb[k] = (lo - hi) * p9[k];
    }
    Double4 sumA[4], sumB[4], diffA[4], diffB[4];
    for (int k = 0; k < 4; ++k) {
        sumA[k] = za[k] + za[8 - k];
        sumB[k] = zb[k] + zb[8 - k];
        diffA[k] = za[k] - za[8 - k];
        diffB[k] = zb[k] - zb[8 - k];
    }
    Double4 dA[9], dB[9];
    for (int j = 0; j < 9; j += 2) {
        const double* c = tables.dct9[j].data();
        dA[j] = za[4] * c[4] + sumA[0] * c[0] + sumA[1] * c[1] + sumA[2] * c[2] + sumA[3] * c[3];
        dB[j] = zb[4] * c[4] + sumB[0] * c[0] + sumB[1] * c[1] + sumB[2] * c[2] + sumB[3] * c[3];
    }
    for (int j = 1; j < 9; j += 2) {
        const double* c = tables.dct9[j].data();
        dA[j] = diffA[0] * c[0] + diffA[1] * c[1] + diffA[2] * c[2] + diffA[3] * c[3];
        dB[j] = diffB[0] * c[0] + diffB[1] * c[1] + diffB[2] * c[2] + diffB[3] * c[3];
    }
    // Long adds 0.0 past the last pair; so does this, for the sign of zero.
    const Double4 zero = {};
    Double4 t[18];
    for (int j = 0; j < 9; ++j) {
        const Double4 w = dB[j] + (j < 8 ? dB[j + 1] : zero);
        t[2 * j] = dA[j] + w;
        t[2 * j + 1] = w + (j < 8 ? dA[j + 1] : zero);
    }
    double* ov = overlap + sb;
    for (int n = 0; n < 9; ++n) {
        Store4(&out[n][sb], t[n + 9] * windows[n] + Load4(ov + 32 * n));
        Store4(ov + 32 * n, -t[8 - n] * windows[n + 18]);
    }
    for (int n = 9; n < 18; ++n) {
        Store4(&out[n][sb], Load4(ov + 32 * n) - t[26 - n] * windows[n]);
        Store4(ov + 32 * n, -t[n - 9] * windows[n + 18]);
    }
}

// Three 12-point IMDCTs (6-point DCT-IV each), windowed and overlapped at 6,
// 12 and 18 within the 36 samples of the block.
TONEHALL_INLINE void Short(const Layer3TableSet& tables, const double* in, const double* window,
                           double* overlap, double (*out)[32], int sb) {
    double z[36] = {};
    for (int w = 0; w < 3; ++w) {
        double t[6] = {};
        for (int k = 0; k < 6; ++k) {
            const double x = in[w * 6 + k];
            for (int m = 0; m < 6; ++m)
                t[m] += x * tables.dct6[k][m];
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
        out[n][sb] = z[n] + overlap[32 * n];
        overlap[32 * n] = z[n + 18];
    }
}

template <bool avx2>
TONEHALL_INLINE void ProcessBody(const Layer3TableSet& tables,
                                 const Layer3SideInfo::Granule& granule, double* spectrum,
                                 int subbands, double* overlap, double (*out)[32]) {
    const bool shortBlock = granule.blockType == 2;
    const int longSubbands = shortBlock ? (granule.mixedBlock ? 2 : 0) : 32;

    // Alias reduction across each boundary between two long subbands, where
    // one of them holds values; the butterflies carry values one subband up.
    const int aliasBoundaries = std::min(longSubbands, subbands + 1) - 1;
    // Butterfly i pairs line 18 sb - 1 - i with 18 sb + i. The AVX2 build
    // does four at a time, the lower lines loaded and stored reversed; the
    // baseline build would do its reversals through memory.
    for (int sb = 1; sb <= aliasBoundaries; ++sb) {
        if constexpr (avx2) {
            double* lower = spectrum + sb * 18 - 8; // lines of butterflies 7..0
            double* upper = spectrum + sb * 18;
            for (int i = 0; i < 8; i += 4) {
                const Double4 cs = Load4(tables.aliasCs.data() + i);
                const Double4 ca = Load4(tables.aliasCa.data() + i);
                const Double4 bu = Reverse4(Load4(lower + 4 - i));
                const Double4 bd = Load4(upper + i);
                Store4(lower + 4 - i, Reverse4(bu * cs - bd * ca));
                Store4(upper + i, bd * cs + bu * ca);
            }
        } else {
            double* lower = spectrum + sb * 18 - 1;
            double* upper = spectrum + sb * 18;
            for (int i = 0; i < 8; ++i) {
                const double bu = lower[-i], bd = upper[i];
                lower[-i] = bu * tables.aliasCs[i] - bd * tables.aliasCa[i];
                upper[i] = bd * tables.aliasCs[i] + bu * tables.aliasCa[i];
            }
        }
    }
    if (aliasBoundaries > 0 && subbands < aliasBoundaries + 1) subbands = aliasBoundaries + 1;

    // The polyphase filterbank expects the odd samples of odd subbands negated
    // (ISO/IEC 11172-3 2.4.3.4.10.3). Odd subbands take windows with their odd
    // entries negated, so their output and the overlap they keep come out
    // inverted already.
    //
    // In the AVX2 build long blocks go four subbands at a time, up to the
    // multiple of 4 at or above `subbands` (a subband without values gives
    // what releasing its overlap gives). The baseline build has half the
    // register width and would spill most of LongQuad's values.
    int sb = 0;
    if (avx2 && longSubbands == 32 && !granule.mixedBlock) {
        const auto& even = tables.window[granule.blockType];
        const auto& odd = tables.oddWindow[granule.blockType];
        Double4 windows[36];
        for (int n = 0; n < 36; ++n)
            windows[n] = Double4{even[n], odd[n], even[n], odd[n]};
        for (; sb < subbands; sb += 4)
            LongQuad(tables, spectrum + sb * 18, windows, overlap, out, sb);
    }
    // ISO/IEC 11172-3 2.4.2.7 (mixed_block_flag): the two lowest subbands of a
    // mixed block take the normal window, whatever the block type.
    for (; sb < subbands; ++sb) {
        const auto& windows = sb & 1 ? tables.oddWindow : tables.window;
        const int type = shortBlock || (granule.mixedBlock && sb < 2) ? 0 : granule.blockType;
        if (sb < longSubbands)
            Long(tables, spectrum + sb * 18, windows[type].data(), overlap + sb, out, sb);
        else
            Short(tables, spectrum + sb * 18, windows[2].data(), overlap + sb, out, sb);
    }
    // Subbands without values only release what the previous granule left.
    for (; sb < 32; ++sb) {
        for (int t = 0; t < 18; ++t) {
            out[t][sb] = overlap[32 * t + sb];
            overlap[32 * t + sb] = 0.0;
        }
    }
}

// The filterbank's two builds (CpuDispatch.h).
TONEHALL_GENERIC_KERNEL void ProcessGeneric(const Layer3TableSet& tables,
                                            const Layer3SideInfo::Granule& granule,
                                            double* spectrum, int subbands, double* overlap,
                                            double (*out)[32]) {
    ProcessBody<false>(tables, granule, spectrum, subbands, overlap, out);
}

TONEHALL_AVX2_KERNEL void ProcessAvx2(const Layer3TableSet& tables,
                                      const Layer3SideInfo::Granule& granule, double* spectrum,
                                      int subbands, double* overlap, double (*out)[32]) {
    ProcessBody<true>(tables, granule, spectrum, subbands, overlap, out);
}

} // namespace

void Layer3HybridFilter::Process(const Layer3SideInfo::Granule& granule, double* spectrum,
                                 int subbands, double* overlap, double (*out)[32]) const {
    if (CpuDispatch::UseAvx2())
        ProcessAvx2(tables_, granule, spectrum, subbands, overlap, out);
    else
        ProcessGeneric(tables_, granule, spectrum, subbands, overlap, out);
}
