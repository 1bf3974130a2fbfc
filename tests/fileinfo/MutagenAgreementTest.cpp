// Fields read through the plug-in agree with what mutagen (Debian's
// python3-mutagen) reads from the tags it wrote: ID3v2.3 and 2.4, genres by
// number and by name. Where the field mapping answers otherwise, it says so.
// Every host field of the mapping table makes the round trip both ways.
#include "FileInfoTestFiles.h"
#include "tags/tables/ID3v2FieldTable.h"

#include <algorithm>
#include <map>
#include <set>
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

// Each host field the plug-in writes, the value set through the plug-in, the
// frames it must land in ("ID" or "ID:description", "," between several, ""
// for none) in ID3v2.3 and in ID3v2.4, and the text mutagen reads there
// (values joined with "|"). Mutagen writes the same frames back for the
// reverse direction, which must read as the value set.
struct MappingRow {
    const wchar_t* host;
    const char* value;
    const char* v23;
    const char* v24;
    const char* text;
    const char* text24 = nullptr; // when ID3v2.4 stores other text
};

const MappingRow kMappingRows[] = {
    {L"Name", "Caf\xC3\xA9 value", "TIT2", "TIT2", "Caf\xC3\xA9 value"}, // in UTF-16
    {L"Artist", "Artist one;Artist two", "TPE1", "TPE1", "Artist one|Artist two"},
    {L"Album Artist", "Album Artist value", "TPE2,TXXX:Album Artist", "TPE2,TXXX:Album Artist",
     "Album Artist value"},
    {L"Band", "Band value", "TXXX:Zr/Band", "TXXX:Zr/Band", "Band value"},
    {L"Album", "Album value", "TALB", "TALB", "Album value"},
    {L"Track #", "7", "TRCK", "TRCK", "7"},
    {L"Disc #", "2", "TPOS", "TPOS", "2"},
    {L"Date", "38000.5", "TXXX:Zr/Date", "TDRC", "38000.5", "2004-01-14 12:00:00"},
    {L"Year", "1999", "TYER", "", "1999"},
    {L"Date (release)", "37000", "TDRL", "TDRL", "2001-04-19"},
    {L"Genre", "Jazz;Polka", "TCON", "TCON", "Jazz|Polka"},
    {L"Rating", "3", "POPM", "POPM", "128"},
    {L"Composer", "Composer value", "TCOM", "TCOM", "Composer value"},
    {L"Conductor", "Conductor value", "TPE3", "TPE3", "Conductor value"},
    {L"Copyright", "Copyright value", "TCOP", "TCOP", "Copyright value"},
    {L"Encoding Settings", "Settings value", "TSSE", "TSSE", "Settings value"},
    {L"BPM", "120", "TBPM", "TBPM", "120"},
    {L"Peak Level", "0.950000", "TXXX:replaygain_track_peak", "TXXX:replaygain_track_peak",
     "0.950000"},
    {L"Replay Gain", "-6.500000", "TXXX:replaygain_track_gain", "TXXX:replaygain_track_gain",
     "-6.50 dB"},
    {L"Episode URL", "http://episode.example/", "TXXX:Episode URL", "TXXX:Episode URL",
     "http://episode.example/"},
    {L"Comment", "Comment value", "COMM", "COMM", "Comment value"},
    {L"Notes", "Notes value", "TXXX:Notes", "TXXX:Notes", "Notes value"},
    {L"Lyrics", "Lyrics value", "USLT", "USLT", "Lyrics value"},
    {L"Image File", "", "APIC:Picture", "APIC:Picture", ""}, // the picture file, below
    {L"Tempo", "Tempo value", "COMM:MusicMatch_Tempo", "COMM:MusicMatch_Tempo", "Tempo value"},
    {L"Mood", "Mood value", "TXXX:Mood", "TMOO", "Mood value"},
    {L"Situation", "Situation value", "COMM:MusicMatch_Situation", "COMM:MusicMatch_Situation",
     "Situation value"},
    {L"Bios", "Bios value", "COMM:MusicMatch_Bio", "COMM:MusicMatch_Bio", "Bios value"},
    {L"Preference", "Preference value", "COMM:MusicMatch_Preference", "COMM:MusicMatch_Preference",
     "Preference value"},
    {L"Lyricist", "Lyricist value", "TEXT", "TEXT", "Lyricist value"},
    {L"Original Lyricist", "Original Lyricist value", "TOLY", "TOLY", "Original Lyricist value"},
    {L"Original Artist", "Original Artist value", "TOPE", "TOPE", "Original Artist value"},
    {L"Initial Key", "Am", "TKEY", "TKEY", "Am"},
    {L"Subtitle", "Subtitle value", "TIT3", "TIT3", "Subtitle value"},
    {L"Grouping", "Grouping value", "TIT1", "TIT1", "Grouping value"},
    {L"Publisher", "Publisher value", "TPUB", "TPUB", "Publisher value"},
    {L"Soloists", "Soloist one;Soloist two", "TXXX:Soloists", "TXXX:Soloists",
     "Soloist one|Soloist two"},
    {L"Instruments", "Instruments value", "COMM:MusicMatch_ClassicalInstrument",
     "COMM:MusicMatch_ClassicalInstrument", "Instruments value"},
    {L"Featured Performers", "Performers value", "COMM:MusicMatch_ClassicalFeaturedPerformers",
     "COMM:MusicMatch_ClassicalFeaturedPerformers", "Performers value"},
    {L"Classical Genre", "Classical value", "COMM:MusicMatch_ClassicalGenre",
     "COMM:MusicMatch_ClassicalGenre", "Classical value"},
    {L"Track Artist", "Track Artist value", "COMM:MusicMatch_TrackArtist",
     "COMM:MusicMatch_TrackArtist", "Track Artist value"},
    {L"Album Sort", "Album Sort value", "TSOA", "TSOA", "Album Sort value"},
    {L"Album Artist Sort", "Album Artist Sort value", "TSO2", "TSO2", "Album Artist Sort value"},
    {L"Artist Sort", "Artist Sort value", "TSOP", "TSOP", "Artist Sort value"},
    {L"Composer Sort", "Composer Sort value", "TSOC", "TSOC", "Composer Sort value"},
    {L"Title Sort", "Title Sort value", "TSOT", "TSOT", "Title Sort value"},
    {L"UITS Payload", "UITS value", "PRIV:mailto:uits-info@umusic.com",
     "PRIV:mailto:uits-info@umusic.com", "UITS value"},
    // IPLS is no frame kind the plug-in can build: the field writes nothing.
    {L"Involved People", "Involved value", "", "", ""},
    {L"Original Release Year", "1987", "TORY", "TORY", "1987"},
    {L"Release Medium", "Medium value", "TMED", "TMED", "Medium value"},
    {L"ISRC", "USABC0400001", "TSRC", "TSRC", "USABC0400001"},
    {L"Commercial URL", "http://commercial.example/", "WCOM", "WCOM", "http://commercial.example/"},
    {L"Copyright URL", "http://copyright.example/", "WCOP", "WCOP", "http://copyright.example/"},
    {L"File URL", "http://file.example/", "WOAF", "WOAF", "http://file.example/"},
    {L"Artist URL", "http://artist.example/", "WOAR", "WOAR", "http://artist.example/"},
    {L"Source URL", "http://source.example/", "WOAS", "WOAS", "http://source.example/"},
    {L"Radio Station URL", "http://radio.example/", "WORS", "WORS", "http://radio.example/"},
    {L"Payment URL", "http://payment.example/", "WPAY", "WPAY", "http://payment.example/"},
    {L"Publisher URL", "http://publisher.example/", "WPUB", "WPUB", "http://publisher.example/"},
    {L"iTunes Compilation", "1", "TCMP", "TCMP", "1"},
    {L"iTunes Gapless", "Gapless value", "COMM:iTunSMPB", "COMM:iTunSMPB", "Gapless value"},
    {L"Mixer", "Mixer value", "TXXX:Mixer", "TXXX:Mixer", "Mixer value"}, // outside the table
};

