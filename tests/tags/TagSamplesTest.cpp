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
#include <map>
#include <memory>

namespace {

const std::string kSamples = std::string(TONEHALL_TEST_DATA) + "/tags/samples/";

Bytes LoadSample(const std::string& name) {
    return testfiles::ReadMaybeGzipped(kSamples + name + ".gz");
}

// The tag region at the head of a file, as the stream analysis hands it over:
// the declared size, cut to the file.
bool ReadHeadTag(CID3v2Tag& tag, const Bytes& file) {
    const size_t declared = CID3v2Tag::TagLengthFromHeader(file.data(), file.size());
    return tag.Read(file.data(), declared ? std::min(declared, file.size()) : file.size(), 0);
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

TEST(TagSamples, FieldValuesOfTheTable) {
    std::map<std::string, std::unique_ptr<Loaded>> loaded;
    const auto rows = TableRows("tags/sample-values.tsv");
    ASSERT_GT(rows.size(), 50u);
    for (const auto& c : rows) {
        ASSERT_EQ(c.size(), 5u) << c[0];
        auto& s = loaded[c[0]];
        if (!s) s = std::make_unique<Loaded>(c[0]);
        const ZrString field = ZrString::FromUtf8(c[2].c_str());
        const ZrString key = ZrString::FromUtf8(c[3] == "year" ? "Value" : c[3].c_str());
        std::string value = c[1] == "v1" ? ::Get(s->v1, field.c_str(), key.c_str())
                                         : ::Get(s->v2, field.c_str(), key.c_str());
        EXPECT_EQ(c[3] == "year" ? YearOf(value) : value, c[4]) << c[0] << " " << c[2];
    }
}

// What the table cannot say: frames, their order and count, and reads that fail.
TEST(TagSamples, FramesOfOddFiles) {
    Loaded itunes24("taglib-005411.id3");
    EXPECT_EQ(itunes24.Ids(), (std::vector<std::string>{"WCOM", "COMM", "APIC", "TIT2", "TPE1",
                                                        "TALB", "TRCK", "TDRC", "TCON"}));
    // The peer drops the TENC whose data length indicator outgrows its body;
    // we keep it, with an empty value.
    EXPECT_EQ(FrameValue(Loaded("taglib-broken-tenc.id3").Frame("TENC")), "");
    Loaded dup("taglib-duplicate_id3v2.mp3");
    EXPECT_EQ(dup.v2.GetVersion(), 3);
    const std::vector<std::string> ids = dup.Ids();
    EXPECT_EQ(std::count(ids.begin(), ids.end(), "PRIV"), 7);
    // The flag promises an extended header that is not there: its "size" is
    // the first frame's ID, which sends the cursor past the tag. The peer
    // clears the flag and reads TIT2 "Punk To Funk".
    Loaded issue21("mutagen-issue_21.id3");
    ASSERT_TRUE(issue21.read);
    EXPECT_EQ(issue21.v2.GetFrameCount(), 0);
    // TDA is not converted (the peer folds it into TDRC).
    EXPECT_NE(Loaded("taglib-id3v22-tda.mp3").Frame("TDA?"), nullptr);
    Loaded it("taglib-itunes10.mp3");
    for (const char* id : {"TBP?", "ULT?", "RVA?", "TT3?", "TST?", "TS2?", "TSC?"})
        EXPECT_NE(it.Frame(id), nullptr) << id;
    std::vector<uint8_t> picture;
    ZrBase64::Decode(it.Get(L"Image File"), picture);
    EXPECT_EQ(picture.size(), 2315u);
    EXPECT_EQ(Loaded("taglib-unsynch.id3").Frame("TLEN"), nullptr);
    Loaded popm("mutagen-bad-POPM-frame.mp3");
    for (const char* id : {"TENC", "TCOP", "TOPE"})
        EXPECT_NE(popm.Frame(id), nullptr) << id; // zero-size frames stay
    Loaded rare("taglib-rare_frames.mp3");
    int userTexts = 0;
    for (int i = 0; i < rare.v2.GetFrameCount(); ++i) {
        const CID3v2Frame* f = rare.v2.GetFrame(i);
        if (f->HasId("TXXX") && Narrow(f->GetField(L"Description")) == "userTextDescription1") {
            EXPECT_EQ(Narrow(f->GetField(L"Value")), "userTextData1;userTextData2");
            ++userTexts;
        }
    }
    EXPECT_EQ(userTexts, 1);
    Loaded trailing("mutagen-audacious-trailing-id32-id31.mp3");
    EXPECT_FALSE(trailing.read);
    EXPECT_FALSE(trailing.v1.Exists()); // the last 128 bytes are the ID3v2 footer's tag
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

TEST(TagSamples, ManyChildrenOfAnUnknownKindComeBack) {
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
