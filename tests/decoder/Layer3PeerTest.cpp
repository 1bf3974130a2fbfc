// Layer III files from an independent encoder (Debian's lame) decoded by us
// and by Debian's mpg123 (float output), which reaches full accuracy on the
// Layer III compliance streams. Covers the nine sampling rates, mono, stereo,
// joint, forced M/S and dual channel, CRC, CBR and VBR. lame writes no Info
// frame here (-t), so both decoders start at the same frame.

#include "tests/decoder/DecodeHelpers.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace decodetest;

namespace {

struct PeerCase {
    const char* label;
    int32_t rate;
    int32_t channels; // of the input and the stream
    const char* options;
    int32_t version; // 10, 20, 25
};

const PeerCase kPeerCases[] = {
    {"m1_44k_320_joint", 44100, 2, "-b 320 -m j", 10},
    {"m1_44k_128_stereo", 44100, 2, "-b 128 -m s", 10},
    {"m1_44k_160_forced_ms", 44100, 2, "-b 160 -m f", 10},
    {"m1_44k_vbr_joint", 44100, 2, "-V 2 -m j", 10},
    {"m1_48k_192_dual", 48000, 2, "-b 192 -m d", 10},
    {"m1_48k_128_joint_crc", 48000, 2, "-b 128 -m j -p", 10},
    {"m1_32k_96_mono", 32000, 1, "-b 96 -m m", 10},
    {"m1_32k_vbr_joint", 32000, 2, "-V 0 -m j", 10},
    {"m2_24k_96_stereo", 24000, 2, "-b 96 -m s", 20},
    {"m2_24k_vbr_joint", 24000, 2, "-V 4 -m j", 20},
    {"m2_22k_64_joint", 22050, 2, "-b 64 -m j", 20},
    {"m2_22k_vbr_mono", 22050, 1, "-V 5 -m m", 20},
    {"m2_16k_32_mono_crc", 16000, 1, "-b 32 -m m -p", 20},
    {"m2_16k_48_stereo", 16000, 2, "-b 48 -m s", 20},
    {"m25_12k_32_joint", 12000, 2, "-b 32 -m j", 25},
    {"m25_12k_24_mono", 12000, 1, "-b 24 -m m", 25},
    {"m25_11k_vbr_joint", 11025, 2, "-V 6 -m j", 25},
    {"m25_11k_40_stereo", 11025, 2, "-b 40 -m s", 25},
    {"m25_8k_16_mono", 8000, 1, "-b 16 -m m", 25},
    {"m25_8k_vbr_joint", 8000, 2, "-V 7 -m j", 25},
};

// Three seconds of tones spread over the band, noise and clicks (which make
// the encoder switch to short blocks), different per channel, well below full
// scale: 16-bit PCM in a canonical WAVE file.
void WriteTestWav(const std::string& path, int32_t rate, int32_t channels) {
    const int32_t frames = rate * 3;
    std::vector<uint8_t> data;
    uint32_t noise = 987654321u;
    const double pi = std::acos(-1.0);
    for (int32_t i = 0; i < frames; ++i) {
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
            const int16_t s = static_cast<int16_t>(std::lround(v * 32767 * 0.6));
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

class Layer3AgainstPeer : public testing::TestWithParam<PeerCase> {};

TEST_P(Layer3AgainstPeer, MatchesMpg123Above100dB) {
    for (const char* tool : {"lame", "mpg123"}) {
        if (!HaveTool(tool)) {
            if (ToolsRequired()) FAIL() << tool << " is missing";
            GTEST_SKIP() << tool << " is missing";
        }
    }
    const PeerCase& c = GetParam();
    const std::string base =
        testing::TempDir() + "l3peer_" + std::to_string(getpid()) + "_" + c.label;
    const std::string wav = base + ".wav", mp3 = base + ".mp3", f32 = base + ".f32";
    WriteTestWav(wav, c.rate, c.channels);
    const std::string encode =
        std::string("lame --quiet -t ") + c.options + " " + wav + " " + mp3 + " >/dev/null 2>&1";
    ASSERT_EQ(RunCommand(encode), 0) << encode;
    const std::string decode =
        "mpg123 -q --no-gapless -e f32 -s " + mp3 + " > " + f32 + " 2>/dev/null";
    ASSERT_EQ(RunCommand(decode), 0) << decode;

    const std::vector<uint8_t> stream = ReadFileBytes(mp3);
    const StreamParameters p = FindStreamParameters(stream);
    const std::vector<double> reference = ReadFloat32(ReadFileBytes(f32));
    std::remove(wav.c_str());
    std::remove(mp3.c_str());
    std::remove(f32.c_str());
    ASSERT_TRUE(p.found);
    EXPECT_EQ(p.layer, 3);
    EXPECT_EQ(p.version, c.version);
    EXPECT_EQ(p.sampleRate, c.rate);

    const DecodedStream ours = DecodeStream(stream, p);
    EXPECT_EQ(ours.errors, 0);
    ASSERT_EQ(ours.channels, c.channels);
    ASSERT_GT(ours.samples.size(), 0u);
    EXPECT_EQ(ours.samples.size(), reference.size());
    const Alignment aligned =
        AlignAndMeasureSnr(ours.samples, reference, c.channels, kGainCorrection, 1152);
    std::printf("%s: %d frames, shift %d, SNR %.1f dB over %zu values\n", c.label, ours.frames,
                aligned.shift, aligned.snr, aligned.compared);
    EXPECT_EQ(aligned.shift, 0);
    EXPECT_GE(aligned.snr, 100.0);
}

INSTANTIATE_TEST_SUITE_P(Lame, Layer3AgainstPeer, testing::ValuesIn(kPeerCases),
                         [](const testing::TestParamInfo<PeerCase>& info) {
                             return std::string(info.param.label);
                         });

} // namespace
