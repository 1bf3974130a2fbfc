// Odd real-world tag files from the test suites of two tag libraries (see
// tests/data/tags/LICENSES.md): every one parses without harm, and the
// values their suites assert are ours too, or the test says why not.
#include "tags/CID3v1Tag.h"
#include "tags/CID3v2Tag.h"

#include "TagTestHelpers.h"
#include "ZrCoreLib/CMemoryReader.h"
#include "ZrCoreLib/ZrBase64.h"
#include "ZrCoreLib/ZrDateTime.h"
#include "common/TestFiles.h"

#include <dirent.h>
#include <gtest/gtest.h>

namespace {

const std::string kSamples = std::string(TONEHALL_TEST_DATA) + "/tags/samples/";

Bytes LoadSample(const std::string& name) {
    return testfiles::ReadMaybeGzipped(kSamples + name + ".gz");
}

// The tag region at the head of a file, as the stream analysis hands it over:
// the declared size, cut to the file.
bool ReadHeadTag(CID3v2Tag& tag, const Bytes& file) {
    if (file.size() < 10) return tag.Read(file.data(), file.size(), 0);
    const size_t declared = 10 +
                            (size_t(file[6] & 0x7F) << 21 | size_t(file[7] & 0x7F) << 14 |
                             size_t(file[8] & 0x7F) << 7 | size_t(file[9] & 0x7F)) +
                            ((file[5] & 0x10) ? 10 : 0);
    return tag.Read(file.data(), std::min(declared, file.size()), 0);
}

// As above, but with the header size patched to what the file holds, to
// reach the frames of a truncated tag.
bool ReadPatched(CID3v2Tag& tag, Bytes file) {
    const uint32_t size = uint32_t(file.size() - 10);
    const Bytes s = SyncSafeBytes(size);
    std::copy(s.begin(), s.end(), file.begin() + 6);
    return tag.Read(file.data(), file.size(), 0);
}

struct Loaded {
    explicit Loaded(const std::string& name) : file(LoadSample(name)) {
        EXPECT_FALSE(file.empty()) << name;
        read = ReadHeadTag(v2, file);
        CMemoryReader reader(file);
        v1.Read(&reader);
    }
    std::string Get(const wchar_t* field, const wchar_t* key = L"Value") {
        return ::Get(v2, field, key);
    }
    std::string GetV1(const wchar_t* field) { return ::Get(v1, field); }
    std::vector<std::string> Ids() const { return ::Ids(v2); }
    const CID3v2Frame* Frame(const char* id) const { return FindFrame(v2, id); }
    Bytes file;
    CID3v2Tag v2;
    CID3v1Tag v1;
    bool read = false;
};

std::string YearOf(const std::string& dateNumber) {
    int y, m, d;
    ZrDateTime::ToCivil(std::stod(dateNumber), y, m, d);
    return std::to_string(y);
}

} // namespace

TEST(TagSamples, EveryFileParsesRendersAndParsesAgain) {
    DIR* dir = opendir(kSamples.c_str());
    ASSERT_NE(dir, nullptr);
    int files = 0;
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name.size() < 4 || name.substr(name.size() - 3) != ".gz") continue;
        name.resize(name.size() - 3);
        ++files;
        Loaded s(name);
        if (!s.read) continue;
        Bytes out;
        ASSERT_TRUE(s.v2.Render(out, 8192)) << name;
        CID3v2Tag again;
        ASSERT_TRUE(again.Read(out.data(), out.size(), 0)) << name;
        EXPECT_EQ(again.GetFrameCount(), s.v2.GetFrameCount()) << name;
    }
    closedir(dir);
    EXPECT_EQ(files, 29);
}

TEST(TagSamples, ITunesVersion24PlainSizes) {
    Loaded s("taglib-005411.id3");
    ASSERT_TRUE(s.read);
    EXPECT_EQ(s.Ids(), (std::vector<std::string>{"WCOM", "COMM", "APIC", "TIT2", "TPE1", "TALB",
                                                 "TRCK", "TDRC", "TCON"}));
    EXPECT_EQ(s.Get(L"Name"), "Sunshine Superman");
    EXPECT_EQ(YearOf(s.Get(L"Date")), "1966");
    EXPECT_EQ(s.Get(L"Genre"), "Folk"); // "(80)"
}

