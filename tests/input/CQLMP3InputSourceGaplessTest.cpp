// Gapless playback of files from Debian's lame: the source delivers exactly
// the encoded signal's sample frames, and info id 12 says so before playing.
#include "input/InputTestHelpers.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace inputtest;

// Every version, each rate family, CBR/VBR/ABR, mono and stereo. CBR rates
// are high enough that lame 3.100 writes its Info frame (it leaves it out
// when a frame is too small to hold it).
const LameFile kCases[] = {
    {"Mpeg1CbrStereo", 44100, 2, "-b 128 --cbr"}, {"Mpeg1VbrMono", 48000, 1, "-V 4"},
    {"Mpeg1AbrStereo", 32000, 2, "--abr 96"},     {"Mpeg2CbrMono", 24000, 1, "-b 64 --cbr"},
    {"Mpeg2VbrStereo", 22050, 2, "-V 2"},         {"Mpeg2AbrMono", 16000, 1, "--abr 40"},
    {"Mpeg25CbrStereo", 11025, 2, "-b 48 --cbr"}, {"Mpeg25VbrMono", 12000, 1, "-V 6"},
    {"Mpeg25AbrStereo", 8000, 2, "--abr 32"},     {"Mpeg1CbrWithCrc", 44100, 2, "-b 192 --cbr -p"},
    {"Mpeg2VbrWithCrc", 22050, 1, "-V 5 -p"},
};

class Gapless : public ::testing::TestWithParam<LameFile> {};

TEST_P(Gapless, DeliversTheSignalLengthExactly) {
    TEST_REQUIRE_TOOL("lame");
    const LameFile& c = GetParam();
    TempDir dir;
    // A second and a bit: no multiple of 576 or 1152.
    const int length = c.rate + 1000 + c.rate / 7;
    ASSERT_NE(length % 576, 0);
    WriteSignal(dir / "in.wav", c.rate, c.channels, length);
    ASSERT_TRUE(Encode(dir / "in.wav", dir / "out.mp3", c.rate, c.options));

    const FileFacts f = Analyse(dir / "out.mp3");
    ASSERT_TRUE(f.ok);
    ASSERT_EQ(f.first.versionCode, c.rate >= 32000 ? 10 : c.rate >= 16000 ? 20 : 25);
    ASSERT_EQ(f.first.sampleRate, c.rate);
    ASSERT_EQ(f.first.channels, c.channels);
    ASSERT_GE(f.headerFramePosition, 0) << "no Info/Xing frame";
    ASSERT_EQ(f.encoder, "LAME");
    ASSERT_GT(f.delay, 0);
    // The LAME extension describes the frames that follow the header frame.
    ASSERT_EQ(int64_t(f.frames) * f.first.samplesPerFrame - f.delay - f.padding, length);
    ASSERT_GE(f.padding, 529) << "this case wants a padding the tail reserve covers";

    auto source = NewSource();
    ASSERT_EQ(source->Open(Wide(dir / "out.mp3").c_str()), 0);
    EXPECT_EQ(InfoInt(*source, INFO_TOTAL_SAMPLES), length);
    EXPECT_EQ(InfoInt(*source, INFO_ENCODER_DELAY), f.delay);
    EXPECT_EQ(InfoInt(*source, INFO_ENCODER_PADDING), f.padding - 529);
    const std::vector<double> out = ReadAll(*source);
    EXPECT_EQ(int64_t(out.size()), int64_t(length) * c.channels);
}

INSTANTIATE_TEST_SUITE_P(LameFiles, Gapless, ::testing::ValuesIn(kCases), LameFileName);

// Info id 12 asked in the middle of playback indexes the rest of the stream
// and leaves the reader where playback stands.
TEST(GaplessMidPlay, TotalSamplesAskedWhilePlayingChangesNothing) {
    TEST_REQUIRE_TOOL("lame");
    TempDir dir;
    const int length = 4 * 44100 + 3;
    WriteSignal(dir / "in.wav", 44100, 2, length);
    ASSERT_TRUE(Encode(dir / "in.wav", dir / "out.mp3", 44100, "-V 2"));
    const Played straight = Play(dir / "out.mp3");
    ASSERT_EQ(straight.Frames(), length);
    auto source = NewSource();
    ASSERT_EQ(source->Open(Wide(dir / "out.mp3").c_str()), 0);
    std::vector<uint8_t> head(300001);
    ASSERT_EQ(source->Read(head.data(), int(head.size())), int(head.size()));
    EXPECT_EQ(InfoInt(*source, INFO_TOTAL_SAMPLES), length);
    std::vector<uint8_t> block(65536);
    for (int n; (n = source->Read(block.data(), int(block.size()))) > 0;)
        head.insert(head.end(), block.begin(), block.begin() + n);
    std::vector<double> all(head.size() / sizeof(double));
    std::memcpy(all.data(), head.data(), all.size() * sizeof(double));
    EXPECT_EQ(MaxDifference(all, straight.values), 0.0);
}

// Rewrites the padding field of the LAME extension (bytes 141-143 behind
// the tag) to `padding`, keeping the delay.
void SetLamePadding(std::vector<uint8_t>& file, const FileFacts& f, int padding) {
    for (size_t i = size_t(f.headerFramePosition); i + 156 < file.size(); ++i) {
        if (std::memcmp(&file[i], "Info", 4) == 0 || std::memcmp(&file[i], "Xing", 4) == 0) {
            file[i + 142] = uint8_t((file[i + 142] & 0xF0) | ((padding >> 8) & 0x0F));
            file[i + 143] = uint8_t(padding);
            return;
        }
    }
    FAIL() << "no Info/Xing tag";
}

// With padding below the decoder's 529-sample delay there is nothing to hold
// back at the end: the last 529 - padding samples of the signal are missing,
// and info id 12 counts the same shortfall.
TEST(GaplessShortPadding, EndShortfallShortensTheStreamAndItsCount) {
    TEST_REQUIRE_TOOL("lame");
    TempDir dir;
    const int length = 44100 + 4321;
    WriteSignal(dir / "in.wav", 44100, 2, length);
    ASSERT_TRUE(Encode(dir / "in.wav", dir / "out.mp3", 44100, "-b 128 --cbr"));
    const FileFacts f = Analyse(dir / "out.mp3");
    ASSERT_TRUE(f.ok);
    const int64_t decoded = int64_t(f.frames) * f.first.samplesPerFrame;
    std::vector<uint8_t> file = ReadFile(dir / "out.mp3");
    for (const int padding : {0, 100, 528, 529}) {
        SCOPED_TRACE(padding);
        SetLamePadding(file, f, padding);
        WriteFile(dir / "short.mp3", file);
        auto source = NewSource();
        ASSERT_EQ(source->Open(Wide(dir / "short.mp3").c_str()), 0);
        EXPECT_EQ(InfoInt(*source, INFO_ENCODER_PADDING), 0);
        // 529 at the start plus the delay; the padding trims nothing more
        // than it covers of the decoder's delay.
        const int64_t expected = decoded - f.delay - 529;
        EXPECT_EQ(InfoInt(*source, INFO_TOTAL_SAMPLES), expected);
        EXPECT_EQ(int64_t(ReadAll(*source).size()), expected * 2);
    }
}

} // namespace
