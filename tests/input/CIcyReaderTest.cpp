#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "common/IcyTestStream.h"
#include "input/CIcyReader.h"
#include "input/MemoryTestReader.h"

namespace {

// The host's reader for a received stream: the bytes received so far (more
// may arrive, nothing lies beyond them), and the response headers through
// GetInfo ("ResponseHeader:<name>").
class StreamReader : public MemoryTestReader {
public:
    explicit StreamReader(std::vector<uint8_t> bytes, int metaint = 0,
                          const std::wstring& name = L"")
        : MemoryTestReader(std::move(bytes)) {
        Local(false);
        if (metaint > 0) Info(L"ResponseHeader:icy-metaint", std::to_wstring(metaint));
        if (!name.empty()) Info(L"ResponseHeader:icy-name", name);
    }
    int64_t Seek(int64_t offset, uint32_t origin) override {
        const int64_t target = ResolveTarget(GetPosition(), offset, int32_t(origin), GetSize());
        return target > GetSize() ? -1 : MemoryTestReader::Seek(target, 0);
    }
};

std::unique_ptr<CIcyReader> Wrap(const std::vector<uint8_t>& raw, int metaint,
                                 const std::wstring& name = L"") {
    return std::make_unique<CIcyReader>(new StreamReader(raw, metaint, name), true, true);
}

// Reads to the end in chunks of the given sizes, cycling through them.
std::vector<uint8_t> ReadAll(IZrReader& reader, const std::vector<uint32_t>& chunks) {
    std::vector<uint8_t> out;
    for (size_t i = 0;; ++i) {
        const uint32_t want = chunks[i % chunks.size()];
        const size_t used = out.size();
        out.resize(used + want);
        const uint32_t got = reader.Read(out.data() + used, want);
        out.resize(used + got);
        if (got < want) return out;
    }
}

std::string Title(CIcyReader& reader) {
    return reader.GetInfo(L"ICY Title").ToUtf8();
}

// Raw position of audio byte `audioOffset` in a stream built by MakeIcyStream.
int64_t RawPositionOf(const IcyTestStream& s, int metaint, int64_t audioOffset) {
    int64_t raw = audioOffset;
    for (size_t k = 0; k < s.blockPositions.size(); ++k) {
        if (audioOffset < int64_t(k + 1) * metaint) break;
        raw += 1 + s.raw[size_t(s.blockPositions[k])] * 16;
    }
    return raw;
}

} // namespace

TEST(IcyBlocks, AudioComesOutWhateverTheChunkSizesAndTitlesKeepTheirPositions) {
    const auto audio = IcyTestAudio(20000);
    const auto stream = MakeIcyStream(audio, 700, [](int k) {
        return k % 4 == 1 ? IcyTitleText("Song " + std::to_string(k)) : std::string();
    });
    for (const auto& chunks : std::vector<std::vector<uint32_t>>{{1}, {7, 700, 3}, {65536}}) {
        auto reader = Wrap(stream.raw, 700, L" Station ");
        EXPECT_EQ(Title(*reader), "Station") << "the station name stands until a title comes";
        EXPECT_EQ(reader->GetInfo(L"ICY Available").ToUtf8(), "1");
        EXPECT_EQ(ReadAll(*reader, chunks), audio);
        ASSERT_EQ(reader->GetTitleCount(), int(stream.titles.size()));
        for (int i = 0; i < reader->GetTitleCount(); ++i) {
            EXPECT_EQ(reader->GetTitleAt(i).ToUtf8(), stream.titles[i].second);
            EXPECT_EQ(reader->GetTitlePositionAt(i), stream.titles[i].first);
        }
        EXPECT_EQ(Title(*reader), stream.titles.back().second);
        EXPECT_EQ(reader->GetPosition(), int64_t(stream.raw.size())) << "positions stay raw";
    }
}

