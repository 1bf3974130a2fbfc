#include "input/MpegStreamAnalysis.h"

#include "input/MemoryTestReader.h"
#include "input/MpegTestStream.h"

#include "common/TestFiles.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace mpegtest;

namespace {

const Header kCbr128; // MPEG-1 Layer III, 128 kbit/s, 44.1 kHz, joint stereo: 417 bytes

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        Append(out, p);
    return out;
}

std::vector<int32_t> IndexOf(const MpegStreamAnalysis& a) {
    return std::vector<int32_t>(a.frameIndex.begin(), a.frameIndex.end());
}

Bytes ReadDataFile(const std::string& name) {
    return testfiles::ReadFile(std::string(TONEHALL_TEST_DATA) + "/" + name);
}

} // namespace

TEST(MpegFrameHeader, ParsesEveryFieldAtTheExtremesOfEveryVersion) {
    struct Case {
        Bytes header;
        int version, layer, rate, samples, channels, length;
    } cases[] = {
        {Bytes{0xFF, 0xFA, 0x93, 0x6C}, 10, 3, 44100, 1152, 2, 417}, // padded: the byte not counted
        {Bytes{0xFF, 0xF3, 0x14, 0xC0}, 20, 3, 24000, 576, 1, 24},   // 8 kbit/s
        {Bytes{0xFF, 0xE3, 0x14, 0x00}, 25, 3, 12000, 576, 2, 48},   // 8 kbit/s
        {Bytes{0xFF, 0xE5, 0xE8, 0x00}, 25, 2, 8000, 1152, 2, 2880}, // 160 kbit/s
        {Bytes{0xFF, 0xFD, 0xE8, 0x00}, 10, 2, 32000, 1152, 2, 1728}, // 384 kbit/s
        {Bytes{0xFF, 0xFB, 0xE4, 0x00}, 10, 3, 48000, 1152, 2, 960},  // 320 kbit/s
        {Bytes{0xFF, 0xFF, 0xE0, 0x00}, 10, 1, 44100, 384, 2, 487},   // Layer I parses
        {Bytes{0xFF, 0xF5, 0xE4, 0xC0}, 20, 2, 24000, 1152, 1, 960},  // 160 kbit/s
    };
    for (const Case& c : cases) {
        MpegFrameInfo info;
        ASSERT_TRUE(MpegStreamAnalysis::ParseFrameHeader(c.header.data(), info));
        EXPECT_EQ(std::tuple(info.versionCode, info.layer, info.sampleRate, info.samplesPerFrame,
                             info.channels, info.samplesTimesChannels, info.frameLength),
                  std::tuple(c.version, c.layer, c.rate, c.samples, c.channels,
                             c.samples * c.channels, c.length))
            << c.length;
    }
    // Every flag of the first header is set.
    MpegFrameInfo info;
    ASSERT_TRUE(MpegStreamAnalysis::ParseFrameHeader(cases[0].header.data(), info));
    EXPECT_EQ(std::tuple(info.bitrate, info.channelMode, info.crcProtected, info.padding,
                         info.privateBit, info.copyright, info.original),
              std::tuple(128, 1, 1, 1, 1, 1, 1));
}

TEST(MpegFrameHeader, RefusesReservedAndForbiddenCodesWithoutWriting) {
    const Bytes refused[] = {
        Bytes{0xFF, 0xEB, 0x90, 0x00}, // version 01
        Bytes{0xFF, 0xF9, 0x90, 0x00}, // layer 00
        Bytes{0xFF, 0xFB, 0x00, 0x00}, // free format
        Bytes{0xFF, 0xFB, 0xF0, 0x00}, // bitrate index 15
        Bytes{0xFF, 0xFB, 0x9C, 0x00}, // sample-rate index 3
    };
    for (const Bytes& h : refused) {
        MpegFrameInfo info;
        info.bitrate = 77;
        EXPECT_FALSE(MpegStreamAnalysis::ParseFrameHeader(h.data(), info));
        EXPECT_EQ(info.bitrate, 77);
    }
}