// Frames the mapping reads but never writes, each in a file of its level,
// without the frames that take precedence for its field. Not here: QLGN, for
// which mutagen has no frame class, and pictures of other types, which the
// tag tests cover.
struct ReadOnlyRow {
    int level;
    const wchar_t* host;
    const char* frame;
    const char* text;
    const char* value = nullptr; // as read, when not the text
};

const ReadOnlyRow kReadOnlyRows[] = {
    {1, L"Rating", "TXXX:RATING", "4"},
    {1, L"Lyrics", "TXXX:UNSYNCED LYRICS", "Unsynced lyrics"},
    {2, L"Lyrics", "TXXX:Lyrics", "Old lyrics"},
    {1, L"Mood", "COMM:MusicMatch_Mood", "Old mood"},
    {1, L"Episode URL", "TGID", "http://tgid.example/"},
    {1, L"Feed URL", "WFED", "http://wfed.example/"},
    {1, L"Comment", "TDES", "Podcast description"},
    {1, L"Album Artist", "COMM:Quillon Audio: Album Artist", "Old album artist"},
    {1, L"Peak Level", "COMM:Quillon Audio: Peak Level", "0.5"},
    {1, L"Replay Gain", "COMM:Quillon Audio: Replay Gain", "-1.00 dB"},
    {1, L"Publisher", "COMM:Quillon Audio: Publisher", "Old publisher"},
    {1, L"Band", "TXXX:Band", "Old band"},
    {1, L"Date", "TXXX:Date", "2004-01-14T12:00:00", "38000.5"},
};
constexpr int kLevels = 3; // the written frames are level 0