TEST(TagSamples, BrokenFramesKeepTheirNeighbours) {
    Loaded s("taglib-broken-tenc.id3");
    ASSERT_TRUE(s.read);
    // The peer drops the TENC whose data length indicator outgrows its body;
    // we keep it, with an empty value.
    EXPECT_EQ(FrameValue(s.Frame("TENC")), "");
    EXPECT_EQ(s.Get(L"Name"), "Take On Me");
    EXPECT_EQ(s.Get(L"Genre"), "80s");
    EXPECT_EQ(s.Get(L"iTunes Compilation"), "1");
}

TEST(TagSamples, TruncatedTagsAreRefused) {
    for (const char* name :
         {"taglib-compressed_id3_frame.mp3", "taglib-compressed_id3_frame_invalid.mp3",
          "taglib-excessive_alloc.mp3", "taglib-w000.mp3"}) {
        Loaded s(name);
        EXPECT_FALSE(s.read) << name << ": the tag declares more bytes than the file holds";
    }
    // Patched to fit, the frames show.
    CID3v2Tag tag;
    ASSERT_TRUE(ReadPatched(tag, LoadSample("taglib-w000.mp3")));
    EXPECT_EQ(FrameValue(FindFrame(tag, "W000")), "lukas.lalinsky@example.com____");
    ASSERT_TRUE(ReadPatched(tag, LoadSample("taglib-excessive_alloc.mp3")));
    // The ID3v2.4 compressed APIC (flags 0x09): the data length indicator
    // stands before the zlib stream, so it is not inflated; it stays raw and
    // goes back unchanged. The peer reads the 86414-byte picture.
    ASSERT_TRUE(ReadPatched(tag, LoadSample("taglib-compressed_id3_frame.mp3")));
    const CID3v2Frame* apic = tag.GetFrame(0);
    ASSERT_EQ(Ids(tag).at(0), "APIC");
    EXPECT_EQ(apic->GetFormatFlags(), 0x09);
    EXPECT_NE(FrameValue(apic, L"Mime Type"), "image/bmp");
    // The ID3v2.3 compression flag 0x80 is not one we know.
    ASSERT_TRUE(ReadPatched(tag, LoadSample("taglib-compressed_id3_frame_invalid.mp3")));
    ASSERT_NE(tag.GetFrame(0), nullptr);
    EXPECT_EQ(tag.GetFrame(0)->GetFormatFlags(), 0x80);
}

TEST(TagSamples, FirstOfTwoTagsAndExtendedHeaders) {
    Loaded dup("taglib-duplicate_id3v2.mp3");
    ASSERT_TRUE(dup.read);
    EXPECT_EQ(dup.v2.GetVersion(), 3);
    EXPECT_EQ(dup.Get(L"Name"), "TitleXXXX");
    const std::vector<std::string> ids = dup.Ids();
    EXPECT_EQ(std::count(ids.begin(), ids.end(), "PRIV"), 7);

    Loaded ext("taglib-extended-header.mp3");
    ASSERT_TRUE(ext.read);
    EXPECT_EQ(ext.Get(L"Name"), "Druids");
    EXPECT_EQ(YearOf(ext.Get(L"Date")), "2013");
    EXPECT_EQ(ext.Get(L"Genre"), "Folk/Power Metal");
    EXPECT_EQ(ext.Get(L"Track #"), "03"); // the peer reads the number, 3

    Loaded audacity("mutagen-id3v24_extended_header.id3");
    EXPECT_EQ(audacity.Get(L"Name"), "One Second of Silence");

    // The flag promises an extended header that is not there: its "size" is
    // the first frame's ID, which sends the cursor past the tag. The peer
    // clears the flag and reads TIT2 "Punk To Funk".
    Loaded issue21("mutagen-issue_21.id3");
    ASSERT_TRUE(issue21.read);
    EXPECT_EQ(issue21.v2.GetFrameCount(), 0);
}

