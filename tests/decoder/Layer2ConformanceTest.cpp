// The ISO/IEC 11172-4 Layer II compliance streams and the MPEG-2 low-rate
// stream against their reference decodings.

#include "tests/decoder/DecodeHelpers.h"

#include <gtest/gtest.h>

using namespace decodetest;

namespace {

struct ConformanceCase {
    const char* name;
    int32_t channels;
    int32_t decodedFrames; // sample frames: whole frames x 1152
    bool wav24;            // a 24-bit .wav reference, else a 16-bit .pcm
};

const ConformanceCase kCases[] = {
    {"l2-fl10", 2, 56448, true}, {"l2-fl11", 2, 56448, true},    {"l2-fl12", 2, 56448, true},
    {"l2-fl13", 1, 56448, true}, {"l2-fl14", 2, 18432, true},    {"l2-fl15", 2, 18432, true},
    {"l2-fl16", 2, 72576, true}, {"l2-test32", 2, 72576, false},
};

// Full accuracy in the sense of ISO/IEC 11172-4; limited accuracy below.
constexpr double kFullRms = 8.8097e-06;    // 2^-15 / sqrt(12)
constexpr double kFullMax = 6.1035e-05;    // 2^-14
constexpr double kLimitedRms = 1.4096e-04; // 2^-11 / sqrt(12)

class Layer2Conformance : public testing::TestWithParam<ConformanceCase> {};

TEST_P(Layer2Conformance, DecodesWithFullAccuracy) {
    const ConformanceCase& c = GetParam();
    const DecodedStream decoded = DecodeFile(ConformancePath(std::string(c.name) + ".bit"));
    EXPECT_EQ(decoded.errors, 0);
    EXPECT_EQ(decoded.channels, c.channels);
    ASSERT_EQ(decoded.samples.size(), static_cast<size_t>(c.decodedFrames) * c.channels);

    Reference ref =
        c.wav24 ? ReadWav24(ReadMaybeGzipped(ConformancePath(std::string(c.name) + ".wav.gz")))
                : ReadPcm16(ReadMaybeGzipped(ConformancePath(std::string(c.name) + ".pcm.gz")),
                            c.channels);
    if (c.wav24) {
        ASSERT_EQ(ref.channels, c.channels);
    }
    ASSERT_GE(ref.samples.size(), decoded.samples.size());

    const Accuracy corrected = MeasureAccuracy(decoded.samples, ref, kGainCorrection);
    const Accuracy raw = MeasureAccuracy(decoded.samples, ref, 1.0);
    std::printf("%s: corrected RMS %.3g max %.3g; uncorrected RMS %.3g max %.3g\n", c.name,
                corrected.rms, corrected.maxAbs, raw.rms, raw.maxAbs);
    EXPECT_LT(corrected.rms, kFullRms);
    EXPECT_LE(corrected.maxAbs, kFullMax);
    EXPECT_LT(raw.rms, kLimitedRms);
}

INSTANTIATE_TEST_SUITE_P(Streams, Layer2Conformance, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<ConformanceCase>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (ch == '-') ch = '_';
                             return name;
                         });

} // namespace
