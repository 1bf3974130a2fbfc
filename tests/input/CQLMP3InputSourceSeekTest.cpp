// Seeking: after SetInfo id 3 the source delivers the decoder's continuous
// output from the first audio frame, from the target sample on (or from the
// start when the target lies in the first 13 frames), less the tail reserve.
// Values agree within 1e-9, not bit for bit: the synthesis ring starts at a
// different offset after a seek, so its sums round differently.
#include "input/InputTestHelpers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

using namespace inputtest;

class Seek : public ::testing::TestWithParam<LameFile> {};

// A millisecond value whose target lands on `sample` of the decoder's
// untrimmed output counted from the first audio frame, less the delay.
double MsForSample(int64_t sample, int rate) {
    return (double(sample) + 0.5) * 1000.0 / rate;
}

TEST_P(Seek, OutputResumesAtTheTargetSample) {
    TEST_REQUIRE_TOOL("lame");
    const LameFile& c = GetParam();
    TempDir dir;
    // About three seconds, cut so that lame's padding is just above 529:
    // the tail reserve then leaves some of the last frame to deliver.
    const int frameSamples = c.rate >= 32000 ? 1152 : 576;
    const int length =
        3 * c.rate +
        ((2 * frameSamples - 600 - 576 - 3 * c.rate) % frameSamples + frameSamples) % frameSamples;
    WriteSignal(dir / "in.wav", c.rate, c.channels, length);
    ASSERT_TRUE(Encode(dir / "in.wav", dir / "out.mp3", c.rate, c.options));
    const FileFacts f = Analyse(dir / "out.mp3");
    ASSERT_TRUE(f.ok);
    ASSERT_GT(f.delay, 0);
    ASSERT_GE(f.padding, 529);
    ASSERT_LT(f.padding, 700);
    const int spf = f.first.samplesPerFrame;
    const int k = c.channels;
    const std::vector<double> untrimmed = DecodeUntrimmed(ReadFile(dir / "out.mp3"), f);
    ASSERT_EQ(int64_t(untrimmed.size()), int64_t(f.frames) * spf * k);
    const int64_t reserve = f.padding - 529;
    const int64_t end = int64_t(f.frames) * spf - reserve;

    struct Probe {
        const char* what;
        double ms;
    };
    const int last = f.frames - 1;
    const Probe probes[] = {
        {"zero", 0},
        {"inside the first 13 frames", MsForSample(7 * spf + 100, c.rate)},
        // Frame 12 leaves exactly 13 frames indexed, so the seek to frame 13
        // that follows must grow the index rather than clamp to its end.
        {"frame 12, last that restarts", MsForSample(13 * spf - 1 - f.delay, c.rate)},
        {"frame 13", MsForSample(13 * spf + 5 - f.delay, c.rate)},
        {"middle", MsForSample(int64_t(f.frames / 2) * spf + 333 - f.delay, c.rate)},
        {"last frame", MsForSample(int64_t(last) * spf + 5 - f.delay, c.rate)},
        {"past the end", MsForSample(int64_t(f.frames + 40) * spf + 3 - f.delay, c.rate)},
    };
    auto source = NewSource();
    ASSERT_EQ(source->Open(Wide(dir / "out.mp3").c_str()), 0);
    // Read a little first: a seek also interrupts playback in progress.
    std::vector<uint8_t> some(10000);
    ASSERT_GT(source->Read(some.data(), int(some.size())), 0);
    for (const Probe& p : probes) {
        SCOPED_TRACE(p.what);
        const int64_t target = f.delay + int64_t(double(c.rate) * p.ms / 1000.0);
        const int64_t frame = target / spf;
        int64_t s;
        if (frame <= 12)
            s = 529;
        else if (frame <= last)
            s = target + 529;
        else
            s = int64_t(last) * spf + (target - frame * spf) + 529;
        ASSERT_EQ(source->SetInfo(SETINFO_SEEK_MS, std::to_wstring(p.ms).c_str()), 0);
        const std::vector<double> out = ReadAll(*source, 9999);
        const int64_t from = std::min(s, end);
        const std::vector<double> expected(untrimmed.begin() + from * k,
                                           untrimmed.begin() + end * k);
        ASSERT_EQ(out.size(), expected.size()) << "S " << s;
        // A 576-sample frame holds less than the decoder's delay and the
        // padding: nothing of it survives the trimming.
        if (frame >= last && spf == 1152) {
            EXPECT_GT(out.size(), 0u) << "nothing of the last frame left to compare";
        }
        EXPECT_LE(MaxDifference(out, expected), 1e-9);
    }
}