// "ID:description" pieces of a frame list.
std::vector<std::pair<std::string, std::string>> FrameList(const std::string& list) {
    std::vector<std::pair<std::string, std::string>> out;
    for (size_t at = 0; at < list.size();) {
        size_t comma = list.find(',', at);
        if (comma == std::string::npos) comma = list.size();
        const std::string piece = list.substr(at, comma - at);
        out.emplace_back(piece.substr(0, 4), piece.size() > 5 ? piece.substr(5) : "");
        at = comma + 1;
    }
    return out;
}

TEST(MutagenMapping, EveryRowIsInTheRoundTrip) {
    std::set<std::wstring> written, readOnly;
    for (const MappingRow& row : kMappingRows)
        written.insert(row.host);
    for (const ReadOnlyRow& row : kReadOnlyRows)
        readOnly.insert(row.host + (L"|" + Wide(row.frame)));
    for (const ID3v2FieldRow& row : kID3v2FieldTable) {
        const std::wstring host = row.hostName, id = Wide(std::string(row.frameId, 4));
        const std::wstring frame = *row.description ? id + L":" + row.description : id;
        // Feed URL brings the podcast frames, whose own names are internal;
        // both are the podcast tests' subject.
        if (host == L"Feed URL" || host[0] == L'!' || id == L"QLGN" || id == L"APIC") continue;
        if (row.flags & id3v2fieldtable::Both)
            EXPECT_TRUE(written.count(host)) << ZrString(host.c_str()).ToUtf8();
        else
            EXPECT_TRUE(readOnly.count(host + L"|" + frame)) << ZrString(frame.c_str()).ToUtf8();
    }
}

class MutagenMappingRoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(MutagenMappingRoundTrip, EveryFieldLandsInItsFrameAndReadsBack) {
    TEST_REQUIRE(testtools::Run("/usr/bin/python3 -c 'import mutagen' 2>/dev/null"), "mutagen");
    ASSERT_TRUE(TheHost().provider);
    const int version = GetParam();
    const testfiles::TempDir dir;
    const std::string audio = TONEHALL_TEST_DATA "/input/cbr128-stereo-44k.mp3";
    const std::string ours = dir / "ours.mp3", picture = dir / "cover.png";
    const auto cover = testfiles::ReadFile(kData + "png-cover.bin");
    testfiles::WriteFile(picture, cover);
    std::string coverHex;
    for (uint8_t b : cover) {
        static const char* digits = "0123456789abcdef";
        coverHex += {digits[b >> 4], digits[b & 15]};
    }
    // Only a tag read as ID3v2.4 is written as ID3v2.4: start from an empty one.
    std::vector<uint8_t> start;
    if (version == 4) start = {'I', 'D', '3', 4, 0, 0, 0, 0, 0, 100};
    start.resize(start.size() + (version == 4 ? 100 : 0), 0);
    const auto audioBytes = testfiles::ReadFile(audio);
    start.insert(start.end(), audioBytes.begin(), audioBytes.end());
    testfiles::WriteFile(ours, start);
    WriteSettings(0, 0);
    {
        auto info = OpenInfo(ours);
        for (const MappingRow& row : kMappingRows) {
            const std::string value = row.host == std::wstring(L"Image File") ? picture : row.value;
            info->SetField(row.host, Wide(value).c_str());
        }
        ASSERT_EQ(info->Close(), 1);
    }

    // What each frame must hold, and the frames mutagen writes back.
    std::multimap<std::string, std::string> expected; // "ID\tdesc" -> text
    std::string frameLines[kLevels], pairs;
    for (const MappingRow& row : kMappingRows) {
        const char* text = version == 4 && row.text24 ? row.text24 : row.text;
        const std::string shown = row.host == std::wstring(L"Image File") ? coverHex : text;
        for (const auto& [id, desc] : FrameList(version == 4 ? row.v24 : row.v23)) {
            expected.emplace(id + "\t" + desc, shown);
            frameLines[0] += id + "\t" + desc + "\t" + shown + "\n";
        }
    }
    for (const ReadOnlyRow& row : kReadOnlyRows) {
        const auto [id, desc] = FrameList(row.frame)[0];
        frameLines[row.level] += id + "\t" + desc + "\t" + row.text + "\n";
    }
    for (int level = 0; level < kLevels; ++level) {
        const std::string name = dir / ("theirs" + std::to_string(level));
        testfiles::WriteFile(name + ".tsv", frameLines[level]);
        pairs += " '" + name + ".tsv' '" + name + ".mp3'";
    }
    std::istringstream lines(testtools::Capture("/usr/bin/python3 '" + kData +
                                                "mutagen_mapping.py' " + std::to_string(version) +
                                                " '" + ours + "' '" + audio + "'" + pairs));
    std::multimap<std::string, std::string> written;
    for (std::string line; std::getline(lines, line);)
        written.emplace(line.substr(0, line.rfind('\t')), line.substr(line.rfind('\t') + 1));
    for (const auto* side : {&written, &expected})
        for (const auto& [frame, text] : *side) {
            const auto ours = written.equal_range(frame), wanted = expected.equal_range(frame);
            EXPECT_TRUE(std::equal(ours.first, ours.second, wanted.first, wanted.second))
                << frame << " " << text;
        }

    auto theirs = OpenInfo(dir / "theirs0.mp3");
    for (const MappingRow& row : kMappingRows) {
        if (!*(version == 4 ? row.v24 : row.v23)) continue;
        const std::string read = Field(*theirs, row.host);
        if (row.host == std::wstring(L"Image File")) {
            EXPECT_EQ(testfiles::ReadFile(read), cover);
            std::remove(read.c_str());
        } else {
            EXPECT_EQ(read, row.value) << ZrString(row.host).ToUtf8();
        }
    }
    for (const ReadOnlyRow& row : kReadOnlyRows)
        EXPECT_EQ(Field(*OpenInfo(dir / ("theirs" + std::to_string(row.level) + ".mp3")), row.host),
                  row.value ? row.value : row.text)
            << row.frame;
}

INSTANTIATE_TEST_SUITE_P(Versions, MutagenMappingRoundTrip, ::testing::Values(3, 4),
                         [](const auto& info) { return "V2" + std::to_string(info.param); });

} // namespace
