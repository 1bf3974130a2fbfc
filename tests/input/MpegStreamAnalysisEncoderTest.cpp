// The analysis against streams from independent encoders, made at test time:
// every bitrate of every version's Layer III (lame) and Layer II (ffmpeg)
// table. The encoders' headers check the bitrate table and the frame-length
// rule; lame's gapless values check the sample count.
#include "input/MpegStreamAnalysis.h"

#include "input/MemoryTestReader.h"

#include "common/TestFiles.h"
#include "common/TestTools.h"
#include "common/WaveFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testfiles::ReadFile;
using testfiles::TempDir;

// One and a half seconds of the shared signal: 1024 bytes even at 8 kbit/s.
int WriteWave(const std::string& path, int rate, int channels) {
    std::vector<int16_t> signal = testwave::TestSignal(rate, channels, 2);
    signal.resize(size_t(rate * 3 / 2 * channels));
    testwave::WriteWave16(path, rate, channels, signal);
    return rate * 3 / 2;
}

struct Stream {
    int rate;
    int channels;
    std::vector<int> bitrates;
};

// Analyses a CBR file and checks each indexed frame against the encoder's
// headers: the bitrate it was asked for, and the next frame exactly where
// the frame length (plus the padding byte) puts it.
void CheckCbrFile(const std::vector<uint8_t>& file, int bitrate, int version, int layer,
                  MpegStreamAnalysis& a) {
    MemoryTestReader reader(file);
    ASSERT_EQ(a.Analyze(&reader), 0);
    EXPECT_EQ(a.firstFrame.versionCode, version);
    EXPECT_EQ(a.firstFrame.layer, layer);
    const int frames = a.IndexAllFrames(&reader);
    ASSERT_GT(frames, 5);
    for (int i = 0; i < frames; ++i) {
        MpegFrameInfo info;
        ASSERT_TRUE(MpegStreamAnalysis::ParseFrameHeader(file.data() + a.frameIndex[i], info));
        EXPECT_EQ(info.bitrate, bitrate) << "frame " << i;
        const int64_t end = a.frameIndex[i] + info.frameLength + info.padding;
        if (i + 1 < frames) {
            EXPECT_EQ(a.frameIndex[i + 1], end) << "frame " << i;
        } else {
            EXPECT_LE(end, int64_t(file.size())) << "last frame";
        }
    }
}

} // namespace

// ISO/IEC 11172-3 Table 3-B.2 allows Layer II at 32, 48, 56 and 80 kbit/s for
// single channel only and 224 and up for two channels only.
TEST(EncoderStreams, EveryBitrateOfEveryVersion) {
    const struct {
        int layer, version;
        Stream stream;
    } cases[] = {
        {3, 10, {44100, 2, {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}}},
        {3, 10, {48000, 1, {32, 320}}},
        {3, 20, {22050, 1, {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}},
        {3, 20, {16000, 2, {8, 160}}},
        {3, 25, {8000, 1, {8, 16, 24, 32, 40, 48, 56, 64}}},
        {3, 25, {11025, 2, {8, 64}}},
        {2, 10, {48000, 1, {32, 48, 56, 64, 80, 96, 112, 128, 160, 192}}},
        {2, 10, {44100, 2, {64, 96, 112, 128, 160, 192, 224, 256, 320, 384}}},
        {2, 10, {32000, 2, {384}}},
        {2, 20, {24000, 1, {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}},
        {2, 20, {16000, 2, {8, 160}}},
    };
    TEST_REQUIRE_TOOL("lame");
    TEST_REQUIRE_TOOL("ffmpeg");
    TempDir dir;
    for (const auto& c : cases) {
        const int samples = WriteWave(dir / "in.wav", c.stream.rate, c.stream.channels);
        for (int bitrate : c.stream.bitrates) {
            SCOPED_TRACE(std::to_string(c.stream.rate) + " Hz, " + std::to_string(bitrate) +
                         " kbit/s, Layer " + std::to_string(c.layer));
            const std::string command =
                c.layer == 3 ? "lame --quiet --cbr -b " + std::to_string(bitrate) + " --resample " +
                                   std::to_string(c.stream.rate / 1000.0) + " -m " +
                                   (c.stream.channels == 1 ? "m " : "s ") + dir / "in.wav" + " " +
                                   dir / "out.mp3"
                             : "ffmpeg -v error -y -i " + dir / "in.wav" + " -c:a mp2 -b:a " +
                                   std::to_string(bitrate) + "k -f mp2 " + dir / "out.mp3";
            ASSERT_EQ(std::system(command.c_str()), 0) << command;
            MpegStreamAnalysis a;
            CheckCbrFile(ReadFile(dir / "out.mp3"), bitrate, c.version, c.layer, a);
            if (a.headerFramePosition >= 0) {
                EXPECT_EQ(a.encoderId, L"LAME");
                EXPECT_EQ(a.GetTotalSamples(nullptr, true), uint32_t(samples));
            } else {
                // Layer II, or Layer III frames too small for the Info header.
                EXPECT_TRUE(c.layer == 2 || a.firstFrame.frameLength < 192);
                EXPECT_GE(a.GetTotalSamples(nullptr, false), uint32_t(samples));
            }
        }
    }
}
