#pragma once
// 16-bit PCM WAVE files for the encoders used as oracles, and a test signal
// that exercises the whole band: tones spread to near Nyquist, noise, a slow
// envelope and clicks that make Layer III encoders switch to short blocks.

#include "common/TestFiles.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace testwave {

// A canonical 44-byte-header WAVE file of interleaved samples.
inline void WriteWave16(const std::string& path, int32_t rate, int32_t channels,
                        const std::vector<int16_t>& samples) {
    std::vector<uint8_t> out;
    auto put = [&out](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto tag = [&out](const char* t) { out.insert(out.end(), t, t + 4); };
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    tag("RIFF");
    put(36 + dataBytes, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2); // PCM
    put(static_cast<uint32_t>(channels), 2);
    put(static_cast<uint32_t>(rate), 4);
    put(static_cast<uint32_t>(rate * channels * 2), 4);
    put(static_cast<uint32_t>(channels * 2), 2);
    put(16, 2);
    tag("data");
    put(dataBytes, 4);
    for (int16_t s : samples)
        put(static_cast<uint16_t>(s), 2);
    testfiles::WriteFile(path, out);
}

// `seconds` of the signal, different per channel, peaking well below full
// scale; deterministic, so a failure repeats.
inline std::vector<int16_t> TestSignal(int32_t rate, int32_t channels, int32_t seconds) {
    const double pi = std::acos(-1.0);
    std::vector<int16_t> samples;
    uint32_t noise = 987654321u;
    for (int32_t i = 0; i < rate * seconds; ++i) {
        for (int32_t c = 0; c < channels; ++c) {
            double v = 0;
            for (int32_t k = 1; k <= 9; ++k) {
                const double f = rate / 2.0 * k / 10.0 * (c == 0 ? 1.0 : 0.91);
                v += std::sin(2 * pi * f * i / rate + k * (c + 1)) / 20.0;
            }
            noise = noise * 1664525u + 1013904223u;
            v += (static_cast<double>(noise >> 8) / 16777216.0 - 0.5) * 0.2;
            v *= 0.4 + 0.4 * std::sin(2 * pi * 1.5 * i / rate);
            if (i % (rate / 2) < rate / 400) // a burst every half second
                v += ((i / 7) % 2 ? 0.3 : -0.3);
            samples.push_back(static_cast<int16_t>(std::lround(v * 32767 * 0.6)));
        }
    }
    return samples;
}

} // namespace testwave