const LameFile kSeekFiles[] = {
    {"Mpeg1CbrStereo", 44100, 2, "-b 128 --cbr"},
    {"Mpeg2VbrMono", 22050, 1, "-V 3"},
    {"Mpeg25AbrStereo", 11025, 2, "--abr 40"},
    {"Mpeg1VbrMono", 48000, 1, "-V 1"},
};

INSTANTIATE_TEST_SUITE_P(LameFiles, Seek, ::testing::ValuesIn(kSeekFiles), LameFileName);

// Seeking to 0 ms restarts at the first audio frame and skips only the
// decoder's delay: the encoder delay, trimmed on the first play, is heard.
TEST(SeekToZero, DeliversTheEncoderDelay) {
    TEST_REQUIRE_TOOL("lame");
    TempDir dir;
    const int length = 44100 + 99;
    WriteSignal(dir / "in.wav", 44100, 1, length);
    ASSERT_TRUE(Encode(dir / "in.wav", dir / "out.mp3", 44100, "-b 96 --cbr"));
    auto source = NewSource();
    ASSERT_EQ(source->Open(Wide(dir / "out.mp3").c_str()), 0);
    ASSERT_EQ(InfoInt(*source, INFO_ENCODER_DELAY), 576);
    const std::vector<double> first = ReadAll(*source);
    ASSERT_EQ(int64_t(first.size()), length);
    ASSERT_EQ(source->SetInfo(SETINFO_SEEK_MS, L""), 0);
    const std::vector<double> again = ReadAll(*source);
    ASSERT_EQ(int64_t(again.size()), length + 576);
    EXPECT_LE(MaxDifference(first, again, 576), 1e-9);
}

// Layer II has no bit reservoir, but the pre-roll still primes the synthesis
// filterbank; without a LAME header nothing is held back at the end.
TEST(SeekLayer2, OutputResumesAtTheTargetSample) {
    const std::string path = std::string(TONEHALL_TEST_DATA) + "/conformance/l2-fl11.bit";
    const FileFacts f = Analyse(path);
    ASSERT_TRUE(f.ok);
    ASSERT_EQ(f.first.layer, 2);
    ASSERT_EQ(f.delay, 0);
    ASSERT_GT(f.frames, 30);
    const int k = f.first.channels;
    const std::vector<double> untrimmed = DecodeUntrimmed(ReadFile(path), f);
    auto source = NewSource();
    ASSERT_EQ(source->Open(Wide(path).c_str()), 0);
    for (const int64_t sample : {int64_t(5 * 1152 + 7), int64_t(30 * 1152 + 100)}) {
        SCOPED_TRACE(sample);
        const double ms = (double(sample) + 0.5) * 1000.0 / f.first.sampleRate;
        ASSERT_EQ(source->SetInfo(SETINFO_SEEK_MS, std::to_wstring(ms).c_str()), 0);
        const int64_t s = sample / 1152 <= 12 ? 529 : sample + 529;
        const std::vector<double> expected(untrimmed.begin() + s * k, untrimmed.end());
        const std::vector<double> out = ReadAll(*source, 4097);
        ASSERT_EQ(out.size(), expected.size());
        EXPECT_LE(MaxDifference(out, expected), 1e-9);
    }
}

// The plug-in's start-up takes the C library's locale from the environment.
// A seek value's fraction must survive a locale with a decimal comma.
TEST(SeekValue, FractionSurvivesADecimalCommaLocale) {
    TempDir dir;
    TEST_REQUIRE(HaveTool("localedef") &&
                     testtools::Run("localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8") +
                                    "' >/dev/null 2>&1"),
                 "a de_DE locale");
    setenv("LOCPATH", dir.Path().c_str(), 1);
    const bool german = setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    unsetenv("LOCPATH");
    if (!german) GTEST_SKIP() << "de_DE locale not taken";
    struct Restore {
        ~Restore() { setlocale(LC_NUMERIC, "C"); }
    } restore;

    const std::string path = std::string(TONEHALL_TEST_DATA) + "/conformance/l2-fl11.bit";
    const FileFacts f = Analyse(path);
    ASSERT_TRUE(f.ok);
    ASSERT_EQ(f.delay, 0);
    auto source = NewSource();
    ASSERT_EQ(source->Open(Wide(path).c_str()), 0);
    ASSERT_EQ(source->SetInfo(SETINFO_SEEK_MS, L"700.9"), 0);
    const int64_t target = int64_t(f.first.sampleRate * 700.9 / 1000);
    ASSERT_GT(target / 1152, 12);
    EXPECT_EQ(int64_t(ReadAll(*source).size()),
              (int64_t(f.frames) * 1152 - target - 529) * f.first.channels);
}

} // namespace
