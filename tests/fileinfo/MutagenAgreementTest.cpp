// Fields read through the plug-in agree with what mutagen (Debian's
// python3-mutagen) reads from the tags it wrote: ID3v2.3 and 2.4, genres by
// number and by name. Where the field mapping answers otherwise, it says so.
#include "FileInfoTestFiles.h"

#include <map>
#include <sstream>

namespace {

using namespace fileinfotest;

class MutagenAgreement : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(MutagenAgreement, FieldsReadAsMutagenReadsThem) {
    TEST_REQUIRE(testtools::Run("/usr/bin/python3 -c 'import mutagen' 2>/dev/null"), "mutagen");
    ASSERT_TRUE(TheHost().provider);
    const auto [version, genre] = GetParam();
    const testfiles::TempDir dir;
    std::istringstream lines(testtools::Capture(
        "/usr/bin/python3 '" + kData +
        "mutagen_tags.py' '" TONEHALL_TEST_DATA "/input/cbr128-stereo-44k.mp3' '" +
        dir / "tagged.mp3" + "' " + version + " '" + genre + "' '" + kData + "png-cover.bin'"));
    std::map<std::string, std::string> theirs;
    for (std::string line; std::getline(lines, line);)
        theirs[line.substr(0, line.find('\t'))] = line.substr(line.find('\t') + 1);
    ASSERT_EQ(theirs.size(), 10u) << "mutagen did not write or read the file";

    auto info = OpenInfo(dir / "tagged.mp3");
    for (const wchar_t* name : {L"Name", L"Artist", L"Album", L"Album Artist", L"Comment"})
        EXPECT_EQ(Field(*info, name), theirs[ZrString(name).ToUtf8()]) << ZrString(name).ToUtf8();
    std::string lyrics = Field(*info, L"Lyrics");
    EXPECT_EQ(lyrics.replace(lyrics.find('\n'), 1, "\\n"), theirs["Lyrics"]);
    // mutagen keeps "3/12" as one text; the mapping splits number and total.
    EXPECT_EQ(Field(*info, L"Track #") + "/" + Field(*info, L"Total Tracks"), theirs["Track #"]);
    EXPECT_EQ(Field(*info, L"Disc #") + "/" + Field(*info, L"Total Discs"), theirs["Disc #"]);
    const bool v24 = version[0] == '4';
    // ID3v2.4 has no TYER, so no "Year"; its TDRC is the "Date", answered as
    // a day number: 2004-01-01 is 37987 days after 1899-12-30.
    EXPECT_EQ(theirs["Year"], "2004");
    EXPECT_EQ(Field(*info, L"Year"), v24 ? "<false>" : "2004");
    EXPECT_EQ(Field(*info, L"Date"), v24 ? "37987" : "<false>");
    // A bare genre number (ID3v2.4) stays a number for us; mutagen names it.
    EXPECT_EQ(theirs["Genre"], genre[0] == 'J' ? "Jazz" : "Rock");
    EXPECT_EQ(Field(*info, L"Genre"), v24 && genre[0] != 'J' ? "17" : theirs["Genre"]);
    const std::string exported = Field(*info, L"Image File");
    EXPECT_EQ(testfiles::ReadFile(exported), testfiles::ReadFile(kData + "png-cover.bin"));
    std::remove(exported.c_str());
}

INSTANTIATE_TEST_SUITE_P(Tags, MutagenAgreement,
                         ::testing::Values(std::pair("3", "(17)"), std::pair("3", "Jazz"),
                                           std::pair("4", "17"), std::pair("4", "Jazz")),
                         [](const auto& info) {
                             return std::string("V2") + info.param.first +
                                    (info.param.second[0] == 'J' ? "GenreName" : "GenreNumber");
                         });

} // namespace