TEST(IcyBlocks, TitleTextRules) {
    const std::string longTitle(300, 'x');
    const struct {
        std::string text;
        std::wstring title;
    } blocks[] = {
        {IcyTitleText(""), L""},
        {IcyTitleText(longTitle), std::wstring(255, L'x')},
        {"StreamTitle='Caf\xC3\xA9';StreamUrl='http://x/';", L"Caf\u00e9"},
        {"StreamTitle='Guns N' Roses - Patience';", L"Guns N' Roses - Patience"},
        {"StreamTitle='never closed", L""},
    };
    const size_t count = sizeof(blocks) / sizeof(blocks[0]);
    const auto audio = IcyTestAudio(1000);
    const auto stream = MakeIcyStream(
        audio, 100, [&](int k) { return size_t(k) < count ? blocks[k].text : std::string(); });
    auto reader = Wrap(stream.raw, 100);
    std::vector<uint8_t> out(1000);
    ASSERT_EQ(reader->Read(out.data(), 50), 50u);
    for (const auto& b : blocks) {
        ASSERT_EQ(reader->Read(out.data(), 100), 100u);
        EXPECT_EQ(reader->GetInfo(L"ICY Title"), ZrString(b.title.c_str())) << b.text;
        if (b.title.empty()) {
            EXPECT_EQ(reader->GetTitlePosition(0), -1) << "an empty title has no position";
        }
    }
    ASSERT_EQ(reader->GetTitleCount(), 4) << "the empty title is recorded, the unclosed one not";
    EXPECT_EQ(reader->GetTitleAt(0).ToUtf8(), "");
}

TEST(IcyBlocks, RepeatedTitleIsAppendedAndFoundAtItsFirstOccurrence) {
    const auto audio = IcyTestAudio(1000);
    const char* titles[] = {"A", "B", "A"};
    const auto stream = MakeIcyStream(
        audio, 100, [&](int k) { return k < 3 ? IcyTitleText(titles[k]) : std::string(); });
    auto reader = Wrap(stream.raw, 100);
    ReadAll(*reader, {4096});
    ASSERT_EQ(reader->GetTitleCount(), 3);
    EXPECT_EQ(Title(*reader), "A");
    EXPECT_EQ(reader->GetTitlePosition(0), stream.titles[0].first);
    EXPECT_EQ(reader->GetTitlePosition(1), stream.titles[1].first);
    EXPECT_EQ(reader->GetTitlePosition(-1), -1);
    EXPECT_EQ(reader->GetTitlePosition(3), -1);
}

TEST(IcyBlocks, LiveStreamArrivingInPiecesStaysOnTheBoundaries) {
    const auto audio = IcyTestAudio(20000);
    const auto stream = MakeIcyStream(audio, 300, [](int k) {
        return k % 2 ? IcyTitleText("Title number " + std::to_string(k)) : std::string();
    });
    auto* inner = new StreamReader({}, 300);
    CIcyReader reader(inner, true, true);
    std::vector<uint8_t> out;
    uint8_t buffer[4096];
    for (size_t at = 0; at < stream.raw.size(); at += 37) {
        inner->Append({stream.raw.begin() + long(at),
                       stream.raw.begin() + long(std::min<size_t>(at + 37, stream.raw.size()))});
        while (const uint32_t n = reader.Read(buffer, sizeof(buffer)))
            out.insert(out.end(), buffer, buffer + n);
    }
    EXPECT_EQ(out, audio);
    EXPECT_EQ(reader.GetTitleCount(), int(stream.titles.size()));
}

