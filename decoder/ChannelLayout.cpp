#include "decoder/ChannelLayout.h"

#include "decoder/MpegDecoderState.h"

#include <cstring>

namespace {

template <typename T> void CopyChannel(T& to, const T& from) {
    std::memcpy(&to, &from, sizeof(T));
}

void AverageInto(double* to, const double* other, size_t count) {
    for (size_t i = 0; i < count; ++i)
        to[i] = 0.5 * (to[i] + other[i]);
}

double ReadValue(const uint8_t* at) {
    double v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

void WriteValue(uint8_t* at, double v) {
    std::memcpy(at, &v, sizeof v);
}

} // namespace

void CarryChannelHistory(MpegDecoderState& state, int32_t frameChannels) {
    const int32_t previous = state.decodedChannels;
    if (state.outputChannels == 0 || previous == 0 || previous == frameChannels) return;
    if (state.outputChannels == 1) {
        // One channel is heard: whatever decodes next continues from it.
        if (frameChannels == 2)
            CopyChannel(state.imdctOverlap[1], state.imdctOverlap[0]);
        else
            AverageInto(state.imdctOverlap[0], state.imdctOverlap[1],
                        sizeof state.imdctOverlap[0] / sizeof(double));
    }
    // In a two-channel layout each channel keeps its own overlap; channel 1
    // resumes after one-channel frames from where it stopped.
    std::memset(state.synthesisHistory, 0, sizeof state.synthesisHistory);
}

int32_t ConvertChannelLayout(uint8_t* output, int32_t bytes, int32_t frameChannels,
                             int32_t outputChannels) {
    constexpr int32_t kValue = sizeof(double);
    if (frameChannels == 1 && outputChannels == 2) {
        // Back to front, so no value is overwritten before it is copied.
        for (int32_t i = bytes / kValue - 1; i >= 0; --i) {
            const double v = ReadValue(output + i * kValue);
            WriteValue(output + 2 * i * kValue, v);
            WriteValue(output + (2 * i + 1) * kValue, v);
        }
        return bytes / kValue * 2 * kValue;
    }
    if (frameChannels == 2 && outputChannels == 1) {
        const int32_t pairs = bytes / (2 * kValue);
        for (int32_t i = 0; i < pairs; ++i)
            WriteValue(output + i * kValue, 0.5 * (ReadValue(output + 2 * i * kValue) +
                                                   ReadValue(output + (2 * i + 1) * kValue)));
        return pairs * kValue;
    }
    return bytes;
}
