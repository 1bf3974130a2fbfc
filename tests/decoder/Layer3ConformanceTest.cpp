// The MPEG-1 and MPEG-2 Layer III compliance streams against their reference
// decodings, by the ISO/IEC 11172-4 measure (see DecodeHelpers.h). Together
// they select every Huffman table but 4 and 14, both count1 tables, scfsi,
// preflag, scalefac_scale, every block type with and without mixed blocks,
// M/S and intensity stereo (MPEG-1 and MPEG-2 rules), all three MPEG-1 and
// MPEG-2 rates and bitrates.

#include "tests/decoder/DecodeHelpers.h"

#include <gtest/gtest.h>

using namespace decodetest;

namespace {

constexpr double kFullRms = 8.8388347648318e-06; // 2^-15 / sqrt(12)
constexpr double kFullMax = 6.103515625e-05;     // 2^-14

struct ConformanceCase {
    const char* stream;
    int32_t channels;
    int32_t frames; // whole frames in the stream
};

const ConformanceCase kFullAccuracy[] = {
    {"l3-compl", 1, 216},
    {"l3-he_32khz", 1, 150},
    {"l3-he_44khz", 1, 410},
    {"l3-he_48khz", 1, 150},
    {"l3-hecommon", 2, 30},
    {"l3-si", 1, 118},
    {"l3-si_block", 1, 64},
    {"l3-si_huff", 1, 75},
    {"M2L3_bitrate_16_all", 1, 476},
    {"M2L3_bitrate_22_all", 1, 476},
    {"M2L3_bitrate_24_all", 1, 476},
    {"M2L3_compl24", 1, 212},
    {"M2L3_noise", 2, 386},
    // MPEG-2 intensity stereo, with short blocks and (test46) M/S.
    {"l3-test45", 2, 822},
    {"l3-test46", 2, 250},
};

class Layer3Conformance : public testing::TestWithParam<ConformanceCase> {};

TEST_P(Layer3Conformance, FullAccuracy) {
    const ConformanceCase& c = GetParam();
    const DecodedStream decoded = DecodeFile(ConformancePath(std::string(c.stream) + ".bit"));
    EXPECT_EQ(decoded.errors, 0);
    EXPECT_EQ(decoded.frames, c.frames);
    EXPECT_EQ(decoded.channels, c.channels);
    const Reference ref =
        ReadPcm16(ReadMaybeGzipped(ConformancePath(std::string(c.stream) + ".pcm.gz")), c.channels);
    ASSERT_FALSE(ref.samples.empty());
    const Accuracy a = MeasureAccuracy(decoded.samples, ref, kGainCorrection);
    EXPECT_EQ(a.compared, std::min(decoded.samples.size(), ref.samples.size()));
    EXPECT_LT(a.rms, kFullRms) << c.stream;
    EXPECT_LE(a.maxAbs, kFullMax) << c.stream;
    RecordProperty("rms", std::to_string(a.rms));
}

INSTANTIATE_TEST_SUITE_P(Streams, Layer3Conformance, testing::ValuesIn(kFullAccuracy),
                         [](const testing::TestParamInfo<ConformanceCase>& info) {
                             std::string name = info.param.stream;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// Frames 1-10 and 111-128 are mono, 11-110 two-channel: the output follows
// each frame's channel count, as the 24-bit reference is laid out.
TEST(Layer3ConformanceOddStreams, ModeChangesFollowTheFrames) {
    const DecodedStream decoded = DecodeFile(ConformancePath("l3-he_mode.bit"));
    EXPECT_EQ(decoded.errors, 0);
    ASSERT_EQ(decoded.frameChannels.size(), 128u);
    EXPECT_EQ(decoded.frameChannels[9], 1);
    EXPECT_EQ(decoded.frameChannels[10], 2);
    EXPECT_EQ(decoded.frameChannels[109], 2);
    EXPECT_EQ(decoded.frameChannels[110], 1);
    const Reference ref = ReadWav24(ReadMaybeGzipped(ConformancePath("l3-he_mode.wav.gz")));
    ASSERT_EQ(ref.samples.size(), 262656u);
    ASSERT_EQ(decoded.samples.size(), ref.samples.size());
    const Accuracy a = MeasureAccuracy(decoded.samples, ref, kGainCorrection);
    EXPECT_LT(a.rms, kFullRms);
    EXPECT_LE(a.maxAbs, kFullMax);
}

// Every frame claims 461 bytes of reservoir while the stream holds 382: the
// first frame yields nothing, the second decodes from bytes that are not its
// own, so its output lines up at +1152 against the reference, which leaves
// both out. From the reference's second frame on the output is exact.
TEST(Layer3ConformanceOddStreams, UnreachableMainDataOfTheFirstFrame) {
    const DecodedStream decoded = DecodeFile(ConformancePath("l3-sin1k0db.bit"));
    EXPECT_EQ(decoded.errors, 0);
    EXPECT_EQ(decoded.frames, 317);
    EXPECT_EQ(decoded.samples.size(), 316u * 1152 * 2);
    Reference ref = ReadPcm16(ReadMaybeGzipped(ConformancePath("l3-sin1k0db.pcm.gz")), 2);
    ASSERT_EQ(ref.samples.size(), 362880u * 2);
    // Ours from its third frame against the reference from its second.
    const std::vector<double> ours(decoded.samples.begin() + 2 * 1152 * 2, decoded.samples.end());
    ref.samples.erase(ref.samples.begin(), ref.samples.begin() + 1152 * 2);
    const Accuracy a = MeasureAccuracy(ours, ref, kGainCorrection);
    EXPECT_EQ(a.compared, ref.samples.size());
    EXPECT_LT(a.rms, kFullRms);
    EXPECT_LE(a.maxAbs, kFullMax);
}

// Free format is refused frame by frame.
TEST(Layer3ConformanceOddStreams, FreeFormatIsRefused) {
    const DecodedStream decoded = DecodeFile(ConformancePath("l3-he_free.bit"));
    EXPECT_EQ(decoded.frames, 0);
    EXPECT_GT(decoded.errors, 0);
    EXPECT_TRUE(decoded.samples.empty());
}

} // namespace
