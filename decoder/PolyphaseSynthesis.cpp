#include "decoder/PolyphaseSynthesis.h"

#include "decoder/CpuDispatch.h"
#include "decoder/Double4.h"
#include "decoder/MpegDecoderState.h"
#include "decoder/tables/SynthesisWindowTable.h"

#include <cmath>
#include <cstring>

namespace {

constexpr double kWindowScale = 32767.0;
constexpr double kOutputScale = 1.0 / 32768.0; // 2^-15

// Lee's DCT-II: with g[n] = x[n] + x[N-1-n] and h[n] = (x[n] - x[N-1-n]) /
// (2 cos((2n + 1) pi / 2N)), X[2k] = G[k] and X[2k+1] = H[k] + H[k+1], where
// G and H are the half-length transforms and H[N/2] = 0.
template <int N>
TONEHALL_INLINE void LeeDct(const double* in, double* out, const double* const* cosTables) {
    constexpr int half = N / 2;
    double g[half];
    double h[half];
    const double* c = cosTables[0];
    for (int n = 0; n < half; ++n) {
        g[n] = in[n] + in[N - 1 - n];
        h[n] = (in[n] - in[N - 1 - n]) * c[n];
    }
    double gOut[half];
    double hOut[half];
    LeeDct<half>(g, gOut, cosTables + 1);
    LeeDct<half>(h, hOut, cosTables + 1);
    for (int k = 0; k < half - 1; ++k) {
        out[2 * k] = gOut[k];
        out[2 * k + 1] = hOut[k] + hOut[k + 1];
    }
    out[N - 2] = gOut[half - 1];
    out[N - 1] = hOut[half - 1];
}

template <> TONEHALL_INLINE void LeeDct<1>(const double* in, double* out, const double* const*) {
    out[0] = in[0];
}

// One step for `channel`: the DCT of the subband samples into the newest
// history slot, then 32 output samples, clipped, stored `stride` doubles
// apart from `out` (by memcpy: the output is a byte buffer of any alignment).
// Returns the number of clipped samples.
//
// The standard shifts a 1024-value vector V by 64 per step, fills V[0..63]
// with the matrixed subband samples, and outputs
//   out[j] = sum_{i=0..7} V_{2i}[j] D[64i + j] + V_{2i+1}[32 + j] D[64i + 32 + j],
// V_t being the vector t steps old. With y_t the DCT of step t, V_t[n] is
// y_t[16 + n] (n < 16), 0 (n = 16), -y_t[48 - n] (16 < n <= 48) and
// -y_t[n - 48] (n > 48). Each slot keeps V_t[0..31] and V_t[32..63] without
// their minus signs, which sit in the window instead (negation is exact), so
// the window loop below reads history and window in order, four lanes at a
// time. The 2^-15 output scale sits in the window too: a power of two scales
// every product and sum exactly.
TONEHALL_INLINE int32_t StepBody(MpegDecoderState& state, const double* samples, int32_t channel,
                                 uint8_t* out, int32_t stride) {
    const int32_t newest = state.synthesisOffset;
    double(*history)[2][32] = state.synthesisHistory[channel];
    double y[32];
    LeeDct<32>(samples, y, state.dctCos);
    double* row0 = history[newest][0];
    double* row1 = history[newest][1];
    for (int32_t j = 0; j < 16; ++j)
        row0[j] = y[16 + j];
    row0[16] = 0.0;
    for (int32_t j = 17; j < 32; ++j)
        row0[j] = y[48 - j];
    for (int32_t j = 0; j <= 16; ++j)
        row1[j] = y[16 - j];
    for (int32_t j = 17; j < 32; ++j)
        row1[j] = y[j - 16];

    // Eight accumulators of four outputs each; a tap pair's two products are
    // added before they reach the sum, as the reference formulation does.
    Double4 sum[8] = {};
    for (int32_t i = 0; i < 8; ++i) {
        const double* even = history[(newest + 2 * i) & 15][0];
        const double* odd = history[(newest + 2 * i + 1) & 15][1];
        const double* we = state.synthesisWindow[i][0];
        const double* wo = state.synthesisWindow[i][1];
        for (int32_t v = 0; v < 8; ++v)
            sum[v] +=
                Load4(even + 4 * v) * Load4(we + 4 * v) + Load4(odd + 4 * v) * Load4(wo + 4 * v);
    }

    // Clipping without branches: loud passages clip often and at random.
    // A comparison yields -1 in every lane where it holds.
    const Double4 one = Splat4(1.0);
    const Double4 minusOne = Splat4(-1.0);
    Long4 clipped = {};
    for (int32_t v = 0; v < 8; ++v) {
        const Long4 above = sum[v] > one;
        const Long4 below = sum[v] < minusOne;
        clipped -= above + below;
        const Double4 x = above ? one : below ? minusOne : sum[v];
        for (int32_t k = 0; k < 4; ++k) {
            const double value = x[k];
            std::memcpy(out + 8 * stride * (4 * v + k), &value, sizeof value);
        }
    }
    return static_cast<int32_t>(clipped[0] + clipped[1] + clipped[2] + clipped[3]);
}

TONEHALL_GENERIC_KERNEL int32_t StepGeneric(MpegDecoderState& state, const double* samples,
                                            int32_t channel, uint8_t* out, int32_t stride) {
    return StepBody(state, samples, channel, out, stride);
}

TONEHALL_AVX2_KERNEL int32_t StepAvx2(MpegDecoderState& state, const double* samples,
                                      int32_t channel, uint8_t* out, int32_t stride) {
    return StepBody(state, samples, channel, out, stride);
}

int32_t Step(MpegDecoderState& state, const double* samples, int32_t channel, uint8_t* out,
             int32_t stride) {
    return CpuDispatch::UseAvx2() ? StepAvx2(state, samples, channel, out, stride)
                                  : StepGeneric(state, samples, channel, out, stride);
}

} // namespace

