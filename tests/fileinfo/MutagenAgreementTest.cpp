// Fields read through the plug-in agree with what mutagen (Debian's
// python3-mutagen) wrote and reads back, for ID3v2.3 and ID3v2.4 tags and
// genres given by number and by name. Where the field mapping answers
// differently, the case says how.
#include "FileInfoTestFiles.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace {

using namespace fileinfotest;

const std::string kOracle = std::string(TONEHALL_TEST_DATA) + "/fileinfo/mutagen_tags.py";

std::string Oracle(const std::string& args) {
    return testtools::Capture("/usr/bin/python3 '" + kOracle + "' " + args + " 2>/dev/null");
}

std::string Hex(const Bytes& bytes) {
    std::string out;
    for (uint8_t b : bytes) {
        out += "0123456789abcdef"[b >> 4];
        out += "0123456789abcdef"[b & 15];
    }
    return out;
}

struct MutagenCase {
    const char* version;
    const char* genre;
};

class MutagenAgreement : public ::testing::TestWithParam<MutagenCase> {};

TEST_P(MutagenAgreement, FieldsReadAsMutagenReadsThem) {
    TEST_REQUIRE(testtools::Capture("/usr/bin/python3 -c 'import mutagen; print(1)'") == "1\n",
                 "mutagen for /usr/bin/python3");
    ASSERT_TRUE(testplugin::Plugin::Get().Ready());
    RemoveSettings();
    const testfiles::TempDir dir;
    Bytes picture = Cat({Bytes{0xFF, 0xD8, 0xFF, 0xE0}, Bytes(3000, 0)});
    for (size_t i = 4; i < picture.size(); ++i)
        picture[i] = uint8_t(i * 7 + i / 256);
    testfiles::WriteFile(dir / "cover.jpg", picture);
    testfiles::WriteFile(dir / "plain.mp3", Audio("mpeg1"));
    Oracle("write '" + dir / "plain.mp3" + "' '" + dir / "tagged.mp3" + "' " + GetParam().version +
           " '" + GetParam().genre + "' '" + dir / "cover.jpg" + "'");
    std::map<std::string, std::string> theirs;
    std::istringstream lines(Oracle("read '" + dir / "tagged.mp3" + "'"));
    for (std::string line; std::getline(lines, line);)
        theirs[line.substr(0, line.find('\t'))] = line.substr(line.find('\t') + 1);
    ASSERT_EQ(theirs["Image File"], Hex(picture));

    auto info = OpenInfo(dir / "tagged.mp3");
    for (const char* name : {"Name", "Artist", "Album", "Album Artist", "Comment"})
        EXPECT_EQ(Field(*info, Wide(name)), theirs[name]) << name;
    const bool v24 = GetParam().version[0] == '4';
    // ID3v2.4 has no TYER, so no "Year"; its TDRC is the "Date", which the
    // mapping answers as a day number: 2004-01-01 is 37987 days after
    // 1899-12-30.
    EXPECT_EQ(theirs["Year"], "2004");
    EXPECT_EQ(Field(*info, L"Year"), v24 ? "<false>" : "2004");
    if (v24) {
        EXPECT_EQ(Field(*info, L"Date"), "37987");
    }
    // An ID3v2.4 genre given as a bare number stays that number for us;
    // mutagen names it.
    const bool bareNumber = v24 && GetParam().genre[0] != 'J';
    EXPECT_EQ(Field(*info, L"Genre"), bareNumber ? "17" : theirs["Genre"]);
    EXPECT_EQ(theirs["Genre"], GetParam().genre[0] == 'J' ? "Jazz" : "Rock");
    std::string lyrics = Field(*info, L"Lyrics");
    EXPECT_EQ(lyrics.replace(lyrics.find('\n'), 1, "\\n"), theirs["Lyrics"]);
    // mutagen keeps "3/12" as one text; the mapping answers the number and
    // the total as two fields.
    EXPECT_EQ(Field(*info, L"Track #") + "/" + Field(*info, L"Total Tracks"), theirs["Track #"]);
    EXPECT_EQ(Field(*info, L"Disc #") + "/" + Field(*info, L"Total Discs"), theirs["Disc #"]);
    const std::string exported = Field(*info, L"Image File");
    EXPECT_EQ(testfiles::ReadFile(exported), picture);
    std::remove(exported.c_str());
}

INSTANTIATE_TEST_SUITE_P(Tags, MutagenAgreement,
                         ::testing::Values(MutagenCase{"3", "(17)"}, MutagenCase{"3", "Jazz"},
                                           MutagenCase{"4", "17"}, MutagenCase{"4", "Jazz"}),
                         [](const auto& info) {
                             return std::string("V2") + info.param.version +
                                    (info.param.genre[0] == 'J' ? "GenreByName" : "GenreByNumber");
                         });

} // namespace
