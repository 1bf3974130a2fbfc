#include "tags/CID3v2Tag.h"

#include "TagTestHelpers.h"
#include "tags/CID3ToolsBridge.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace {

bool ReadTag(CID3v2Tag& tag, const Bytes& bytes) {
    return tag.Read(bytes.data(), bytes.size(), 0);
}

Bytes Deflate(const Bytes& in, int level = 9) {
    uLongf n = compressBound(uLong(in.size()));
    Bytes out(n);
    EXPECT_EQ(compress2(out.data(), &n, in.data(), uLong(in.size()), level), Z_OK);
    out.resize(n);
    return out;
}

} // namespace

TEST(ID3v2Header, ChecksDecideValidity) {
    CID3v2Tag tag;
    const Bytes frames = Frame("TIT2", Latin1Text("t"));
    EXPECT_TRUE(ReadTag(tag, Tag(3, 0, frames)));
    EXPECT_TRUE(tag.Exists());
    EXPECT_EQ(tag.GetOldLength(), 22u);
    EXPECT_EQ(tag.GetReadResult(), CID3v2Tag::ReadResult::EndOfData);
    // The space in the file is what the header says, not what the caller read.
    EXPECT_TRUE(ReadTag(tag, Cat({Tag(3, 0, frames), Bytes(100, 0xFF)})));
    EXPECT_EQ(tag.GetOldLength(), 22u);
    EXPECT_FALSE(ReadTag(tag, Tag(5, 0, frames)));
    EXPECT_EQ(tag.GetReadResult(), CID3v2Tag::ReadResult::BadVersion);
    EXPECT_FALSE(tag.Exists());
    EXPECT_EQ(tag.GetFrameCount(), 0);
    EXPECT_FALSE(ReadTag(tag, Tag(3, CID3v2Tag::kTagExperimental, frames)));
    // Any version is still a tag whose length the leading-data skip needs.
    EXPECT_EQ(CID3v2Tag::TagLengthFromHeader(Tag(5, 0, frames).data(), 22), 22u);
    EXPECT_EQ(CID3v2Tag::TagLengthFromHeader(Tag(0xFF, 0, frames).data(), 22), 22u);
    EXPECT_FALSE(ReadTag(tag, Tag(0xFF, 0, frames)));
    EXPECT_FALSE(ReadTag(tag, Bytes{'I', 'D', '3', 3, 0}));
    Bytes bad = Tag(3, 0, frames);
    bad[0] = 'X';
    EXPECT_FALSE(ReadTag(tag, bad));
    // One byte short of the declared size is accepted, two are not.
    Bytes shortTag = Tag(3, 0, frames, 2);
    shortTag.resize(shortTag.size() - 1);
    EXPECT_TRUE(ReadTag(tag, shortTag));
    shortTag.resize(shortTag.size() - 1);
    EXPECT_FALSE(ReadTag(tag, shortTag));
    EXPECT_EQ(tag.GetReadResult(), CID3v2Tag::ReadResult::Truncated);
    // A footer adds 10 bytes that must be present.
    Bytes footer = Tag(4, CID3v2Tag::kTagFooter, Frame("TIT2", Latin1Text("t"), 4));
    EXPECT_FALSE(ReadTag(tag, footer));
    footer.insert(footer.end(), {'3', 'D', 'I', 4, 0, 0x10, 0, 0, 0, 0});
    ASSERT_TRUE(ReadTag(tag, footer));
    EXPECT_EQ(Ids(tag), std::vector<std::string>{"TIT2"});
}

