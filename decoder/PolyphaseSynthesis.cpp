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
// G and H are the half-length transforms and H[N/2] = 0. T is double, or
// Double4 for four independent transforms side by side.
template <int N, typename T>
TONEHALL_INLINE void LeeDct(const T* in, T* out, const double* const* cosTables) {
    constexpr int half = N / 2;
    T g[half];
    T h[half];
    const double* c = cosTables[0];
    for (int n = 0; n < half; ++n) {
        g[n] = in[n] + in[N - 1 - n];
        h[n] = (in[n] - in[N - 1 - n]) * c[n];
    }
    T gOut[half];
    T hOut[half];
    if constexpr (half == 1) {
        gOut[0] = g[0];
        hOut[0] = h[0];
    } else {
        LeeDct<half>(g, gOut, cosTables + 1);
        LeeDct<half>(h, hOut, cosTables + 1);
    }
    for (int k = 0; k < half - 1; ++k) {
        out[2 * k] = gOut[k];
        out[2 * k + 1] = hOut[k] + hOut[k + 1];
    }
    out[N - 2] = gOut[half - 1];
    out[N - 1] = hOut[half - 1];
}

// The standard shifts a 1024-value vector V by 64 per step, fills V[0..63]
// with the matrixed subband samples, and outputs
//   out[j] = sum_{i=0..7} V_{2i}[j] D[64i + j] + V_{2i+1}[32 + j] D[64i + 32 + j],
// V_t being the vector t steps old. With y_t the DCT of step t, V_t[n] is
// y_t[16 + n] (n < 16), 0 (n = 16), -y_t[48 - n] (16 < n <= 48) and
// -y_t[n - 48] (n > 48). Each slot keeps V_t[0..31] and V_t[32..63] without
// their minus signs, which sit in the window instead (negation is exact), so
// the window loop reads history and window in order, four lanes at a time.
// The 2^-15 output scale sits in the window too: a power of two scales every
// product and sum exactly.
TONEHALL_INLINE void IntoHistory(MpegDecoderState& state, const double* y, int32_t channel) {
    double* row0 = state.synthesisHistory[channel][state.synthesisOffset][0];
    double* row1 = state.synthesisHistory[channel][state.synthesisOffset][1];
    for (int32_t j = 0; j < 16; ++j)
        row0[j] = y[16 + j];
    row0[16] = 0.0;
    for (int32_t j = 17; j < 32; ++j)
        row0[j] = y[48 - j];
    for (int32_t j = 0; j <= 16; ++j)
        row1[j] = y[16 - j];
    for (int32_t j = 17; j < 32; ++j)
        row1[j] = y[j - 16];
}

TONEHALL_INLINE void DctIntoHistory(MpegDecoderState& state, const double* samples,
                                    int32_t channel) {
    double y[32];
    LeeDct<32>(samples, y, state.dctCos);
    IntoHistory(state, y, channel);
}

// The DCTs of up to four steps at once, one step per lane (`count` of them;
// the spare lanes repeat the last step): the same operations as four single
// DCTs, a quarter of the instructions, with 4 x 4 transposes on the way in
// and out.
TONEHALL_INLINE void Dct4(const MpegDecoderState& state, const double (*samples)[32], int32_t count,
                          double (*y)[32]) {
    const double* x[4];
    for (int32_t s = 0; s < 4; ++s)
        x[s] = samples[s < count ? s : count - 1];
    Double4 in[32];
    for (int32_t k = 0; k < 32; k += 4) {
        Double4 a = Load4(x[0] + k), b = Load4(x[1] + k), c = Load4(x[2] + k), d = Load4(x[3] + k);
        Transpose4(a, b, c, d);
        in[k] = a;
        in[k + 1] = b;
        in[k + 2] = c;
        in[k + 3] = d;
    }
    Double4 out[32];
    LeeDct<32>(in, out, state.dctCos);
    for (int32_t i = 0; i < 32; i += 4) {
        Double4 a = out[i], b = out[i + 1], c = out[i + 2], d = out[i + 3];
        Transpose4(a, b, c, d);
        Store4(y[0] + i, a);
        Store4(y[1] + i, b);
        Store4(y[2] + i, c);
        Store4(y[3] + i, d);
    }
}

