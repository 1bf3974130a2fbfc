// Gapless playback from the iTunes comment: a lame file whose Info frame
// names "iTun" where "LAME" stood has no usable LAME extension, so only the
// "iTunSMPB" comment of its ID3v2 tag can give delay and padding.
#include "input/ITunesGaplessComment.h"
#include "input/InputTestHelpers.h"
#include "tags/TagTestHelpers.h"

namespace {

using namespace inputtest;

// " 00000000 DELAY PADDING LENGTH" in hexadecimal, as iTunes writes it.
Bytes ITunesTag(int delay, int padding, int length) {
    char value[64];
    std::snprintf(value, sizeof value, " 00000000 %08X %08X %016X", delay, padding, length);
    return Tag(3, 0, Frame("COMM", Cat({Bytes{0}, B("eng"), B("iTunSMPB"), Bytes{0}, B(value)})));
}

class ITunesGapless : public ::testing::TestWithParam<LameFile> {};

TEST_P(ITunesGapless, TheCommentTrimsOnlyWhenTheEncoderIsITunes) {
    TEST_REQUIRE_TOOL("lame");
    const int rate = GetParam().rate;
    TempDir dir;
    const int length = rate + 1000 + rate / 7;
    WriteSignal(dir / "in.wav", rate, 2, length);
    ASSERT_TRUE(Encode(dir / "in.wav", dir / "lame.mp3", rate, GetParam().options));
    const FileFacts f = Analyse(dir / "lame.mp3");
    Bytes audio = ReadFile(dir / "lame.mp3");
    // The Xing/Info record stands behind the side information of a stereo
    // frame: 32 bytes into an MPEG-1 frame, 17 into an MPEG-2 one.
    const size_t xing = size_t(f.headerFramePosition) + (f.first.versionCode == 10 ? 36 : 21);
    ASSERT_EQ(std::memcmp(&audio[xing + 120], "LAME", 4), 0);
    const int64_t untrimmed = int64_t(f.frames) * f.first.samplesPerFrame - 529;
    const struct {
        const char* encoder;
        Bytes tag;
        int64_t delivered;
    } kVariants[] = {{"iTun", ITunesTag(f.delay, f.padding, length), length},
                     {"iTun", Bytes(), untrimmed},
                     // The LAME extension wins; the comment is never read.
                     {"LAME", ITunesTag(f.delay + 1000, 0, length), length}};
    for (const auto& v : kVariants) {
        SCOPED_TRACE(std::string(v.encoder) + (v.tag.empty() ? " without comment" : ""));
        std::memcpy(&audio[xing + 120], v.encoder, 4);
        WriteFile(dir / "out.mp3", Cat({v.tag, audio}));
        auto source = NewSource();
        ASSERT_EQ(source->Open(Wide(dir / "out.mp3").c_str()), 0);
        EXPECT_EQ(int64_t(ReadAll(*source).size()), v.delivered * 2);
    }
}

INSTANTIATE_TEST_SUITE_P(LameFiles, ITunesGapless,
                         ::testing::Values(LameFile{"Hz44100Cbr", 44100, 2, "-b 128 --cbr"},
                                           LameFile{"Hz48000Vbr", 48000, 2, "-V 4"},
                                           LameFile{"Hz24000Cbr", 24000, 2, "-b 64 --cbr"},
                                           LameFile{"Hz22050Vbr", 22050, 2, "-V 2"}),
                         LameFileName);

TEST(ITunesGaplessValue, WordsAreSplitAtEverySpace) {
    const std::tuple<const wchar_t*, int32_t, int32_t> kCases[] = {
        {L" 00000000 00000840 000001CC 00000000001A2B3C", 0x840, 0x1CC},
        {L"0  5 6", 0, 5}, // two spaces: the empty word between them is the delay
        {L"\t0 10\n", 16, 0},
        {L"single", 0, 0},
        {L"0 0x10 +1f", 0, 31}, // bare digits: "0x10" reads as 0
        {L"0 -5 7FFFFFFFFFFF", 0, ITunesGaplessComment::kMaxSamples}};
    for (const auto& [value, delay, padding] : kCases) {
        int32_t d = -1, p = -1;
        ITunesGaplessComment::ParseValue(value, d, p);
        EXPECT_EQ(std::pair(d, p), std::pair(delay, padding)) << ZrString(value).ToUtf8();
    }
}

} // namespace
