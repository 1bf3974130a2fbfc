// Files from independent encoders decoded by us and by Debian's mpg123 (float
// output), which reaches full accuracy on the compliance streams. Layer II
// from twolame (and FFmpeg's mp2 encoder for two cases): every allocation
// table, both sample-rate families, mono, stereo, joint and dual channel, with
// and without CRC. Layer III from lame: the nine sampling rates, mono, stereo,
// joint, forced M/S and dual channel, CRC, CBR and VBR; lame writes no Info
// frame here (-t), so both decoders start at the same frame.

#include "common/TestTools.h"
#include "common/WaveFile.h"
#include "decoder/Layer2Decoder.h"
#include "decoder/tables/Layer2AllocationTables.h"
#include "tests/decoder/DecodeHelpers.h"

#include <gtest/gtest.h>

using namespace decodetest;

namespace {

struct PeerCase {
    const char* label;
    const char* encoder; // twolame, ffmpeg or lame
    const char* options;
    int32_t rate;
    int32_t channels;                   // of the input and the stream
    int32_t version;                    // 10, 20, 25
    const Layer2AllocationTable* table; // Layer II: the one the frames select
};

const PeerCase kLayer2Cases[] = {
    {"s48k_192_stereo_B2a", "twolame", "-b 192 -m s", 48000, 2, 10, &kLayer2TableB2a},
    {"s48k_64_joint_B2c", "twolame", "-b 64 -m j", 48000, 2, 10, &kLayer2TableB2c},
    {"s48k_96_mono_B2a_crc", "twolame", "-b 96 -m m -p", 48000, 1, 10, &kLayer2TableB2a},
    {"s44k_256_stereo_B2b", "twolame", "-b 256 -m s", 44100, 2, 10, &kLayer2TableB2b},
    {"s44k_128_joint_B2a", "twolame", "-b 128 -m j -p", 44100, 2, 10, &kLayer2TableB2a},
    {"s44k_48_mono_B2c", "twolame", "-b 48 -m m", 44100, 1, 10, &kLayer2TableB2c},
    {"s32k_192_dual_B2b", "twolame", "-b 192 -m d", 32000, 2, 10, &kLayer2TableB2b},
    {"s32k_64_joint_B2d", "twolame", "-b 64 -m j", 32000, 2, 10, &kLayer2TableB2d},
    {"s32k_32_mono_B2d", "twolame", "-b 32 -m m", 32000, 1, 10, &kLayer2TableB2d},
    {"s24k_128_stereo_lsf", "twolame", "-b 128 -m s", 24000, 2, 20, &kLayer2TableLsf},
    {"s24k_64_mono_lsf", "twolame", "-b 64 -m m -p", 24000, 1, 20, &kLayer2TableLsf},
    {"s22k_96_joint_lsf", "twolame", "-b 96 -m j", 22050, 2, 20, &kLayer2TableLsf},
    {"s22k_32_mono_lsf", "twolame", "-b 32 -m m", 22050, 1, 20, &kLayer2TableLsf},
    {"s16k_160_stereo_lsf", "twolame", "-b 160 -m s", 16000, 2, 20, &kLayer2TableLsf},
    {"s16k_8_mono_lsf", "twolame", "-b 8 -m m", 16000, 1, 20, &kLayer2TableLsf},
    {"ffmpeg_s44k_192_stereo_B2b", "ffmpeg", "-c:a mp2 -b:a 192k", 44100, 2, 10, &kLayer2TableB2b},
    {"ffmpeg_s22k_64_mono_lsf", "ffmpeg", "-c:a mp2 -b:a 64k", 22050, 1, 20, &kLayer2TableLsf},
};

const PeerCase kLayer3Cases[] = {
    {"m1_44k_320_joint", "lame", "-b 320 -m j", 44100, 2, 10, nullptr},
    {"m1_44k_128_stereo", "lame", "-b 128 -m s", 44100, 2, 10, nullptr},
    {"m1_44k_160_forced_ms", "lame", "-b 160 -m f", 44100, 2, 10, nullptr},
    {"m1_44k_vbr_joint", "lame", "-V 2 -m j", 44100, 2, 10, nullptr},
    {"m1_48k_192_dual", "lame", "-b 192 -m d", 48000, 2, 10, nullptr},
    {"m1_48k_128_joint_crc", "lame", "-b 128 -m j -p", 48000, 2, 10, nullptr},
    {"m1_32k_96_mono", "lame", "-b 96 -m m", 32000, 1, 10, nullptr},
    {"m1_32k_vbr_joint", "lame", "-V 0 -m j", 32000, 2, 10, nullptr},
    {"m2_24k_96_stereo", "lame", "-b 96 -m s", 24000, 2, 20, nullptr},
    {"m2_24k_vbr_joint", "lame", "-V 4 -m j", 24000, 2, 20, nullptr},
    {"m2_22k_64_joint", "lame", "-b 64 -m j", 22050, 2, 20, nullptr},
    {"m2_22k_vbr_mono", "lame", "-V 5 -m m", 22050, 1, 20, nullptr},
    {"m2_16k_32_mono_crc", "lame", "-b 32 -m m -p", 16000, 1, 20, nullptr},
    {"m2_16k_48_stereo", "lame", "-b 48 -m s", 16000, 2, 20, nullptr},
    {"m25_12k_32_joint", "lame", "-b 32 -m j", 12000, 2, 25, nullptr},
    {"m25_12k_24_mono", "lame", "-b 24 -m m", 12000, 1, 25, nullptr},
    {"m25_11k_vbr_joint", "lame", "-V 6 -m j", 11025, 2, 25, nullptr},
    {"m25_11k_40_stereo", "lame", "-b 40 -m s", 11025, 2, 25, nullptr},
    {"m25_8k_16_mono", "lame", "-b 16 -m m", 8000, 1, 25, nullptr},
    {"m25_8k_vbr_joint", "lame", "-V 7 -m j", 8000, 2, 25, nullptr},
};

std::string EncodeCommand(const PeerCase& c, const std::string& wav, const std::string& out) {
    const std::string encoder = c.encoder, options = c.options;
    const std::string files = encoder == "ffmpeg" ? " -i " + wav + " " + options + " " + out
                                                  : " " + options + " " + wav + " " + out;
    const std::string quiet = encoder == "ffmpeg" ? " -nostdin -v error -y"
                              : encoder == "lame" ? " --quiet -t"
                                                  : " --quiet";
    return encoder + quiet + files + " >/dev/null 2>&1";
}

class DecoderAgainstPeer : public testing::TestWithParam<PeerCase> {};

TEST_P(DecoderAgainstPeer, MatchesMpg123Above100dB) {
    const PeerCase& c = GetParam();
    TEST_REQUIRE_TOOL(c.encoder);
    TEST_REQUIRE_TOOL("mpg123");
    const testfiles::TempDir dir;
    const std::string wav = dir / "in.wav", mp3 = dir / "out.mp2", f32 = dir / "out.f32";
    testwave::WriteWave16(wav, c.rate, c.channels, testwave::TestSignal(c.rate, c.channels, 2));
    ASSERT_TRUE(testtools::Run(EncodeCommand(c, wav, mp3))) << EncodeCommand(c, wav, mp3);
    ASSERT_TRUE(testtools::Run("mpg123 -q --no-gapless --resync-limit -1 -e f32 -s " + mp3 + " > " +
                               f32 + " 2>/dev/null"));

    const std::vector<uint8_t> stream = testfiles::ReadFile(mp3);
    const StreamParameters p = FindStreamParameters(stream);
    ASSERT_TRUE(p.found);
    EXPECT_EQ(p.layer, c.table ? 2 : 3);
    EXPECT_EQ(p.version, c.version);
    EXPECT_EQ(p.sampleRate, c.rate);
    if (c.table) {
        FrameHeader first{};
        DecodeFrameHeader(FrameHeaderWord(stream.data()), first);
        EXPECT_EQ(&Layer2Decoder::SelectTable(first.lsf, first.samplingIndex, first.channels,
                                              first.bitrate),
                  c.table);
    }
    const DecodedStream ours = DecodeStream(stream, p);
    const std::vector<double> reference = ReadFloat32(testfiles::ReadFile(f32));
    EXPECT_EQ(ours.errors, 0);
    ASSERT_EQ(ours.channels, c.channels);
    ASSERT_GT(ours.samples.size(), 0u);
    if (!c.table) {
        EXPECT_EQ(ours.samples.size(), reference.size());
    } else {
        EXPECT_GT(ours.samples.size(), reference.size() * 9 / 10);
    }
    const double snr = MeasureSnr(ours.samples, reference, kGainCorrection);
    std::printf("%s: %d frames, SNR %.1f dB\n", c.label, ours.frames, snr);
    EXPECT_GE(snr, 100.0);
}

const auto kLabel = [](const testing::TestParamInfo<PeerCase>& info) {
    return std::string(info.param.label);
};
INSTANTIATE_TEST_SUITE_P(Layer2, DecoderAgainstPeer, testing::ValuesIn(kLayer2Cases), kLabel);
INSTANTIATE_TEST_SUITE_P(Layer3, DecoderAgainstPeer, testing::ValuesIn(kLayer3Cases), kLabel);

} // namespace
