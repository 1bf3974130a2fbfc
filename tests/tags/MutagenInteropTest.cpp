// Interoperability with an independent tag library: mutagen (Debian's
// python3-mutagen through /usr/bin/python3) writes tags that we read, and
// reads tags that we render. Where our reading of a frame differs from
// mutagen's view by design, the test names the difference.
#include "tags/CID3v1Tag.h"
#include "tags/CID3v2Tag.h"
#include "tags/tables/ID3v1Genres.h"
#include "tags/tables/ID3v22FrameIds.h"

#include "TagTestHelpers.h"
#include "ZrCoreLib/ZrBase64.h"
#include "common/TestFiles.h"
#include "common/TestTools.h"

#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace {

const std::string kOracle = std::string(TONEHALL_TEST_DATA) + "/tags/mutagen_oracle.py";

std::string RunOracle(const std::string& args, int* status = nullptr) {
    return testtools::Capture("/usr/bin/python3 '" + kOracle + "' " + args + " 2>/dev/null",
                              status);
}

bool MutagenAvailable() {
    static const bool available = RunOracle("check") == "ok\n";
    return available;
}

// "ID\tkey\tvalue" lines into ID -> key -> value (the first frame of an ID).
std::map<std::string, std::map<std::string, std::string>> Dump(const std::string& path) {
    std::map<std::string, std::map<std::string, std::string>> frames;
    std::istringstream lines(RunOracle("dump '" + path + "'"));
    std::string line;
    while (std::getline(lines, line)) {
        const size_t a = line.find('\t'), b = line.find('\t', a + 1);
        if (a == std::string::npos || b == std::string::npos) continue;
        auto& fields = frames[line.substr(0, a)];
        fields.emplace(line.substr(a + 1, b - a - 1), line.substr(b + 1));
    }
    return frames;
}

} // namespace

TEST(MutagenTables, GenreNamesAgree) {
    TEST_REQUIRE(MutagenAvailable(), "mutagen for /usr/bin/python3");
    std::istringstream lines(RunOracle("genres"));
    std::string line;
    int checked = 0;
    while (std::getline(lines, line) && checked < kID3v1GenreCount) {
        const size_t tab = line.find('\t');
        const int index = std::atoi(line.substr(0, tab).c_str());
        const std::string name = line.substr(tab + 1);
        ASSERT_EQ(index, checked);
        // mutagen has modernised eight names; ours keep the spelling of the
        // ID3v1 writers that stored these indexes.
        static const std::map<int, std::string> kRespelled = {{59, "Gangsta Rap"},
                                                              {84, "Fast-Fusion"},
                                                              {123, "A Cappella"},
                                                              {128, "Club-House"},
                                                              {133, "Afro-Punk"},
                                                              {136, "Christian Gangsta Rap"},
                                                              {140, "Contemporary Christian"},
                                                              {147, "Synthpop"}};
        const auto respelled = kRespelled.find(index);
        EXPECT_EQ(name, respelled != kRespelled.end() ? respelled->second : kID3v1Genres[index])
            << index;
        ++checked;
    }
    EXPECT_EQ(checked, 148);
}

TEST(MutagenTables, Version22IdsAgree) {
    TEST_REQUIRE(MutagenAvailable(), "mutagen for /usr/bin/python3");
    std::map<std::string, std::string> theirs;
    std::istringstream lines(RunOracle("v22ids"));
    std::string line;
    while (std::getline(lines, line))
        theirs[line.substr(0, 3)] = line.substr(4);
    for (const ID3v22FrameId& row : kID3v22FrameIds)
        EXPECT_EQ(theirs[row.v22], row.v23) << row.v22;
}

class MutagenWritten : public ::testing::TestWithParam<int> {};