// Outputs 4 * first .. 4 * (first + count) - 1 of the current step into
// sum[c][0..count-1] for each of `channels` channels from `channel`. A tap
// pair's two products are added before they reach the sum, as the reference
// formulation does. With two channels each window vector is loaded once for
// both.
template <int channels, int count, bool avx2 = false>
TONEHALL_INLINE void Window(const MpegDecoderState& state, int32_t channel, int32_t first,
                            Double4 (*sum)[count]) {
    const int32_t newest = state.synthesisOffset;
    for (int32_t i = 0; i < 8; ++i) {
        const double* we = state.synthesisWindow[i][0] + 4 * first;
        const double* wo = state.synthesisWindow[i][1] + 4 * first;
        for (int32_t v = 0; v < count; ++v) {
            Double4 e = Load4(we + 4 * v);
            Double4 o = Load4(wo + 4 * v);
            // Left to itself GCC folds these loads into every multiplication
            // and loads the history separately: twice the loads, and loads
            // are what this loop waits for. An empty asm makes the window a
            // register value, so the history becomes the memory operand.
            // (Only for ymm registers: the baseline build holds a Double4 in
            // two xmm registers. Clang checks the operand against the
            // translation unit's instruction set, not the function's.)
#if defined(__x86_64__) && !defined(__clang__)
            if constexpr (avx2) asm("" : "+x"(e), "+x"(o));
#endif
            for (int32_t c = 0; c < channels; ++c) {
                const double(*history)[2][32] = state.synthesisHistory[channel + c];
                const double* even = history[(newest + 2 * i) & 15][0] + 4 * first;
                const double* odd = history[(newest + 2 * i + 1) & 15][1] + 4 * first;
                sum[c][v] += Load4(even + 4 * v) * e + Load4(odd + 4 * v) * o;
            }
        }
    }
}

// Clipping without branches: loud passages clip often and at random. A
// comparison yields -1 in every lane where it holds.
TONEHALL_INLINE Double4 Clip(Double4 x, Long4& clipped) {
    const Double4 one = Splat4(1.0);
    const Double4 minusOne = Splat4(-1.0);
    const Long4 above = x > one;
    const Long4 below = x < minusOne;
    clipped -= above + below;
    return above ? one : below ? minusOne : x;
}

TONEHALL_INLINE int32_t Total(Long4 clipped) {
    return static_cast<int32_t>(clipped[0] + clipped[1] + clipped[2] + clipped[3]);
}

// How many four-output groups of one channel the window loop sums at a time:
// its accumulators must stay in registers, sixteen ymm in the AVX2 build
// but only eight Double4 in the baseline's sixteen xmm.
template <bool avx2> constexpr int32_t kGroups = avx2 ? 8 : 4;

// The window of `channel`'s current step: 32 output samples stored `stride`
// doubles apart from `out` (by memcpy: the output is a byte buffer of any
// alignment). Returns the number of clipped samples.
template <bool avx2 = false>
TONEHALL_INLINE int32_t WindowMono(const MpegDecoderState& state, int32_t channel, uint8_t* out,
                                   int32_t stride) {
    constexpr int32_t groups = kGroups<avx2>;
    Long4 clipped = {};
    for (int32_t first = 0; first < 8; first += groups) {
        Double4 sum[1][groups] = {};
        Window<1, groups, avx2>(state, channel, first, sum);
        for (int32_t v = 0; v < groups; ++v) {
            const Double4 x = Clip(sum[0][v], clipped);
            for (int32_t k = 0; k < 4; ++k) {
                const double value = x[k];
                std::memcpy(out + 8 * stride * (4 * (first + v) + k), &value, sizeof value);
            }
        }
    }
    return Total(clipped);
}