TEST(IcyResync, DamagedBlockIsTakenOutAndReadingStaysOnTheBoundaries) {
    const auto audio = IcyTestAudio(30000);
    auto stream = MakeIcyStream(audio, 500, [](int k) {
        return k % 5 == 0 ? IcyTitleText("T" + std::to_string(k)) : std::string();
    });
    // Block 20 becomes 16 control bytes: what a reader sees when it lands on
    // audio where it expected a block.
    const size_t bad = size_t(stream.blockPositions[20]);
    const size_t oldText = size_t(stream.raw[bad]) * 16;
    std::vector<uint8_t> damaged(stream.raw.begin(), stream.raw.begin() + bad);
    damaged.push_back(1);
    for (int i = 0; i < 16; ++i)
        damaged.push_back(uint8_t(1 + i % 7));
    damaged.insert(damaged.end(), stream.raw.begin() + bad + 1 + oldText, stream.raw.end());
    auto reader = Wrap(damaged, 500);
    EXPECT_EQ(ReadAll(*reader, {333, 4096}), audio);
    // A seek from the start over the damaged block lands exactly.
    auto seeking = Wrap(damaged, 500);
    const int64_t raw = RawPositionOf(stream, 500, 12345) - 16 * stream.raw[bad] + 16;
    ASSERT_EQ(seeking->Seek(raw, 0), raw);
    EXPECT_EQ(ReadAll(*seeking, {4096}), std::vector<uint8_t>(audio.begin() + 12345, audio.end()));
    std::vector<std::string> seen;
    for (int i = 0; i < reader->GetTitleCount(); ++i)
        seen.push_back(reader->GetTitleAt(i).ToUtf8());
    std::vector<std::string> expected;
    for (const auto& t : stream.titles)
        if (t.second != "T20") expected.push_back(t.second);
    EXPECT_EQ(seen, expected);
}

TEST(IcySeek, SeekingBackRestoresTheTitleAndTheAudio) {
    const auto audio = IcyTestAudio(10000);
    const auto stream = MakeIcyStream(audio, 400, [](int k) {
        return k % 6 == 0 ? IcyTitleText("Part " + std::to_string(k / 6)) : std::string();
    });
    auto reader = Wrap(stream.raw, 400);
    ReadAll(*reader, {1000});
    ASSERT_GE(stream.titles.size(), 3u);
    EXPECT_EQ(Title(*reader), stream.titles.back().second);

    // Back into the second title's stretch, onto an audio byte, a block's
    // length byte, and the head of the stream.
    const std::pair<int64_t, int64_t> targets[] = {
        {RawPositionOf(stream, 400, 7 * 400 + 123), 7 * 400 + 123},
        {stream.blockPositions[8], 9 * 400},
        {0, 0}};
    for (const auto& [raw, audioOffset] : targets) {
        ASSERT_EQ(reader->Seek(raw, 0), raw);
        std::vector<uint8_t> out(1500);
        ASSERT_EQ(reader->Read(out.data(), 1500), 1500u);
        EXPECT_TRUE(std::equal(out.begin(), out.end(), audio.begin() + audioOffset))
            << "at audio offset " << audioOffset;
        if (audioOffset >= 7 * 400) {
            EXPECT_EQ(Title(*reader), "Part 1");
        }
    }
    EXPECT_EQ(reader->GetTitleCount(), int(stream.titles.size())) << "no title recorded twice";
}

TEST(IcySeek, SeekingAheadOfWhatWasReadFindsTheBlocksOnTheWay) {
    const auto audio = IcyTestAudio(10000);
    const auto stream = MakeIcyStream(audio, 300, [](int k) {
        return k % 3 == 0 ? IcyTitleText(std::string(size_t(k), 'a')) : std::string();
    });
    auto reader = Wrap(stream.raw, 300);
    const int64_t audioOffset = 8000 + 17;
    const int64_t raw = RawPositionOf(stream, 300, audioOffset);
    ASSERT_EQ(reader->Seek(raw, 0), raw);
    EXPECT_EQ(ReadAll(*reader, {999}),
              std::vector<uint8_t>(audio.begin() + audioOffset, audio.end()));
    EXPECT_EQ(reader->GetTitleCount(), int(stream.titles.size()));
}