TEST(TagSamples, Version22Files) {
    Loaded tda("taglib-id3v22-tda.mp3");
    ASSERT_TRUE(tda.read);
    // TDA is not converted (the peer folds it into TDRC).
    EXPECT_NE(tda.Frame("TDA?"), nullptr);
    EXPECT_EQ(tda.Get(L"Year"), "2010");
    EXPECT_EQ(tda.Get(L"Track #"), "1");

    Loaded it("taglib-itunes10.mp3");
    ASSERT_TRUE(it.read);
    EXPECT_EQ(it.Get(L"Name"), "iTunes10MP3");
    EXPECT_EQ(it.Get(L"Track #", L"Value Original"), "1/10");
    EXPECT_EQ(it.Get(L"Disc #", L"Value Original"), "1/2");
    EXPECT_EQ(it.Get(L"Year"), "2011");
    EXPECT_EQ(it.Get(L"Genre"), "Heavy Metal");
    EXPECT_EQ(it.Get(L"Comment"), "Comments");
    EXPECT_EQ(it.Get(L"iTunes Compilation"), "1");
    for (const char* id : {"TBP?", "ULT?", "RVA?", "TT3?", "TST?", "TS2?", "TSC?"})
        EXPECT_NE(it.Frame(id), nullptr) << id;
    // PIC is rebuilt as APIC: format "PNG", type Other, and the empty
    // description becomes "Picture".
    EXPECT_EQ(it.Get(L"Image File", L"Mime Type"), "PNG");
    EXPECT_EQ(it.Get(L"Image File", L"Picture Type"), "0");
    EXPECT_EQ(it.Get(L"Image File", L"Description"), "Picture");
    std::vector<uint8_t> picture;
    ZrBase64::Decode(it.Get(L"Image File"), picture);
    EXPECT_EQ(picture.size(), 2315u);

    Loaded test("mutagen-id3v22-test.mp3");
    EXPECT_EQ(test.Get(L"Track #", L"Value Original"), "3/11");
    EXPECT_EQ(test.Get(L"Artist"), "Anais Mitchell");
    Loaded shortFile("mutagen-too-short.mp3");
    EXPECT_EQ(shortFile.Get(L"Name"), "Track 10");
}

TEST(TagSamples, Unsynchronisation) {
    Loaded s("taglib-unsynch.id3");
    ASSERT_TRUE(s.read);
    EXPECT_EQ(s.Get(L"Name"), "My babe just cares for me");
    EXPECT_EQ(s.Get(L"Album"), "100% Jazz");
    // mutagen reads TRCK "03" and TLEN "216000". The bytes behind TRCK's
    // decoded size spell "3TLE", a valid ID, so the size is taken as raw:
    // TRCK reads "0" and TLEN is lost.
    EXPECT_EQ(s.Get(L"Track #"), "0");
    EXPECT_EQ(s.Frame("TLEN"), nullptr);

    Loaded v24("taglib-unsynch24.id3");
    EXPECT_EQ(v24.Get(L"Name"), "Hi");
}

TEST(TagSamples, ValuesOfOtherSuites) {
    Loaded gain("taglib-lame_cbr.mp3");
    EXPECT_EQ(gain.Get(L"Replay Gain"), "-1.020000");
    EXPECT_EQ(gain.Get(L"Peak Level"), "0.920032");

    Loaded rare("taglib-rare_frames.mp3");
    EXPECT_EQ(rare.Get(L"Comment"), "A COMMENT");
    EXPECT_EQ(rare.Get(L"Genre"), "13"); // a plain number stays a number
    EXPECT_EQ(rare.GetV1(L"Genre"), "Pop");
    int userTexts = 0;
    for (int i = 0; i < rare.v2.GetFrameCount(); ++i) {
        const CID3v2Frame* f = rare.v2.GetFrame(i);
        if (f->HasId("TXXX") && Narrow(f->GetField(L"Description")) == "userTextDescription1") {
            EXPECT_EQ(Narrow(f->GetField(L"Value")), "userTextData1;userTextData2");
            ++userTexts;
        }
        if (f->HasId("COMM")) {
            EXPECT_EQ(Narrow(f->GetField(L"Value")), "A COMMENT");
        }
    }
    EXPECT_EQ(userTexts, 1);

    Loaded toc("taglib-toc_many_children.mp3");
    EXPECT_EQ(toc.v2.GetFrameCount(), 130); // CTOC and 129 CHAP, unknown kind
    const Bytes chapter(toc.Frame("CHAP")->GetBody());
    Bytes out;
    toc.v2.Render(out, 8192);
    CID3v2Tag again;
    ASSERT_TRUE(again.Read(out.data(), out.size(), 0));
    // Frames of one unknown ID have no defined order among themselves.
    bool found = false;
    for (int i = 0; i < again.GetFrameCount(); ++i)
        found = found || again.GetFrame(i)->GetBody() == chapter;
    EXPECT_TRUE(found);

    Loaded popm("mutagen-bad-POPM-frame.mp3");
    EXPECT_EQ(popm.Get(L"Rating"), "5"); // byte 255
    for (const char* id : {"TENC", "TCOP", "TOPE"})
        EXPECT_NE(popm.Frame(id), nullptr) << id; // zero-size frames stay

    Loaded tyer("mutagen-bad-TYER-frame.mp3");
    EXPECT_EQ(tyer.Get(L"Year"), "\xC3\xBE\xC3\xBF"); // the peer drops the frame

    Loaded vbri("mutagen-vbri.mp3");
    EXPECT_EQ(vbri.Get(L"Genre"), "Dance"); // "(3)Dance"

    Loaded lyrics("mutagen-apev2-lyricsv2.mp3");
    EXPECT_EQ(lyrics.Get(L"Name"), "A song   ");
    EXPECT_EQ(lyrics.Get(L"Genre"), "35");
    EXPECT_EQ(lyrics.Get(L"Artist"), "Auth");
}

