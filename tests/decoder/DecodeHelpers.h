#pragma once
// Helpers for decoder tests: push a whole stream through the decoder and
// collect the doubles; read reference decodings; measure accuracy against
// them and against the output of a peer decoder.

#include "common/TestFiles.h"
#include "decoder/MpegDecoderState.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace decodetest {

using testfiles::ReadMaybeGzipped;

inline std::string ConformancePath(const std::string& name) {
    return std::string(TONEHALL_TEST_DATA) + "/conformance/" + name;
}

// The stream parameters of the first plausible header: version 10/20/25, layer, rate.
struct StreamParameters {
    int32_t version = 0;
    int32_t layer = 0;
    int32_t sampleRate = 0;
    bool found = false;
};

inline StreamParameters FindStreamParameters(const std::vector<uint8_t>& bytes) {
    StreamParameters p;
    for (size_t i = 0; i + 4 <= bytes.size(); ++i) {
        const uint32_t word = FrameHeaderWord(&bytes[i]);
        FrameHeader header;
        if (!HasFrameSync(word) || !DecodeFrameHeader(word, header)) continue;
        p.version = VersionCode(header);
        p.layer = header.layer;
        p.sampleRate = header.sampleRate;
        p.found = true;
        return p;
    }
    return p;
}

// One decoder state for the length of a test, fed and asked by hand; `done`
// and `bitrate` hold the last frame's answers.
class TestDecoder {
public:
    TestDecoder() : state(std::make_unique<MpegDecoderState>()), out(kMinOutputCapacity / 8) {
        InitDecoder(*state);
    }
    ~TestDecoder() { FreeDecoder(*state); }
    void Queue(const std::vector<uint8_t>& bytes, uint64_t position = 0) {
        ASSERT_TRUE(
            QueueDecoderInput(*state, bytes.data(), static_cast<int32_t>(bytes.size()), position));
    }
    int32_t Decode(const StreamParameters& p, int32_t capacity = kMinOutputCapacity) {
        bitrate = -1;
        done = -1;
        return DecodeFrame(*state, out.data(), capacity, p.version, p.layer, p.sampleRate, 0,
                           bitrate, done);
    }
    std::unique_ptr<MpegDecoderState> state;
    std::vector<double> out;
    int32_t bitrate = 0;
    int32_t done = 0;
};

// What a whole stream decoded to. samples holds every frame's output as the
// decoder wrote it (interleaved when the frame has two channels);
// frameChannels the channel count of each decoded frame.
struct DecodedStream {
    std::vector<double> samples;
    std::vector<int32_t> frameChannels;
    int32_t channels = 0; // of the first decoded frame
    int32_t frames = 0;   // DECODE_OK results
    int32_t errors = 0;   // DECODE_ERROR results
    StreamParameters params;
};

// Pushes `bytes` through a fresh decoder in 16384-byte chunks, as the input
// source does, decoding until the decoder needs more after each chunk.
inline DecodedStream DecodeStream(const std::vector<uint8_t>& bytes, const StreamParameters& p) {
    constexpr size_t kChunk = 16384;
    DecodedStream result;
    result.params = p;
    auto state = std::make_unique<MpegDecoderState>();
    InitDecoder(*state);
    std::vector<double> frame(kMinOutputCapacity / sizeof(double));
    size_t offset = 0;
    for (;;) {
        int32_t bitrate = 0, done = 0;
        const int32_t r = DecodeFrame(*state, frame.data(), kMinOutputCapacity, p.version, p.layer,
                                      p.sampleRate, 0, bitrate, done);
        if (r == DECODE_OK) {
            ++result.frames;
            result.samples.insert(result.samples.end(), frame.begin(),
                                  frame.begin() + done / static_cast<int32_t>(sizeof(double)));
            if (done > 0) {
                result.frameChannels.push_back(state->header.channels);
                if (result.channels == 0) result.channels = state->header.channels;
            }
        } else if (r == DECODE_ERROR) {
            ++result.errors;
        } else {
            if (offset >= bytes.size()) break;
            const size_t n = std::min(kChunk, bytes.size() - offset);
            QueueDecoderInput(*state, bytes.data() + offset, static_cast<int32_t>(n), offset);
            offset += n;
        }
    }
    FreeDecoder(*state);
    return result;
}

// A compliance stream by name, e.g. "l2-fl10".
inline DecodedStream DecodeConformance(const std::string& name) {
    const std::vector<uint8_t> bytes = ReadMaybeGzipped(ConformancePath(name + ".bit"));
    return DecodeStream(bytes, FindStreamParameters(bytes));
}