void SynthesisDct32(const MpegDecoderState& state, const double* in, double* out) {
    LeeDct<32>(in, out, state.dctCos);
}

void InitSynthesisTables(MpegDecoderState& state) {
    for (int32_t i = 0; i < 8; ++i)
        for (int32_t j = 0; j < 32; ++j) {
            const double even = kSynthesisWindowD[64 * i + j] / kSynthesisWindowDenominator;
            const double odd = kSynthesisWindowD[64 * i + 32 + j] / kSynthesisWindowDenominator;
            // V_{2i}[j] is -y[48 - j] past j = 16; V_{2i+1}[32 + j] always negative.
            state.synthesisWindow[i][0][j] = (j > 16 ? -even : even) * kWindowScale * kOutputScale;
            state.synthesisWindow[i][1][j] = -odd * kWindowScale * kOutputScale;
        }
    double* tables[5] = {state.dctCos16, state.dctCos8, state.dctCos4, state.dctCos2,
                         state.dctCos1};
    const double pi = std::acos(-1.0);
    for (int32_t t = 0; t < 5; ++t) {
        const int32_t divisor = 64 >> t;
        for (int32_t k = 0; k < (16 >> t); ++k)
            tables[t][k] = 1.0 / (2.0 * std::cos(pi * (2 * k + 1) / divisor));
        state.dctCos[t] = tables[t];
    }
}

void ResetSynthesis(MpegDecoderState& state) {
    std::memset(state.synthesisHistory, 0, sizeof state.synthesisHistory);
    state.synthesisOffset = 1;
}

int32_t Synthesize(MpegDecoderState& state, const double* samples, int32_t channel, uint8_t* output,
                   int32_t& bytesDone) {
    channel = channel == 0 ? 0 : 1;
    if (channel == 0) state.synthesisOffset = (state.synthesisOffset + 15) & 15;
    const int32_t clipped = Step(state, samples, channel, output + bytesDone + 8 * channel, 2);
    if (channel == 1) bytesDone += 512;
    return clipped;
}

int32_t SynthesizeMono(MpegDecoderState& state, const double* samples, uint8_t* output,
                       int32_t& bytesDone) {
    state.synthesisOffset = (state.synthesisOffset + 15) & 15;
    const int32_t clipped = Step(state, samples, 0, output + bytesDone, 1);
    bytesDone += 256;
    return clipped;
}