TEST(IcyRawHead, HeadInTheStreamGivesMetaintTitleArtistAndItsLength) {
    const std::string head = "ICY 200 OK\r\nicy-name:Radio\r\nSong-Name: Hello \r\n"
                             "Artist-Name:Band\r\nicy-metaint:256\r\n\r\n";
    const auto audio = IcyTestAudio(3000);
    const auto stream = MakeIcyStream(
        audio, 256, [](int k) { return k == 2 ? IcyTitleText("Next") : std::string(); },
        int64_t(head.size()));
    std::vector<uint8_t> raw(head.begin(), head.end());
    raw.insert(raw.end(), stream.raw.begin(), stream.raw.end());

    auto reader = Wrap(raw, 0);
    EXPECT_EQ(reader->GetMetaint(), 256);
    EXPECT_EQ(reader->GetHeaderLength(), int64_t(head.size()));
    EXPECT_EQ(Title(*reader), "Hello");
    EXPECT_EQ(reader->GetInfo(L"ICY Artist").ToUtf8(), "Band");
    EXPECT_EQ(reader->GetPosition(), 0) << "the head is read, then the reader goes back";

    std::vector<uint8_t> expected(head.begin(), head.end());
    expected.insert(expected.end(), audio.begin(), audio.end());
    EXPECT_EQ(ReadAll(*reader, {100}), expected) << "the head comes out as audio";
    EXPECT_EQ(Title(*reader), "Next");
    EXPECT_EQ(reader->GetTitlePosition(0), stream.titles[0].first);
}

TEST(IcyRawHead, WithoutHeadOrOptionTheStreamPassesThrough) {
    const auto audio = IcyTestAudio(3000);
    auto plain = Wrap(audio, 0);
    EXPECT_EQ(plain->GetMetaint(), 0);
    EXPECT_EQ(ReadAll(*plain, {512}), audio);

    const std::string head = "ICY 200 OK\nicy-metaint:256\n\n";
    std::vector<uint8_t> raw(head.begin(), head.end());
    raw.insert(raw.end(), audio.begin(), audio.end());
    CIcyReader noParse(new StreamReader(raw), true, false);
    EXPECT_EQ(noParse.GetMetaint(), 0);
    CIcyReader parse(new StreamReader(raw), true, true);
    EXPECT_EQ(parse.GetMetaint(), 256);
    EXPECT_EQ(parse.GetHeaderLength(), int64_t(head.size())) << "a head ended by a blank line";
}

// At 8 kbit/s one byte is one millisecond, so positions read as times.
TEST(IcyTitleInfo, StartEndAndKnownFollowTheTitlePositions) {
    const auto audio = IcyTestAudio(60000);
    const auto stream = MakeIcyStream(audio, 1000, [](int k) {
        return k == 0 ? IcyTitleText("A") : k == 20 ? IcyTitleText("B") : std::string();
    });
    auto reader = Wrap(stream.raw, 1000);
    auto info = [&](int id) {
        return CIcyReader::AnswerTitleInfo(id, reader.get(), true, 8).ToUtf8();
    };
    EXPECT_EQ(info(16), "0") << "nothing known before a title arrives";
    EXPECT_EQ(CIcyReader::AnswerTitleInfo(12, reader.get(), true, 8).ToUtf8(), "");

    const int64_t a = stream.titles[0].first;
    const int64_t b = stream.titles[1].first;
    std::vector<uint8_t> out(60000);
    // Just past B's block, within 16 s of it: A is still what the host plays.
    ASSERT_EQ(reader->Read(out.data(), uint32_t(21 * 1000 + 10)), uint32_t(21 * 1000 + 10));
    EXPECT_EQ(Title(*reader), "B");
    EXPECT_EQ(info(16), "1");
    EXPECT_EQ(info(13), std::to_string(a));
    EXPECT_EQ(info(14), std::to_string(reader->GetSize() - 5000)) << "no next title yet";
    ReadAll(*reader, {4096});
    EXPECT_EQ(info(13), std::to_string(b)) << "more than 16 s received since B began";
    for (int id : {13, 14, 16})
        EXPECT_EQ(CIcyReader::AnswerTitleInfo(id, reader.get(), false, 8).ToUtf8(), "0");
    EXPECT_EQ(CIcyReader::AnswerTitleInfo(13, reader.get(), true, 0).ToUtf8(), "0");

    ASSERT_EQ(reader->Seek(a + 500, 0), a + 500);
    EXPECT_EQ(Title(*reader), "A");
    EXPECT_EQ(info(14), std::to_string(b)) << "A ends where B begins";
}