// A reference decoding scaled to full scale 1.0, with the largest value its
// integers can hold.
struct Reference {
    std::vector<double> samples;
    int32_t channels = 0;
    double maxValue = 0;
    int32_t bits = 0;
};

// 16-bit signed little-endian interleaved PCM.
inline Reference ReadPcm16(const std::vector<uint8_t>& bytes, int32_t channels) {
    Reference ref;
    ref.channels = channels;
    ref.bits = 16;
    ref.maxValue = 32767.0 / 32768.0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        ref.samples.push_back(static_cast<int16_t>(bytes[i] | (bytes[i + 1] << 8)) / 32768.0);
    return ref;
}

// A 24-bit PCM WAVE file (plain or WAVE_FORMAT_EXTENSIBLE).
inline Reference ReadWav24(const std::vector<uint8_t>& bytes) {
    Reference ref;
    ref.bits = 24;
    ref.maxValue = 8388607.0 / 8388608.0;
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const uint32_t size = bytes[at + 4] | (bytes[at + 5] << 8) | (bytes[at + 6] << 16) |
                              (static_cast<uint32_t>(bytes[at + 7]) << 24);
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && at + 10 < bytes.size())
            ref.channels = bytes[at + 10] | (bytes[at + 11] << 8);
        if (std::memcmp(&bytes[at], "data", 4) == 0) {
            const size_t end = std::min(bytes.size(), at + 8 + size);
            for (size_t i = at + 8; i + 2 < end; i += 3) {
                int32_t v = bytes[i] | (bytes[i + 1] << 8) | (bytes[i + 2] << 16);
                if (v & 0x800000) v -= 0x1000000;
                ref.samples.push_back(v / 8388608.0);
            }
            break;
        }
        at += 8 + size + (size & 1);
    }
    return ref;
}

// The reference decoding of a compliance stream: a 24-bit .wav.gz where one
// exists, else 16-bit .pcm.gz of `channels`.
inline Reference LoadReference(const std::string& name, int32_t channels) {
    const std::vector<uint8_t> wav = ReadMaybeGzipped(ConformancePath(name + ".wav.gz"));
    if (!wav.empty()) return ReadWav24(wav);
    return ReadPcm16(ReadMaybeGzipped(ConformancePath(name + ".pcm.gz")), channels);
}

struct Accuracy {
    double rms = 0;
    double maxAbs = 0;
    size_t compared = 0;
};

// The conformance measure: over the values both hold, our output times
// `gain`, rounded to 16 bits against a 16-bit reference, clipped to the
// reference's range.
inline Accuracy MeasureAccuracy(const std::vector<double>& ours, const Reference& ref,
                                double gain) {
    Accuracy a;
    a.compared = std::min(ours.size(), ref.samples.size());
    double sum = 0;
    for (size_t i = 0; i < a.compared; ++i) {
        double v = ours[i] * gain;
        if (ref.bits == 16) v = std::nearbyint(v * 32768.0) / 32768.0;
        v = std::clamp(v, -1.0, ref.maxValue);
        const double d = v - ref.samples[i];
        sum += d * d;
        a.maxAbs = std::max(a.maxAbs, std::fabs(d));
    }
    if (a.compared > 0) a.rms = std::sqrt(sum / static_cast<double>(a.compared));
    return a;
}

// Our gain correction: the window scale 32767 against the output factor 2^-15.
constexpr double kGainCorrection = 32768.0 / 32767.0;

// Raw 32-bit float native-endian samples, as `mpg123 -e f32 -s` writes them.
inline std::vector<double> ReadFloat32(const std::vector<uint8_t>& bytes) {
    std::vector<double> out(bytes.size() / 4);
    for (size_t i = 0; i < out.size(); ++i) {
        float f;
        std::memcpy(&f, &bytes[4 * i], 4);
        out[i] = f;
    }
    return out;
}

// SNR in dB of `ours` x gain against `ref`, sample for sample over the
// values both hold: the two decoders must also agree on where output starts.
inline double MeasureSnr(const std::vector<double>& ours, const std::vector<double>& ref,
                         double gain) {
    double signal = 0, noise = 0;
    for (size_t i = 0; i < std::min(ours.size(), ref.size()); ++i) {
        const double d = ours[i] * gain - ref[i];
        noise += d * d;
        signal += ref[i] * ref[i];
    }
    return noise > 0 ? 10.0 * std::log10(signal / noise) : 400.0;
}

} // namespace decodetest