TEST(TagSamples, VersionOneRecords) {
    Loaded both("mutagen-id3v1v2-combined.mp3");
    EXPECT_EQ(both.Get(L"Name"), "cosmic american");
    EXPECT_EQ(both.Get(L"Track #", L"Value Original"), "3/11");
    EXPECT_EQ(both.Get(L"Year"), "2004"); // kept though ID3v2.3-only in an ID3v2.4 tag
    EXPECT_EQ(both.GetV1(L"Album"), "Hymns for the Exiled");
    EXPECT_EQ(both.GetV1(L"Year"), "1337");
    EXPECT_EQ(both.GetV1(L"Comment"), "v1 comment");
    EXPECT_EQ(both.GetV1(L"Track #"), "3");

    for (const char* name : {"mutagen-silence-44-s.mp3", "mutagen-silence-44-s-v1.mp3"}) {
        Loaded s(name);
        EXPECT_EQ(s.GetV1(L"Name"), "Silence") << name;
        EXPECT_EQ(s.GetV1(L"Track #"), "2") << name;
    }
    EXPECT_EQ(Loaded("mutagen-silence-44-s-v1.mp3").GetV1(L"Genre"), "Darkwave");
    EXPECT_EQ(Loaded("mutagen-silence-44-s.mp3").GetV1(L"Genre"), ""); // byte 255
    Loaded v23("mutagen-silence-44-s.mp3");
    EXPECT_EQ(v23.Get(L"Artist"), "piman"); // the first of two TPE1 frames
    EXPECT_EQ(v23.Get(L"Track #", L"Value Original"), "02/10");
    EXPECT_EQ(v23.Get(L"Genre"), "Silence");

    Loaded trailing("mutagen-audacious-trailing-id32-id31.mp3");
    EXPECT_FALSE(trailing.read);
    EXPECT_FALSE(trailing.v1.Exists()); // the last 128 bytes are the ID3v2 footer's tag
}

TEST(TagSamples, UnknownVersion23FrameComesBackIntact) {
    Loaded s("mutagen-97-unknown-23-update.mp3");
    ASSERT_TRUE(s.read);
    EXPECT_EQ(s.v2.GetVersion(), 3);
    std::vector<Bytes> bodies;
    for (int i = 0; i < s.v2.GetFrameCount(); ++i)
        bodies.push_back(s.v2.GetFrame(i)->GetBody());
    Bytes out;
    s.v2.Render(out, 8192);
    EXPECT_EQ(out.size(), s.v2.GetOldLength()); // fits the old space
    CID3v2Tag again;
    ASSERT_TRUE(again.Read(out.data(), out.size(), 0));
    ASSERT_EQ(again.GetFrameCount(), int(bodies.size()));
    for (int i = 0; i < again.GetFrameCount(); ++i)
        EXPECT_NE(std::find(bodies.begin(), bodies.end(), again.GetFrame(i)->GetBody()),
                  bodies.end());
}
