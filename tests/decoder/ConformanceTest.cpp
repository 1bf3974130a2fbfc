// The ISO/IEC 11172-4 Layer II and Layer III compliance streams and the
// MPEG-2 ones against their reference decodings, by the ISO/IEC 11172-4
// measure (see DecodeHelpers.h). Together the Layer III streams select every
// Huffman table but 4 and 14, both count1 tables, scfsi, preflag,
// scalefac_scale, every block type with and without mixed blocks, M/S and
// intensity stereo (MPEG-1 and MPEG-2 rules), all three MPEG-1 and MPEG-2
// rates and bitrates; the Layer II ones every allocation table.

#include "tests/decoder/DecodeHelpers.h"

#include <gtest/gtest.h>

using namespace decodetest;

namespace {

// Full accuracy in the sense of ISO/IEC 11172-4; limited accuracy below.
constexpr double kFullRms = 8.8097e-06;    // 2^-15 / sqrt(12)
constexpr double kFullMax = 6.1035e-05;    // 2^-14
constexpr double kLimitedRms = 1.4096e-04; // 2^-11 / sqrt(12)

struct ConformanceCase {
    const char* stream;
    int32_t channels;
    int32_t frames; // whole frames in the stream
};

const ConformanceCase kStreams[] = {
    {"l2-fl10", 2, 49},
    {"l2-fl11", 2, 49},
    {"l2-fl12", 2, 49},
    {"l2-fl13", 1, 49},
    {"l2-fl14", 2, 16},
    {"l2-fl15", 2, 16},
    {"l2-fl16", 2, 63},
    {"l2-test32", 2, 63},
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

class Conformance : public testing::TestWithParam<ConformanceCase> {};

TEST_P(Conformance, FullAccuracy) {
    const ConformanceCase& c = GetParam();
    const DecodedStream decoded = DecodeConformance(c.stream);
    EXPECT_EQ(decoded.errors, 0);
    EXPECT_EQ(decoded.frames, c.frames);
    EXPECT_EQ(decoded.channels, c.channels);
    // Every frame yields its 1152 (MPEG-2 Layer III: 576) samples.
    const size_t frameSamples =
        decoded.params.layer == 3 && decoded.params.version != 10 ? 576 : 1152;
    EXPECT_EQ(decoded.samples.size(), c.frames * frameSamples * c.channels);
    const Reference ref = LoadReference(c.stream, c.channels);
    ASSERT_EQ(ref.channels, c.channels);

    const Accuracy corrected = MeasureAccuracy(decoded.samples, ref, kGainCorrection);
    const Accuracy raw = MeasureAccuracy(decoded.samples, ref, 1.0);
    std::printf("%s: corrected RMS %.3g max %.3g; uncorrected RMS %.3g max %.3g\n", c.stream,
                corrected.rms, corrected.maxAbs, raw.rms, raw.maxAbs);
    // Some references stop a frame short of the stream.
    EXPECT_GE(corrected.compared + 1152 * c.channels, decoded.samples.size());
    EXPECT_LT(corrected.rms, kFullRms);
    EXPECT_LE(corrected.maxAbs, kFullMax);
    EXPECT_LT(raw.rms, kLimitedRms); // limited accuracy even without the correction
}

INSTANTIATE_TEST_SUITE_P(Streams, Conformance, testing::ValuesIn(kStreams),
                         [](const testing::TestParamInfo<ConformanceCase>& info) {
                             std::string name = info.param.stream;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// Frames 1-10 and 111-128 are mono, 11-110 two-channel: the output follows
// each frame's channel count, as the 24-bit reference is laid out.
TEST(ConformanceOddStreams, ModeChangesFollowTheFrames) {
    const DecodedStream decoded = DecodeConformance("l3-he_mode");
    EXPECT_EQ(decoded.errors, 0);
    ASSERT_EQ(decoded.frameChannels.size(), 128u);
    EXPECT_EQ(decoded.frameChannels[9], 1);
    EXPECT_EQ(decoded.frameChannels[10], 2);
    EXPECT_EQ(decoded.frameChannels[109], 2);
    EXPECT_EQ(decoded.frameChannels[110], 1);
    const Reference ref = LoadReference("l3-he_mode", 0);
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
TEST(ConformanceOddStreams, UnreachableMainDataOfTheFirstFrame) {
    const DecodedStream decoded = DecodeConformance("l3-sin1k0db");
    EXPECT_EQ(decoded.errors, 0);
    EXPECT_EQ(decoded.frames, 317);
    EXPECT_EQ(decoded.samples.size(), 316u * 1152 * 2);
    Reference ref = LoadReference("l3-sin1k0db", 2);
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
TEST(ConformanceOddStreams, FreeFormatIsRefused) {
    const DecodedStream decoded = DecodeConformance("l3-he_free");
    EXPECT_EQ(decoded.frames, 0);
    EXPECT_GT(decoded.errors, 0);
    EXPECT_TRUE(decoded.samples.empty());
}

} // namespace
