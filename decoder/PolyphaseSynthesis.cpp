#include "decoder/PolyphaseSynthesis.h"

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
template <int N> void LeeDct(const double* in, double* out, const double* const* cosTables) {
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

template <> void LeeDct<1>(const double* in, double* out, const double* const*) {
    out[0] = in[0];
}

inline double Clip(double value, int32_t& clipped) {
    if (value > 1.0) {
        ++clipped;
        return 1.0;
    }
    if (value < -1.0) {
        ++clipped;
        return -1.0;
    }
    return value;
}

inline void Store(uint8_t* at, double value) {
    std::memcpy(at, &value, sizeof value);
}

// Runs one step for `channel` and leaves the 32 scaled, unclipped sums in out.
//
// The standard shifts a 1024-value vector V by 64 per step, fills V[0..63]
// with the matrixed subband samples, and outputs
//   out[j] = sum_{i=0..7} V_{2i}[j] D[64i + j] + V_{2i+1}[32 + j] D[64i + 32 + j],
// V_t being the vector t steps old. With y_t the DCT of step t, V_t[n] is
// y_t[16 + n] (n < 16), 0 (n = 16), -y_t[48 - n] (16 < n <= 48) and
// -y_t[n - 48] (n > 48), so only the 16 latest y vectors are kept.
void Step(MpegDecoderState& state, const double* samples, int32_t channel, double* out) {
    if (channel == 0) state.synthesisOffset = (state.synthesisOffset + 15) & 15;
    const int32_t newest = state.synthesisOffset;
    double(*history)[32] = state.synthesisHistory[channel];
    SynthesisDct32(state, samples, history[newest]);

    double sum[32] = {};
    const double* window = state.synthesisWindow;
    for (int32_t i = 0; i < 8; ++i) {
        const double* even = history[(newest + 2 * i) & 15];
        const double* odd = history[(newest + 2 * i + 1) & 15];
        const double* de = window + 64 * i;
        const double* dodd = window + 64 * i + 32;
        sum[0] += even[16] * de[0] - odd[16] * dodd[0];
        for (int32_t j = 1; j < 16; ++j)
            sum[j] += even[16 + j] * de[j] - odd[16 - j] * dodd[j];
        sum[16] -= odd[0] * dodd[16];
        for (int32_t j = 17; j < 32; ++j)
            sum[j] -= even[48 - j] * de[j] + odd[j - 16] * dodd[j];
    }
    for (int32_t j = 0; j < 32; ++j)
        out[j] = sum[j] * kOutputScale;
}

} // namespace

void SynthesisDct32(const MpegDecoderState& state, const double* in, double* out) {
    LeeDct<32>(in, out, state.dctCos);
}

void InitSynthesisTables(MpegDecoderState& state) {
    for (int32_t i = 0; i < 512; ++i)
        state.synthesisWindow[i] =
            kSynthesisWindowD[i] / kSynthesisWindowDenominator * kWindowScale;
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
    double out[32];
    Step(state, samples, channel, out);
    int32_t clipped = 0;
    uint8_t* at = output + bytesDone + 8 * channel;
    for (int32_t j = 0; j < 32; ++j)
        Store(at + 16 * j, Clip(out[j], clipped));
    if (channel == 1) bytesDone += 512;
    return clipped;
}

int32_t SynthesizeMono(MpegDecoderState& state, const double* samples, uint8_t* output,
                       int32_t& bytesDone) {
    double out[32];
    Step(state, samples, 0, out);
    int32_t clipped = 0;
    uint8_t* at = output + bytesDone;
    for (int32_t j = 0; j < 32; ++j)
        Store(at + 8 * j, Clip(out[j], clipped));
    bytesDone += 256;
    return clipped;
}
