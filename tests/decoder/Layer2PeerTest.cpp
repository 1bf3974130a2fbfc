// Layer II files from independent encoders (Debian's twolame, and FFmpeg's
// mp2 encoder for two cases) decoded by us and by Debian's mpg123, which reaches full accuracy on
// every Layer II compliance stream. Covers every allocation table, both sample-rate families, mono,
// stereo, joint and dual channel, with and without CRC.

#include "decoder/Layer2Decoder.h"
#include "decoder/tables/Layer2AllocationTables.h"
#include "tests/decoder/DecodeHelpers.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace decodetest;

namespace {

struct PeerCase {
    const char* label;
    int32_t rate;
    int32_t channels;
    int32_t kbps;
    const char* mode; // twolame -m: s stereo, j joint, d dual, m mono; "ffmpeg": its encoder
    bool crc;
    const Layer2AllocationTable* table; // the one the stream's frames select
};

const PeerCase kPeerCases[] = {
    {"s48k_192_stereo_B2a", 48000, 2, 192, "s", false, &kLayer2TableB2a},
    {"s48k_64_joint_B2c", 48000, 2, 64, "j", false, &kLayer2TableB2c},
    {"s48k_96_mono_B2a_crc", 48000, 1, 96, "m", true, &kLayer2TableB2a},
    {"s44k_256_stereo_B2b", 44100, 2, 256, "s", false, &kLayer2TableB2b},
    {"s44k_128_joint_B2a", 44100, 2, 128, "j", true, &kLayer2TableB2a},
    {"s44k_48_mono_B2c", 44100, 1, 48, "m", false, &kLayer2TableB2c},
    {"s32k_192_dual_B2b", 32000, 2, 192, "d", false, &kLayer2TableB2b},
    {"s32k_64_joint_B2d", 32000, 2, 64, "j", false, &kLayer2TableB2d},
    {"s32k_32_mono_B2d", 32000, 1, 32, "m", false, &kLayer2TableB2d},
    {"s24k_128_stereo_lsf", 24000, 2, 128, "s", false, &kLayer2TableLsf},
    {"s24k_64_mono_lsf", 24000, 1, 64, "m", true, &kLayer2TableLsf},
    {"s22k_96_joint_lsf", 22050, 2, 96, "j", false, &kLayer2TableLsf},
    {"s22k_32_mono_lsf", 22050, 1, 32, "m", false, &kLayer2TableLsf},
    {"s16k_160_stereo_lsf", 16000, 2, 160, "s", false, &kLayer2TableLsf},
    {"s16k_8_mono_lsf", 16000, 1, 8, "m", false, &kLayer2TableLsf},
    {"ffmpeg_s44k_192_stereo_B2b", 44100, 2, 192, "ffmpeg", false, &kLayer2TableB2b},
    {"ffmpeg_s22k_64_mono_lsf", 22050, 1, 64, "ffmpeg", false, &kLayer2TableLsf},
};

// Two seconds of tones spread over the subbands plus noise, different per
// channel, at about -6 dBFS: 16-bit PCM in a canonical WAVE file.
void WriteTestWav(const std::string& path, int32_t rate, int32_t channels) {
    const int32_t frames = rate * 2;
    std::vector<uint8_t> data;
    uint32_t noise = 12345;
    const double pi = std::acos(-1.0);
    for (int32_t i = 0; i < frames; ++i) {
        for (int32_t c = 0; c < channels; ++c) {
            double v = 0;
            for (int32_t k = 1; k <= 12; ++k) {
                const double f = rate / 2.0 * k / 13.0 * (c == 0 ? 1.0 : 0.93);
                v += std::sin(2 * pi * f * i / rate + k) / 24.0;
            }
            noise = noise * 1664525u + 1013904223u;
            v += (static_cast<double>(noise >> 8) / 16777216.0 - 0.5) * 0.1;
            v *= 0.5 + 0.5 * std::sin(2 * pi * 3.0 * i / rate); // slow envelope
            const int16_t s = static_cast<int16_t>(std::lround(v * 32767 * 0.5));
            data.push_back(static_cast<uint8_t>(s & 0xFF));
            data.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
        }
    }
    auto le32 = [](std::vector<uint8_t>& out, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto le16 = [](std::vector<uint8_t>& out, uint16_t v) {
        out.push_back(static_cast<uint8_t>(v & 0xFF));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    std::vector<uint8_t> file = {'R', 'I', 'F', 'F'};
    le32(file, static_cast<uint32_t>(36 + data.size()));
    file.insert(file.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    le32(file, 16);
    le16(file, 1);
    le16(file, static_cast<uint16_t>(channels));
    le32(file, static_cast<uint32_t>(rate));
    le32(file, static_cast<uint32_t>(rate * channels * 2));
    le16(file, static_cast<uint16_t>(channels * 2));
    le16(file, 16);
    file.insert(file.end(), {'d', 'a', 't', 'a'});
    le32(file, static_cast<uint32_t>(data.size()));
    file.insert(file.end(), data.begin(), data.end());
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
}

class Layer2AgainstPeer : public testing::TestWithParam<PeerCase> {};

TEST_P(Layer2AgainstPeer, MatchesMpg123Above100dB) {
    const PeerCase& c = GetParam();
    const bool ffmpeg = std::string(c.mode) == "ffmpeg";
    for (const char* tool : {ffmpeg ? "ffmpeg" : "twolame", "mpg123"}) {
        if (!HaveTool(tool)) {
            if (ToolsRequired()) FAIL() << tool << " is missing";
            GTEST_SKIP() << tool << " is missing";
        }
    }
    const std::string base =
        testing::TempDir() + "l2peer_" + std::to_string(getpid()) + "_" + c.label;
    const std::string wav = base + ".wav", mp2 = base + ".mp2", f32 = base + ".f32";
    WriteTestWav(wav, c.rate, c.channels);
    const std::string encode =
        ffmpeg ? "ffmpeg -nostdin -v error -y -i " + wav + " -c:a mp2 -b:a " +
                     std::to_string(c.kbps) + "k " + mp2 + " >/dev/null 2>&1"
               : "twolame --quiet -b " + std::to_string(c.kbps) + " -m " + c.mode +
                     (c.crc ? " -p " : " ") + wav + " " + mp2 + " >/dev/null 2>&1";
    ASSERT_EQ(RunCommand(encode), 0) << encode;
    const std::string decode =
        "mpg123 -q --resync-limit -1 -e f32 -s " + mp2 + " > " + f32 + " 2>/dev/null";
    ASSERT_EQ(RunCommand(decode), 0) << decode;

    const std::vector<uint8_t> stream = ReadFileBytes(mp2);
    const StreamParameters p = FindStreamParameters(stream);
    ASSERT_TRUE(p.found);
    EXPECT_EQ(p.layer, 2);
    EXPECT_EQ(p.sampleRate, c.rate);
    FrameHeader first{};
    DecodeFrameHeader(static_cast<uint32_t>(stream[0]) << 24 | stream[1] << 16 | stream[2] << 8 |
                          stream[3],
                      first);
    EXPECT_EQ(&Layer2Decoder::SelectTable(first.lsf, first.samplingIndex, first.channels,
                                          FrameBitrate(first)),
              c.table);
    const DecodedStream ours = DecodeStream(stream, p);
    const std::vector<double> reference = ReadFloat32(ReadFileBytes(f32));
    std::remove(wav.c_str());
    std::remove(mp2.c_str());
    std::remove(f32.c_str());

    EXPECT_EQ(ours.errors, 0);
    ASSERT_EQ(ours.channels, c.channels);
    ASSERT_GT(ours.samples.size(), 0u);
    const Alignment corrected =
        AlignAndMeasureSnr(ours.samples, reference, c.channels, kGainCorrection);
    std::printf("%s: %d frames, shift %d, SNR %.1f dB over %zu values\n", c.label, ours.frames,
                corrected.shift, corrected.snr, corrected.compared);
    EXPECT_EQ(corrected.shift, 0);
    EXPECT_GE(corrected.snr, 100.0);
}

INSTANTIATE_TEST_SUITE_P(Encoders, Layer2AgainstPeer, testing::ValuesIn(kPeerCases),
                         [](const testing::TestParamInfo<PeerCase>& info) {
                             return std::string(info.param.label);
                         });

} // namespace
