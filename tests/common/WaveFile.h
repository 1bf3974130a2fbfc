#pragma once
// 16-bit PCM WAVE files for the encoders used as oracles, a reader that
// checks every header field of the WAVE files we write, and a test signal
// that exercises the whole band: tones spread to near Nyquist, noise, a slow
// envelope and clicks that make Layer III encoders switch to short blocks.

#include "common/TestFiles.h"

#include <cmath>
#include <cstdint>
#include <cstring>
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

// What a WAVE file's header says, and every way in which it contradicts itself
// or the file (empty when none): players trust the byte rate and the block
// align as much as the format, channels, rate and sizes.
struct WaveFacts {
    uint16_t format = 0, channels = 0, bits = 0;
    uint32_t rate = 0, dataBytes = 0;
    std::string problems;
};

inline WaveFacts ReadWave(const std::vector<uint8_t>& b) {
    WaveFacts f;
    auto u = [&b](size_t at, int bytes) {
        uint32_t v = 0;
        for (int i = 0; i < bytes && at + size_t(i) < b.size(); ++i)
            v |= uint32_t(b[at + size_t(i)]) << (8 * i);
        return v;
    };
    auto is = [&b](size_t at, const char* tag) {
        return at + 4 <= b.size() && std::memcmp(&b[at], tag, 4) == 0;
    };
    auto problem = [&f](const std::string& what) { f.problems += what + "; "; };
    if (!is(0, "RIFF") || !is(8, "WAVE")) {
        problem("not RIFF/WAVE");
        return f;
    }
    if (u(4, 4) != b.size() - 8) problem("RIFF size " + std::to_string(u(4, 4)));
    bool haveFmt = false, haveData = false;
    int64_t factFrames = -1;
    for (size_t at = 12; at + 8 <= b.size(); at += 8 + u(at + 4, 4) + (u(at + 4, 4) & 1)) {
        const uint32_t size = u(at + 4, 4);
        if (is(at, "fmt ")) {
            haveFmt = true;
            f.format = uint16_t(u(at + 8, 2));
            f.channels = uint16_t(u(at + 10, 2));
            f.rate = u(at + 12, 4);
            f.bits = uint16_t(u(at + 22, 2));
            const uint32_t blockAlign = uint32_t(f.channels) * f.bits / 8;
            if (u(at + 20, 2) != blockAlign)
                problem("block align " + std::to_string(u(at + 20, 2)));
            if (u(at + 16, 4) != f.rate * blockAlign)
                problem("byte rate " + std::to_string(u(at + 16, 4)));
            // PCM has no extension; other formats an empty one.
            if (size != (f.format == 1 ? 16u : 18u) || (size == 18 && u(at + 24, 2) != 0))
                problem("fmt size " + std::to_string(size));
        } else if (is(at, "fact")) {
            factFrames = size == 4 ? int64_t(u(at + 8, 4)) : -2;
        } else if (is(at, "data")) {
            haveData = true;
            f.dataBytes = size;
            if (at + 8 + size > b.size()) problem("data beyond the file");
        }
    }
    const uint32_t blockAlign = uint32_t(f.channels) * f.bits / 8;
    if (!haveFmt || !haveData || blockAlign == 0) {
        problem("no fmt or data chunk");
        return f;
    }
    if (f.dataBytes % blockAlign != 0) problem("data not whole sample frames");
    if ((f.format != 1) != (factFrames != -1) ||
        (factFrames >= 0 && factFrames != f.dataBytes / blockAlign))
        problem("fact frames " + std::to_string(factFrames));
    return f;
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