// The window of both channels' current step, interleaved: the same
// arithmetic as two WindowMono calls, but the window is loaded once for both,
// and the AVX2 build stores the output four doubles at a time.
template <bool avx2 = false>
TONEHALL_INLINE int32_t WindowStereo(const MpegDecoderState& state, uint8_t* out) {
    constexpr int32_t groups = kGroups<avx2> / 2;
    Long4 clipped = {};
    for (int32_t first = 0; first < 8; first += groups) {
        Double4 sum[2][groups] = {};
        Window<2, groups, avx2>(state, 0, first, sum);
        for (int32_t v = 0; v < groups; ++v) {
            const Double4 x = Clip(sum[0][v], clipped);
            const Double4 y = Clip(sum[1][v], clipped);
            uint8_t* at = out + 8 * 2 * 4 * (first + v);
            if constexpr (avx2) {
                Store4(at, InterleaveLow(x, y));
                Store4(at + 32, InterleaveHigh(x, y));
            } else {
                // The baseline build would shuffle through memory.
                for (int32_t k = 0; k < 4; ++k) {
                    const double pair[2] = {x[k], y[k]};
                    std::memcpy(at + 16 * k, pair, sizeof pair);
                }
            }
        }
    }
    return Total(clipped);
}

TONEHALL_INLINE int32_t StepBody(MpegDecoderState& state, const double* samples, int32_t channel,
                                 uint8_t* out, int32_t stride) {
    DctIntoHistory(state, samples, channel);
    return WindowMono(state, channel, out, stride);
}

// `steps` consecutive steps of both channels (or of channel 0 alone when
// `right` is null). The AVX2 build does the DCTs four steps at a time; the
// baseline one step at a time, as its four-lane shuffles would go through
// memory. Both do the same arithmetic.
template <bool avx2>
TONEHALL_INLINE int32_t StepsBody(MpegDecoderState& state, const double (*left)[32],
                                  const double (*right)[32], int32_t steps, uint8_t* out) {
    int32_t clipped = 0;
    for (int32_t first = 0; first < steps; first += 4) {
        const int32_t count = steps - first < 4 ? steps - first : 4;
        alignas(32) double y[2][4][32];
        if constexpr (avx2) {
            Dct4(state, left + first, count, y[0]);
            if (right != nullptr) Dct4(state, right + first, count, y[1]);
        }
        for (int32_t s = 0; s < count; ++s) {
            state.synthesisOffset = (state.synthesisOffset + 15) & 15;
            if constexpr (avx2) {
                IntoHistory(state, y[0][s], 0);
                if (right != nullptr) IntoHistory(state, y[1][s], 1);
            } else {
                DctIntoHistory(state, left[first + s], 0);
                if (right != nullptr) DctIntoHistory(state, right[first + s], 1);
            }
            if (right != nullptr) {
                clipped += WindowStereo<avx2>(state, out);
                out += 512;
            } else {
                clipped += WindowMono<avx2>(state, 0, out, 1);
                out += 256;
            }
        }
    }
    return clipped;
}

TONEHALL_GENERIC_KERNEL int32_t StepsGeneric(MpegDecoderState& state, const double (*left)[32],
                                             const double (*right)[32], int32_t steps,
                                             uint8_t* out) {
    return StepsBody<false>(state, left, right, steps, out);
}

TONEHALL_AVX2_KERNEL int32_t StepsAvx2(MpegDecoderState& state, const double (*left)[32],
                                       const double (*right)[32], int32_t steps, uint8_t* out) {
    return StepsBody<true>(state, left, right, steps, out);
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

int32_t SynthesizeSteps(MpegDecoderState& state, const double (*left)[32],
                        const double (*right)[32], int32_t steps, uint8_t* output,
                        int32_t& bytesDone) {
    if (steps <= 0) return 0;
    uint8_t* out = output + bytesDone;
    const int32_t clipped = CpuDispatch::UseAvx2() ? StepsAvx2(state, left, right, steps, out)
                                                   : StepsGeneric(state, left, right, steps, out);
    bytesDone += steps * (right != nullptr ? 512 : 256);
    return clipped;
}

int32_t SynthesizeMono(MpegDecoderState& state, const double* samples, uint8_t* output,
                       int32_t& bytesDone) {
    state.synthesisOffset = (state.synthesisOffset + 15) & 15;
    const int32_t clipped = Step(state, samples, 0, output + bytesDone, 1);
    bytesDone += 256;
    return clipped;
}