TEST_P(MutagenWritten, ReadsBackWithOurValues) {
    TEST_REQUIRE(MutagenAvailable(), "mutagen for /usr/bin/python3");
    const int version = GetParam();
    const testfiles::TempDir dir;
    const std::string file = dir / "tag.id3";
    int status = 0;
    RunOracle("write '" + file + "' " + std::to_string(version), &status);
    ASSERT_EQ(status, 0);
    const Bytes bytes = testfiles::ReadFile(file);
    CID3v2Tag tag;
    ASSERT_TRUE(tag.Read(bytes.data(), bytes.size(), 0));
    EXPECT_EQ(tag.GetVersion(), version);
    EXPECT_EQ(tag.GetFrameCount(), 11);

    for (const auto& row : TableRows("tags/mutagen-written-values.tsv")) {
        if (row[0].find(char('0' + version)) == std::string::npos) continue;
        EXPECT_EQ(Get(tag, ZrString::FromUtf8(row[1].c_str()).c_str(),
                      ZrString::FromUtf8(row[2].c_str()).c_str()),
                  row[3])
            << row[1] << " " << row[2];
    }
    EXPECT_EQ(Get(tag, L"Image File"), ZrBase64::Encode(B("\x89PNG\r\n\x1a\nfake picture")));

    const CID3v2Frame* priv = FindFrame(tag, "PRIV");
    ASSERT_NE(priv, nullptr);
    EXPECT_EQ(FrameValue(priv, L"Description"), "owner.example");
    EXPECT_EQ(FrameValue(priv), ZrBase64::Encode(Cat({Bytes{0, 1, 2}, B("binary")})));

    // mutagen reads the WXXX URL as ISO-8859-1 whatever the frame's encoding;
    // we read the whole frame in its encoding, so a UTF-16 frame's URL bytes
    // become UTF-16 units.
    const CID3v2Frame* wxxx = FindFrame(tag, "WXXX");
    ASSERT_NE(wxxx, nullptr);
    EXPECT_EQ(FrameValue(wxxx, L"Description"), "home");
    const std::string url = "http://home.example/";
    std::vector<uint16_t> units;
    for (size_t i = 0; i + 1 < url.size(); i += 2)
        units.push_back(uint16_t(uint8_t(url[i]) | uint8_t(url[i + 1]) << 8));
    EXPECT_EQ(wxxx->GetField(L"Value"), ZrString::FromUtf16(units.data(), int(units.size())));
    EXPECT_NE(Narrow(wxxx->GetField(L"Value")), url);
}

INSTANTIATE_TEST_SUITE_P(Versions, MutagenWritten, ::testing::Values(3, 4));

// What mutagen reads from tags we write is the field mapping's round trip
// in tests/fileinfo/MutagenAgreementTest.cpp.
TEST(MutagenReadsOurs, Version22TagRendersAsVersion23) {
    TEST_REQUIRE(MutagenAvailable(), "mutagen for /usr/bin/python3");
    const Bytes tag22 =
        Tag(2, 0,
            Cat({Frame22("TT2", Latin1Text("Old title")), Frame22("TP1", Latin1Text("Old artist")),
                 Frame22("COM", Cat({Bytes{0}, B("eng"), Bytes{0}, B("c")})),
                 Frame22("PIC", Cat({Bytes{0}, B("JPG"), Bytes{3, 0, 0xFF, 0xD8, 0xFF}}))}),
            64);
    CID3v2Tag tag;
    ASSERT_TRUE(tag.Read(tag22.data(), tag22.size(), 0));
    Bytes out;
    tag.Render(out, 8192);
    const testfiles::TempDir dir;
    const std::string file = dir / "tag.id3";
    testfiles::WriteFile(file, out);
    auto frames = Dump(file);
    EXPECT_EQ(frames["HEADER"]["version"], "3");
    EXPECT_EQ(frames["TIT2"]["text"], "Old title");
    EXPECT_EQ(frames["TPE1"]["text"], "Old artist");
    EXPECT_EQ(frames["COMM"]["lang"], "eng");
    // The ID3v2.2 image format is kept as the MIME type; mutagen turns "JPG"
    // into "image/jpeg" when it reads it.
    EXPECT_EQ(frames["APIC"]["mime"], "image/jpeg");
    EXPECT_EQ(FrameValue(FindFrame(tag, "APIC"), L"Mime Type"), "JPG");
    EXPECT_EQ(frames["APIC"]["desc"], "Picture");
    EXPECT_EQ(frames["APIC"]["data"], "ffd8ff");
}