TEST(ID3v2Header, ExtendedHeaderIsSkipped) {
    CID3v2Tag tag;
    // ID3v2.3: the size excludes its own 4 bytes.
    const Bytes ext3 = {0, 0, 0, 6, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(ReadTag(tag, Tag(3, CID3v2Tag::kTagExtendedHeader,
                                 Cat({ext3, Frame("TIT2", Latin1Text("three"))}))));
    EXPECT_EQ(FrameValue(tag.GetFrame(0)), "three");
    // ID3v2.4: the sync-safe size counts the whole extended header.
    const Bytes ext4 = {0, 0, 0, 6, 1, 0};
    ASSERT_TRUE(ReadTag(tag, Tag(4, CID3v2Tag::kTagExtendedHeader,
                                 Cat({ext4, Frame("TIT2", Latin1Text("four"), 4)}))));
    EXPECT_EQ(FrameValue(tag.GetFrame(0)), "four");
}

TEST(ID3v2Frames, ParseStopsAtDamageAndKeepsWhatCameBefore) {
    CID3v2Tag tag;
    const Bytes good = Frame("TIT2", Latin1Text("t"));
    // Padding, an invalid ID, a size past the buffer, a size of 2^31.
    using R = CID3v2Tag::ReadResult;
    const std::pair<Bytes, R> endings[] = {
        {Bytes(20, 0), R::Padding},
        {Frame("tit2", Latin1Text("x")), R::InvalidId},
        {Cat({B("TALB"), BigEndianBytes(1000), Bytes{0, 0}, Latin1Text("x")}), R::FramePastEnd},
        {Cat({B("TALB"), BigEndianBytes(0x80000000u), Bytes{0, 0}, Latin1Text("x")}),
         R::OversizedFrame},
        {Cat({B("TALB"), BigEndianBytes(0xFFFFFFFFu), Bytes{0, 0}, Latin1Text("x")}),
         R::OversizedFrame},
        {Bytes(5, 'A'), R::EndOfData}, // no room for another header
    };
    for (const auto& ending : endings) {
        ASSERT_TRUE(ReadTag(tag, Tag(3, 0, Cat({good, ending.first}))));
        EXPECT_EQ(Ids(tag), std::vector<std::string>{"TIT2"});
        EXPECT_EQ(tag.GetReadResult(), ending.second);
    }
    // Zero-size frames are kept.
    ASSERT_TRUE(ReadTag(tag, Tag(3, 0, Cat({Frame("TENC", {}), good}))));
    EXPECT_EQ(Ids(tag), (std::vector<std::string>{"TENC", "TIT2"}));
    // Encodings other than 0-3 keep the frame with empty text.
    ASSERT_TRUE(ReadTag(tag, Tag(3, 0, Frame("TIT2", {9, 'a', 'b'}))));
    EXPECT_EQ(FrameValue(tag.GetFrame(0)), "");
}

TEST(ID3v2Frames, Version4SizeWithBit7IsPlain) {
    CID3v2Tag tag;
    const Bytes body = Cat({Bytes{0}, Bytes(0x80, 'a')}); // 129 bytes: 00 00 00 81
    const Bytes plain = Cat({B("TIT2"), BigEndianBytes(uint32_t(body.size())), Bytes{0, 0}, body});
    ASSERT_TRUE(ReadTag(tag, Tag(4, 0, Cat({plain, Frame("TALB", Latin1Text("al"), 4)}))));
    EXPECT_EQ(Ids(tag), (std::vector<std::string>{"TIT2", "TALB"}));
    EXPECT_EQ(FrameValue(tag.GetFrame(0)).size(), 128u);
}

TEST(ID3v2Unsync, RawAndDecodedFrameSizesReadAlike) {
    // A body whose raw form holds two stuffed zeros.
    const Bytes decoded = {0, 'a', 0xFF, 0xE0, 'b', 0xFF, 0x00, 'c'};
    const Bytes raw = {0, 'a', 0xFF, 0x00, 0xE0, 'b', 0xFF, 0x00, 0x00, 'c'};
    auto frame = [&](uint32_t size) {
        return Cat({B("TIT2"), BigEndianBytes(size), Bytes{0, 0}, raw});
    };
    const Bytes next = Frame("TALB", Latin1Text("album"));
    CID3v2Tag rawSized, decodedSized;
    ASSERT_TRUE(ReadTag(rawSized, Tag(3, CID3v2Tag::kTagUnsync, Cat({frame(10), next}), 4)));
    ASSERT_TRUE(ReadTag(decodedSized, Tag(3, CID3v2Tag::kTagUnsync, Cat({frame(8), next}), 4)));
    for (CID3v2Tag* t : {&rawSized, &decodedSized}) {
        ASSERT_EQ(Ids(*t), (std::vector<std::string>{"TIT2", "TALB"}));
        EXPECT_EQ(t->GetFrame(0)->GetBody(), decoded);
        // The size field now counts the decoded body, written without unsync.
        EXPECT_EQ(Bytes(t->GetFrame(0)->GetHeader() + 4, t->GetFrame(0)->GetHeader() + 8),
                  BigEndianBytes(8));
        EXPECT_EQ(FrameValue(t->GetFrame(1)), "album");
    }
}

// The cap is 20 times the packed size, to the byte: a run of letters that
// packs to exactly a twentieth of its size inflates, one letter more does not.
TEST(ID3v2Compression, InflatesUpToTwentyTimes) {
    std::vector<uint8_t> probe;
    if (!CID3ToolsBridge::Inflate(Deflate({0}).data(), Deflate({0}).size(), 10, probe))
        GTEST_SKIP() << "no decompressor in the tools library";
    size_t n = 1;
    while (n + 1 != Deflate(Cat({Bytes{0}, Bytes(n, 'q')})).size() * 20)
        ASSERT_LT(++n, 5000u);
    for (size_t letters : {n, n + 1}) {
        const Bytes packed = Deflate(Cat({Bytes{0}, Bytes(letters, 'q')}));
        ASSERT_EQ(packed.size() * 20, n + 1);
        CID3v2Tag tag;
        ASSERT_TRUE(ReadTag(tag, Tag(4, 0, Frame("TIT2", packed, 4, 0, 0x08))));
        EXPECT_EQ(FrameValue(tag.GetFrame(0)) == std::string(letters, 'q'), letters == n);
        EXPECT_EQ(tag.GetFrame(0)->GetBody(), packed);
    }
}

// The frames of one tag share one inflate budget: frames that inflate to
// exactly an eighth of it each are read until it is spent, the next one raw.
TEST(ID3v2Compression, OneBudgetForTheWholeTag) {
    std::vector<uint8_t> probe;
    if (!CID3ToolsBridge::Inflate(Deflate({0}).data(), Deflate({0}).size(), 10, probe))
        GTEST_SKIP() << "no decompressor in the tools library";
    // POPM: empty e-mail, rating 255 (5 stars), then two-symbol noise that
    // packs well but less than twentyfold.
    Bytes popm(CID3v2Tag::kMaxInflatedBytesPerTag / 8);
    popm[1] = 255;
    uint32_t seed = 1;
    for (size_t i = 2; i < popm.size(); ++i)
        popm[i] = ((seed = seed * 1103515245u + 12345u) >> 16) & 1 ? 'a' : 'b';
    const Bytes packed = Deflate(popm, 1);
    ASSERT_LE(popm.size(), packed.size() * CID3v2Frame::kMaxInflateRatio);
    Bytes frames;
    for (int i = 0; i < 9; ++i)
        frames = Cat({frames, Frame("POPM", packed, 4, 0, 0x08)});
    CID3v2Tag tag;
    ASSERT_TRUE(ReadTag(tag, Tag(4, 0, frames)));
    ASSERT_EQ(tag.GetFrameCount(), 9);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(FrameValue(tag.GetFrame(i)) == "5", i < 8) << i;
}

TEST(ID3v2Compression, UnsupportedFormsKeepTheirRawBytes) {
    const Bytes packed = Deflate(Cat({Bytes{0}, B("hello")}));
    const Bytes dli = Cat({SyncSafeBytes(6), packed});
    const Bytes huge = Deflate(Cat({Bytes{0}, Bytes(100000, 'q')}));
    ASSERT_GT(100001u, huge.size() * 20);
    const Bytes truncated(packed.begin(), packed.end() - 3);
    struct Case {
        Bytes frame;
        int version;
    } cases[] = {
        {Frame("TIT2", dli, 4, 0, 0x09), 4},  // data length indicator before the stream
        {Frame("TIT2", huge, 4, 0, 0x08), 4}, // inflates beyond 20 times
        {Frame("TIT2", Cat({BigEndianBytes(6), packed}), 3, 0, 0x80), 3}, // ID3v2.3 flag
        {Frame("TIT2", truncated, 4, 0, 0x08), 4},                        // damaged stream
    };
    for (const Case& c : cases) {
        const Bytes input = Tag(c.version, 0, c.frame, 64);
        CID3v2Tag tag;
        ASSERT_TRUE(ReadTag(tag, input));
        ASSERT_EQ(tag.GetFrameCount(), 1);
        EXPECT_NE(FrameValue(tag.GetFrame(0)), "hello");
        Bytes out;
        tag.Render(out, 8192);
        EXPECT_EQ(Bytes(out.begin() + 10, out.begin() + 10 + long(c.frame.size())), c.frame);
    }
    // A stream that inflates to garbage gives garbage text, nothing worse.
    Bytes noise(300);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = uint8_t(i * 151 + 7);
    CID3v2Tag tag;
    ASSERT_TRUE(ReadTag(tag, Tag(4, 0, Frame("APIC", Deflate(noise), 4, 0, 0x08), 64)));
    EXPECT_EQ(tag.GetFrameCount(), 1);
}

TEST(ID3v2Render, PaddingRule) {
    auto renderedSize = [](size_t frameBytes, const Bytes* old, int slack) {
        CID3v2Tag tag;
        if (old) {
            EXPECT_TRUE(ReadTag(tag, *old));
        }
        // One TXXX frame of the wanted total (10 header bytes + body).
        Bytes value(frameBytes - 10 - 2 - 1 - 4, 'v');
        tag.SetField(L"Mixer", ZrString::FromLatin1(reinterpret_cast<const char*>(value.data()),
                                                    int(value.size())));
        Bytes out;
        tag.Render(out, slack);
        return out.size();
    };
    EXPECT_EQ(renderedSize(4990, nullptr, 8192), 8192u);
    EXPECT_EQ(renderedSize(4086, nullptr, 8192), 8192u); // exactly 4096 gets a full block
    const Bytes old = Tag(3, 0, {}, 20000 - 10);
    EXPECT_EQ(renderedSize(14990, &old, 8192), 20000u);
    EXPECT_EQ(renderedSize(10990, &old, 8192), 12288u);
    EXPECT_EQ(renderedSize(10990, &old, 0), 20000u);
    EXPECT_EQ(renderedSize(20990, &old, 8192), 24576u);
}

TEST(ID3v2Render, FrameOrder) {
    CID3v2Tag tag;
    const Bytes frames = Cat({Frame("ZZZZ", {1}), Frame("TXXX", Cat({Bytes{0}, B("b"), Bytes{0}})),
                              Frame("COMM", Cat({Bytes{0}, B("eng"), Bytes{0}})),
                              Frame("TXXX", Cat({Bytes{0}, B("A"), Bytes{0}})), Frame("AAAA", {1}),
                              Frame("TALB", Latin1Text("a")), Frame("TIT2", Latin1Text("t"))});
    ASSERT_TRUE(ReadTag(tag, Tag(3, 0, frames)));
    Bytes out;
    tag.Render(out, 8192);
    ASSERT_TRUE(ReadTag(tag, out));
    EXPECT_EQ(Ids(tag),
              (std::vector<std::string>{"TIT2", "TALB", "COMM", "TXXX", "TXXX", "AAAA", "ZZZZ"}));
    EXPECT_EQ(FrameValue(tag.GetFrame(3), L"Description"), "A");
}

TEST(ID3v2Describe, ReportLines) {
    CID3v2Tag tag;
    const Bytes jpeg = {0xFF, 0xD8, 0xFF};
    const Bytes frames =
        Cat({Frame("TIT2", Latin1Text("line1\nline2")),
             Frame("COMM",
                   Cat({Bytes{0}, B("eng"), B("Quillon Audio: Album Artist  "), Bytes{0}, B("x")})),
             Frame("TXXX", Cat({Bytes{0}, B("A rather long description here"), Bytes{0}, B("v")})),
             Frame("TXXX", Cat({Bytes{0}, B("Twenty letters long."), Bytes{0}, B("w")})),
             Frame("APIC", Cat({Bytes{0}, B("image/jpeg"), Bytes{0, 3}, jpeg})),
             Frame("TALB", Cat({Bytes{0}, Bytes(129, 'a')})), Frame("CHAP", {1})});
    ASSERT_TRUE(ReadTag(tag, Tag(3, 0, frames)));
    const char* expected[] = {
        "TIT2 (Name): line1\\nline2",      "COMM (Album Artist): x",
        "TXXX (A rather long desc..): v",  "TXXX (Twenty letters long.): w",
        "APIC (Image File) (Cover): /9j/", "TALB (Album): <too large to display>",
        "CHAP: <unknown data type>",       "<invalid frame>"};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Narrow(tag.DescribeFrame(i)), expected[i]);
}