TEST(MpegFrameHeader, ReferenceFixesVersionLayerRateAndMononess) {
    MpegFrameInfo ref, out;
    ASSERT_TRUE(MpegStreamAnalysis::ParseFrameHeader(kCbr128.Bytes4().data(), ref));
    Header h = kCbr128;
    h.bitrateIndex = 5;
    h.padding = 1;
    h.mode = 2; // dual channel is still two channels
    h.crc = true;
    EXPECT_TRUE(MpegStreamAnalysis::CheckFrameHeader(h.Bytes4().data(), out, &ref));
    Header mono = kCbr128, rate = kCbr128, layer = kCbr128, version = kCbr128;
    mono.mode = 3;
    rate.rateIndex = 1;
    layer.layer = 2;
    version.version = 2;
    for (const Header& other : {mono, rate, layer, version}) {
        EXPECT_TRUE(MpegStreamAnalysis::CheckFrameHeader(other.Bytes4().data(), out));
        EXPECT_FALSE(MpegStreamAnalysis::CheckFrameHeader(other.Bytes4().data(), out, &ref));
    }
}

TEST(LeadingData, ZerosTagsAndRiffHeadersAreSkipped) {
    // Zeros only at the very start, and at most 1 MiB of them: more are left
    // to the frame search.
    const Bytes riff = RiffHeader();
    const struct {
        const char* name;
        Bytes lead;
        int64_t skipped;
    } cases[] = {
        {"one zero", Bytes(1, 0), 1},
        {"1 MiB of zeros", Bytes(1048576, 0), 1048576},
        {"more zeros", Bytes(1048576 + 200000, 0), 1048576},
        {"zeros behind a tag", Concat({Id3v2Tag(90), Bytes(5000, 0)}), 100},
        {"RIFF/WAVE", riff, int64_t(riff.size()) - 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryTestReader reader(Concat({c.lead, Frames(kCbr128, 40)}));
        MpegStreamAnalysis a;
        EXPECT_EQ(a.SkipLeadingData(&reader, true), c.skipped);
        ASSERT_EQ(a.Analyze(&reader), 0);
        EXPECT_EQ(a.firstAudioPosition, int32_t(c.lead.size()));
    }
    MemoryTestReader tagged(Concat({Id3v2Tag(90), Bytes(5000, 0), Frames(kCbr128, 40)}));
    tagged.Seek(100, 0);
    EXPECT_EQ(MpegStreamAnalysis().SkipLeadingData(&tagged, false), 0);

    MemoryTestReader beyond(Concat({Bytes(2 * 1048576, 0), Frames(kCbr128, 8)}));
    MpegStreamAnalysis a;
    EXPECT_EQ(a.Analyze(&beyond), -1);
    EXPECT_LT(beyond.BytesRead(), 1048576 + 2 * 1024 + 1024 + MpegStreamAnalysis::kMaxSearchBytes);
}

TEST(LeadingData, AllZeroStreamIsSkippedToItsEnd) {
    MemoryTestReader reader(Bytes(3000, 0));
    MpegStreamAnalysis a;
    EXPECT_EQ(a.SkipLeadingData(&reader, true), 3000);
    EXPECT_EQ(a.Analyze(&reader), -1);
}

TEST(LeadingData, RiffWithoutDataChunkInItsHeadIsRefused) {
    MpegStreamAnalysis a;
    MemoryTestReader late(Concat({RiffHeader(4100), Frames(kCbr128, 12)}));
    EXPECT_EQ(a.SkipLeadingData(&late, true), -1);
    EXPECT_EQ(a.Analyze(&late), -1);
    Bytes small = Concat({RiffHeader(), Frames(kCbr128, 8)});
    small.resize(4095);
    MemoryTestReader shortRiff(small);
    EXPECT_EQ(a.Analyze(&shortRiff), -1);
}

TEST(FirstFrameSearch, TakesTheFirstHeaderItsSuccessorsConfirm) {
    Header padded = kCbr128, mono = kCbr128;
    padded.padding = 1;
    mono.mode = 3;
    const struct {
        const char* name;
        Bytes stream;
        int64_t first;
    } cases[] = {
        // A lone header of the same stream: its successors are not where its
        // length says.
        {"false sync in leading data",
         Concat({Filler(50), kCbr128.Bytes4(), Filler(296), Frames(kCbr128, 8)}), 350},
        {"gap of 255 bytes", Concat({Frame(kCbr128), Filler(255), Frames(kCbr128, 8)}), 0},
        {"gap of 256 bytes", Concat({Frame(kCbr128), Filler(256), Frames(kCbr128, 8)}), 673},
        // Each gap alone is tolerated; the scan advances by frame lengths, so
        // together they exceed 255.
        {"gaps add up",
         Concat({Frame(kCbr128), Filler(200), Frame(kCbr128), Filler(100), Frames(kCbr128, 8)}),
         617},
        {"padded frames", Concat({Filler(10), Frames(padded, 8)}), 10},
        {"frame of another stream", Concat({Frame(mono), Frames(kCbr128, 8)}), 417},
    };
    for (const auto& c : cases) {
        MemoryTestReader reader(c.stream);
        MpegFrameInfo out;
        ASSERT_EQ(MpegStreamAnalysis::FindFirstFrame(&reader, out), 0) << c.name;
        EXPECT_EQ(reader.GetPosition(), c.first) << c.name;
        EXPECT_EQ(out.bitrate, 128) << c.name;
        EXPECT_EQ(out.channels, 2) << c.name;
    }
}

TEST(FirstFrameSearch, GivesUpAfter229376Bytes) {
    // Candidates are tried at the first 4096 offsets of each buffer; the
    // last buffer that fits in the limit starts at 52 * 4096.
    const size_t lastCandidate = 52 * 4096 + 4095;
    for (size_t filler : {lastCandidate, lastCandidate + 1}) {
        MemoryTestReader reader(Concat({Filler(filler), Frames(kCbr128, 40)}));
        MpegFrameInfo out;
        const int result = MpegStreamAnalysis::FindFirstFrame(&reader, out);
        EXPECT_LE(reader.BytesRead(), MpegStreamAnalysis::kMaxSearchBytes);
        if (filler == lastCandidate) {
            ASSERT_EQ(result, 0);
            EXPECT_EQ(reader.GetPosition(), int64_t(filler));
        } else {
            EXPECT_EQ(result, -1);
        }
    }
}

namespace {

// A header frame with the given record, then `frames` audio frames and an
// ID3v1-sized tail.
Bytes VbrStream(const VbrTag& tag, int frames) {
    return Concat({VbrFrame(kCbr128, tag), Frames(kCbr128, frames), Filler(128, 'T')});
}

} // namespace

TEST(StreamAnalysis, LameExtensionIsReadWhateverTheXingFlagsSay) {
    for (const char* encoder : {"LAME", "FIIS", "Lavf"}) {
        VbrTag tag;
        tag.encoder = encoder;
        tag.delay = 576;
        tag.padding = 1071;
        MemoryTestReader reader(VbrStream(tag, 20));
        MpegStreamAnalysis a;
        ASSERT_EQ(a.Analyze(&reader), 0);
        EXPECT_EQ(a.encoderId, ZrString::FromLatin1(encoder));
        const bool gapless = std::string(encoder) != "Lavf";
        EXPECT_EQ(a.encoderDelay, gapless ? 576 : 0);
        EXPECT_EQ(a.encoderPadding, gapless ? 1071 : 0);
        EXPECT_EQ(a.durationMs, 0); // flags 0: no frame count
        EXPECT_EQ(a.averageBitrate, 128);
    }
}

TEST(StreamAnalysis, EncoderIdentificationEndsAtTheFirstNonTextByte) {
    const std::pair<std::string, std::wstring> cases[] = {
        {std::string("LA\x05", 3), L"LA"}, {"L\x7F", L"L"}, {"GO G", L"GO G"}, {"", L""}};
    for (const auto& c : cases) {
        VbrTag tag;
        tag.encoder = c.first;
        MemoryTestReader reader(VbrStream(tag, 8));
        MpegStreamAnalysis a;
        ASSERT_EQ(a.Analyze(&reader), 0);
        EXPECT_EQ(a.encoderId, c.second.c_str());
    }
}

TEST(StreamAnalysis, OnlyAXingFrameCountGivesDurationAndAverageBitrate) {
    // A header frame holds no audio; the Info record (a CBR file's) gives no
    // frame count whatever its flags, and a VBRI record is not recognised.
    const struct {
        const char* tag;
        uint32_t flags;
        bool vbr;
        int32_t headerFrame, firstAudio, durationMs;
    } cases[] = {
        {"Xing", 0x1, true, 0, 417, 2612}, // 100 * 1152 / 44.1, truncated
        {"Info", 0xF, false, 0, 417, 0},
        {"VBRI", 0x1, false, -1, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tag);
        VbrTag tag;
        tag.tag = c.tag;
        tag.flags = c.flags;
        tag.frames = 100;
        MemoryTestReader reader(VbrStream(tag, 100));
        MpegStreamAnalysis a;
        ASSERT_EQ(a.Analyze(&reader), 0);
        EXPECT_EQ(a.vbr, c.vbr);
        EXPECT_EQ(a.nominalBitDepth, 16);
        EXPECT_EQ(a.headerFramePosition, c.headerFrame);
        EXPECT_EQ(a.firstAudioPosition, c.firstAudio);
        EXPECT_EQ(reader.GetPosition(), c.firstAudio);
        EXPECT_EQ(a.durationMs, c.durationMs);
        // Xing: 41700 bytes * 8 / 2612 ms = 127.7, rounded
        EXPECT_EQ(a.averageBitrate, 128);
        EXPECT_EQ(a.encoderId, c.headerFrame < 0 ? L"<unknown>" : L"LAME");
        EXPECT_TRUE(a.frameIndex.IsEmpty()); // a local file is not indexed
    }
}

TEST(StreamAnalysis, XingTooCloseToTheEndOfTheHeadIsIgnored) {
    // Tag at 832 + 36 = 868 still fits its 156 bytes into the first 1024;
    // one byte later it does not. The frame search starts 156 bytes behind
    // the leading data, not behind the header frame, so here it takes the
    // header frame as the first.
    for (size_t lead : {size_t(832), size_t(833)}) {
        VbrTag tag;
        tag.flags = 0x1;
        tag.frames = 100;
        MemoryTestReader reader(Concat({Filler(lead), VbrStream(tag, 100)}));
        MpegStreamAnalysis a;
        ASSERT_EQ(a.Analyze(&reader), 0);
        EXPECT_EQ(a.headerFramePosition, int32_t(lead));
        EXPECT_EQ(a.vbr, lead == 832);
        EXPECT_EQ(a.firstAudioPosition, int32_t(lead));
        EXPECT_EQ(a.durationMs, lead == 832 ? 2612 : 0);
    }
}

TEST(StreamAnalysis, NonLiveStreamsShorterThan1024BytesAreRefused) {
    Header tiny; // MPEG-2 Layer III 8 kbit/s at 24 kHz: 24-byte frames
    tiny.version = 2;
    tiny.bitrateIndex = 1;
    tiny.rateIndex = 1;
    Bytes stream = Frames(tiny, 43);
    stream.resize(1024);
    MpegStreamAnalysis a;
    MemoryTestReader enough(stream);
    EXPECT_EQ(a.Analyze(&enough), 0);
    stream.resize(1023);
    MemoryTestReader tooShort(stream);
    EXPECT_EQ(a.Analyze(&tooShort), -1);
    MemoryTestReader live(stream);
    live.Live(true).SizeUnknown(true);
    EXPECT_EQ(a.Analyze(&live), 0);
    EXPECT_EQ(a.Analyze(nullptr), -1);
}

TEST(StreamAnalysis, LiveStreamsAreSearchedFromTheStartWithoutSkipping) {
    MemoryTestReader reader(Concat({Id3v2Tag(40), Filler(300), Frames(kCbr128, 10)}));
    reader.Live(true).SizeUnknown(true).Local(false);
    MpegStreamAnalysis a;
    ASSERT_EQ(a.Analyze(&reader), 0);
    EXPECT_EQ(a.firstAudioPosition, 350);
    EXPECT_EQ(a.id3v2Size, 0);
    EXPECT_EQ(a.durationMs, 0);
    EXPECT_EQ(a.averageBitrate, 128);
    EXPECT_TRUE(a.frameIndex.IsEmpty());
}

TEST(StreamAnalysis, RemoteStreamWithoutFrameCountIsEstimatedFromItsHead) {
    Bytes stream = Concat({Frames(kCbr128, 2000), Filler(128, 'T')});
    MemoryTestReader remote(stream);
    remote.Local(false);
    MpegStreamAnalysis a;
    ASSERT_EQ(a.Analyze(&remote), 0);
    EXPECT_EQ(a.frameIndex.GetCount(), 1001);
    EXPECT_FALSE(a.fullyIndexed);
    EXPECT_EQ(a.durationMs, 52244); // 2000 frames
    EXPECT_EQ(a.averageBitrate, 128);
    EXPECT_EQ(remote.GetPosition(), 0);

    MemoryTestReader server(stream);
    server.Local(false).Info(L"X-Corvel-Library-Server", L"1");
    ASSERT_EQ(a.Analyze(&server), 0);
    EXPECT_TRUE(a.frameIndex.IsEmpty());
    EXPECT_EQ(a.durationMs, 0);
}

TEST(DurationRule, TruncatesDurationAndRoundsBitrate) {
    MpegStreamAnalysis a;
    ASSERT_TRUE(MpegStreamAnalysis::ParseFrameHeader(kCbr128.Bytes4().data(), a.firstFrame));
    a.audioBytes = 41700;
    a.ComputeDuration(0);
    EXPECT_EQ(a.durationMs, 0);
    EXPECT_EQ(a.averageBitrate, 0);
    a.ComputeDuration(100);
    EXPECT_EQ(a.durationMs, 2612);
    EXPECT_EQ(a.averageBitrate, 128);
    a.ComputeDuration(int64_t(1) << 40); // a hostile count saturates
    EXPECT_EQ(a.durationMs, INT32_MAX);
    EXPECT_EQ(a.averageBitrate, 0);
}

namespace {

// A CBR stream at 44.1 kHz pads some frames, as encoders do to hold the
// average rate.
Bytes PaddedStream(int frames, std::vector<int32_t>* positions) {
    Bytes out;
    for (int i = 0; i < frames; ++i) {
        Header h = kCbr128;
        h.padding = (i % 3 == 1) ? 1 : 0;
        if (positions) positions->push_back(int32_t(out.size()));
        Append(out, Frame(h));
    }
    Append(out, Filler(128, 'T'));
    return out;
}

} // namespace

TEST(FrameIndex, HeaderAcrossABlockBoundaryIsFound) {
    // The 64 KiB block ends inside the fourth byte of this frame's header.
    const size_t lead = 65533 - 5 * 417;
    MemoryTestReader reader(Concat({Frames(kCbr128, 5), Filler(lead), Frames(kCbr128, 5)}));
    MpegStreamAnalysis a;
    ASSERT_EQ(a.Analyze(&reader), 0);
    ASSERT_EQ(a.IndexAllFrames(&reader), 10);
    EXPECT_EQ(a.frameIndex[5], 65533);
}

TEST(FrameIndex, SkipsForeignFramesAndNotesBitrateChanges) {
    Header other = kCbr128, faster = kCbr128;
    other.rateIndex = 1;
    faster.bitrateIndex = 10;
    MemoryTestReader reader(
        Concat({Frames(kCbr128, 6), Frame(other), Frame(faster), Frames(kCbr128, 3)}));
    MpegStreamAnalysis a;
    ASSERT_EQ(a.Analyze(&reader), 0);
    EXPECT_FALSE(a.vbr);
    EXPECT_EQ(a.IndexAllFrames(&reader), 10);
    EXPECT_TRUE(a.vbr);
}

TEST(FrameIndex, LimitStopsEarlyAndLaterCallsResume) {
    std::vector<int32_t> expected;
    MemoryTestReader reader(PaddedStream(50, &expected));
    MpegStreamAnalysis a;
    ASSERT_EQ(a.Analyze(&reader), 0);
    int64_t covered = 0;
    ASSERT_TRUE(a.IndexFrames(&reader, 10, covered));
    EXPECT_EQ(a.frameIndex.GetCount(), 11);
    EXPECT_EQ(covered, expected[10] + 417);
    EXPECT_FALSE(a.fullyIndexed);
    ASSERT_TRUE(a.IndexFrames(&reader, 20, covered));
    EXPECT_EQ(IndexOf(a), std::vector<int32_t>(expected.begin(), expected.begin() + 21));
    EXPECT_EQ(a.IndexAllFrames(&reader), 50);
    EXPECT_TRUE(a.fullyIndexed);
}

TEST(FrameIndex, LiveStreamKeepsIndexingAsItGrows) {
    MemoryTestReader reader(Frames(kCbr128, 20));
    reader.Live(true).Local(false);
    MpegStreamAnalysis a;
    ASSERT_EQ(a.Analyze(&reader), 0);
    EXPECT_EQ(a.IndexAllFrames(&reader), 20);
    EXPECT_TRUE(a.fullyIndexed);
    reader.Append(Frames(kCbr128, 10));
    EXPECT_EQ(a.IndexAllFrames(&reader), 30);

    MemoryTestReader unknown(Frames(kCbr128, 20));
    unknown.Live(true).SizeUnknown(true);
    ASSERT_EQ(a.Analyze(&unknown), 0);
    int64_t covered = 0;
    EXPECT_FALSE(a.IndexFrames(&unknown, 0, covered));
}

TEST(RealEncoderFiles, FreeFormatStreamYieldsNoLayer3Frame) {
    // Conformance stream l3-he_free: every frame is free format (bitrate
    // index 0), which is never taken. What the search does confirm are five
    // chance "Layer I" headers inside the frame data, 34 bytes apart within
    // the allowed gaps, so the input source refuses the file as Layer I.
    const Bytes bytes = ReadDataFile("conformance/l3-he_free.bit");
    ASSERT_GT(bytes.size(), 20000u);
    MemoryTestReader reader(bytes);
    MpegStreamAnalysis a;
    if (a.Analyze(&reader) == 0) {
        EXPECT_EQ(a.firstFrame.layer, 1);
        EXPECT_NE(a.firstAudioPosition, 0) << "the real first header is free format";
    }
}
