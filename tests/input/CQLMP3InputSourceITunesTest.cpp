// Gapless playback from the iTunes comment: a lame file whose Info frame
// names "iTun" instead of "LAME" has no usable LAME extension, so only the
// "iTunSMPB" comment of its ID3v2 tag can give delay and padding.
#include "input/ITunesGaplessComment.h"
#include "input/InputTestHelpers.h"
#include "tags/TagTestHelpers.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace inputtest;

// " 00000000 DELAY PADDING LENGTH" as iTunes writes it, in a COMM frame.
Bytes ITunesTag(int delay, int padding, int length) {
    char value[64];
    std::snprintf(value, sizeof value, " 00000000 %08X %08X %016X", delay, padding, length);
    return Tag(3, 0, Frame("COMM", Cat({Bytes{0}, B("eng"), B("iTunSMPB"), Bytes{0}, B(value)})),
               64);
}

struct ITunesCase {
    const char* name;
    int rate;
    const char* options;
};

class ITunesGapless : public ::testing::TestWithParam<ITunesCase> {};

TEST_P(ITunesGapless, CommentGivesTheSignalLengthOnlyWhenTheEncoderIsITunes) {
    TEST_REQUIRE_TOOL("lame");
    const ITunesCase& c = GetParam();
    TempDir dir;
    const int length = c.rate + 1000 + c.rate / 7;
    WriteSignal(dir / "in.wav", c.rate, 2, length);
    ASSERT_TRUE(Encode(dir / "in.wav", dir / "lame.mp3", c.rate, c.options));
    const FileFacts f = Analyse(dir / "lame.mp3");
    ASSERT_EQ(f.encoder, "LAME");
    Bytes audio = ReadFile(dir / "lame.mp3");
    size_t xing = size_t(f.headerFramePosition);
    while (xing + 200 < audio.size() && std::memcmp(&audio[xing], "Info", 4) != 0 &&
           std::memcmp(&audio[xing], "Xing", 4) != 0)
        ++xing;
    ASSERT_EQ(std::memcmp(&audio[xing + 120], "LAME", 4), 0);
    const Bytes good = ITunesTag(f.delay, f.padding, length);
    const Bytes wrong = ITunesTag(f.delay + 1000, 0, length);
    const struct Variant {
        const char* encoder;
        Bytes tag;
        int64_t delivered;
    } variants[] = {
        {"iTun", good, length},
        // Without the comment nothing is trimmed but the decoder's delay.
        {"iTun", Bytes(), int64_t(f.frames) * f.first.samplesPerFrame - 529},
        // The LAME extension wins: the comment is never read.
        {"LAME", wrong, length},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(std::string(v.encoder) + (v.tag.empty() ? " without comment" : ""));
        std::memcpy(&audio[xing + 120], v.encoder, 4);
        WriteFile(dir / "out.mp3", Cat({v.tag, audio}));
        auto source = NewSource();
        ASSERT_EQ(source->Open(Wide(dir / "out.mp3").c_str()), 0);
        EXPECT_EQ(Info(*source, INFO_ENCODER), v.encoder);
        EXPECT_EQ(int64_t(ReadAll(*source).size()), v.delivered * 2);
    }
}

const ITunesCase kCases[] = {{"Mpeg1Cbr", 44100, "-b 128 --cbr"},
                             {"Mpeg1Vbr", 48000, "-V 4"},
                             {"Mpeg2Cbr", 24000, "-b 64 --cbr"},
                             {"Mpeg2Vbr", 22050, "-V 2"}};

INSTANTIATE_TEST_SUITE_P(LameFiles, ITunesGapless, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ITunesGaplessValue, WordsAreSplitAtEverySpace) {
    const struct {
        const wchar_t* value;
        int32_t delay, padding;
    } kCases[] = {
        {L" 00000000 00000840 000001CC 00000000001A2B3C", 0x840, 0x1CC},
        {L"0  5 6", 0, 5}, // the empty word between two spaces is the delay
        {L"\t0 10\n", 16, 0},
        {L"single", 0, 0},
        {L"0 zz +c", 0, 12},
        {L"0 -5 7FFFFFFFFFFF", 0, ITunesGaplessComment::kMaxSamples},
        {L"0 0x10 1f", 0, 31}, // no "0x" prefix: "0x10" reads as 0
    };
    for (const auto& c : kCases) {
        int32_t delay = -1, padding = -1;
        ITunesGaplessComment::ParseValue(c.value, delay, padding);
        EXPECT_EQ(delay, c.delay) << ZrString(c.value).ToUtf8();
        EXPECT_EQ(padding, c.padding) << ZrString(c.value).ToUtf8();
    }
}

} // namespace
