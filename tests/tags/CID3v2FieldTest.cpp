// The field mapping of CID3v2Tag: host fields read from and written to frames.
#include "tags/CID3v2Tag.h"

#include "TagTestHelpers.h"
#include "ZrCoreLib/ZrDateTime.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>

namespace {

void ReadTag(CID3v2Tag& tag, int version, const Bytes& frames) {
    const Bytes bytes = Tag(version, 0, frames, 32);
    ASSERT_TRUE(tag.Read(bytes.data(), bytes.size(), 0));
}

} // namespace

TEST(ID3v2Mapping, BuiltInTable) {
    CID3v2Tag tag;
    // List fields get ListValue whether or not the table row says so.
    EXPECT_TRUE(tag.GetMapping(45)->GetFlags() & CID3v2Field::ListValue);       // Soloists
    EXPECT_FALSE(tag.GetMapping(0)->GetFlags() & CID3v2Field::ListValue);       // Name
    EXPECT_EQ(tag.IndexOfMapping("TXXX", L"zr/date", CID3v2Field::BuiltIn), 8); // any case
    EXPECT_EQ(tag.IndexOfMapping("TXXX", L"nope", CID3v2Field::kAnyFlag), -1);
    // Podcast flag entries, one the spare row; "Year" creates nothing.
    int cursor = 0;
    EXPECT_EQ(tag.NextMapping(L"Year", cursor, true, CID3v2Field::WriteV24), nullptr);
    cursor = 0;
    EXPECT_EQ(tag.NextMapping(L"Year", cursor, true, CID3v2Field::WriteV23), tag.GetMapping(9));
    EXPECT_EQ(tag.GetMappingCount(), 86);
}

TEST(ID3v2Mapping, NamesIgnoreCaseAndFirstFrameWins) {
    CID3v2Tag tag;
    ReadTag(tag, 3,
            Cat({Frame("TRCK", Latin1Text("3/12")),
                 Frame("TXXX", Cat({Bytes{0}, B("ALBUM ARTIST"), Bytes{0}, B("second")})),
                 Frame("TPE2", Latin1Text("first"))}));
    EXPECT_EQ(Get(tag, L"track #"), "3");
    EXPECT_EQ(Get(tag, L"TRACK #", L"Value Original"), "3/12");
    EXPECT_EQ(Get(tag, L"Album Artist"), "first");
    ZrPropertyMap map;
    EXPECT_FALSE(tag.GetField(L"Album", map));
    EXPECT_EQ(map.GetCount(), 0);
    EXPECT_TRUE(tag.GetField(L"Track #", map, CID3TagBase::kGetRaw));
    EXPECT_EQ(Narrow(map.Get(L"Value")), "3/12");
}

TEST(ID3v2Mapping, TotalsSurviveAWrite) {
    CID3v2Tag tag;
    ReadTag(tag, 3, Frame("TRCK", Latin1Text("3/12")));
    EXPECT_TRUE(tag.SetField(L"Track #", L"5"));
    EXPECT_EQ(Get(tag, L"Track #"), "5");
    EXPECT_EQ(Get(tag, L"Track #", L"Value Original"), "5/12");
    EXPECT_TRUE(tag.IsModified());
    CID3v2Tag plain;
    plain.SetField(L"Disc #", L"2");
    EXPECT_EQ(Get(plain, L"Disc #", L"Value Original"), "2");
}

TEST(ID3v2Mapping, ReplayGainAndPeak) {
    CID3v2Tag tag;
    tag.SetField(L"Replay Gain", L"-6.5");
    EXPECT_EQ(FrameValue(FindFrame(tag, "TXXX")), "-6.50 dB");
    EXPECT_EQ(Get(tag, L"Replay Gain"), "-6.500000");
    tag.SetField(L"Replay Gain", L"3");
    EXPECT_EQ(FrameValue(FindFrame(tag, "TXXX")), "+3.00 dB");
    tag.SetField(L"Replay Gain", L"0");
    EXPECT_EQ(FrameValue(FindFrame(tag, "TXXX")), "");
    tag.SetField(L"Peak Level", L"0.5");
    EXPECT_EQ(Get(tag, L"Peak Level"), "0.500000");
}

TEST(ID3v2Mapping, Genres) {
    CID3v2Tag tag;
    const char* cases[][2] = {{"(17)", "Rock"}, {"(200)", "200"}, {"-1", ""},
                              {"17", "17"},     {"(80)", "Folk"}, {"Trip", "Trip"}};
    for (const auto& c : cases) {
        ReadTag(tag, 3, Frame("TCON", Latin1Text(c[0])));
        EXPECT_EQ(Get(tag, L"Genre"), c[1]) << c[0];
    }
}

TEST(ID3v2Mapping, ListValues) {
    CID3v2Tag tag;
    ReadTag(tag, 4, Frame("TPE1", Cat({Bytes{3}, B("A"), Bytes{0}, B("B")}), 4));
    EXPECT_EQ(Get(tag, L"Artist"), "A;B");
    tag.SetField(L"Artist", L"X; Y;");
    EXPECT_EQ(FindFrame(tag, "TPE1")->GetBody(),
              Cat({Bytes{0}, B("X"), Bytes{0}, B("Y"), Bytes{0}}));
    // Not a list field: the ";" stays in one value.
    tag.SetField(L"Album", L"a;b");
    EXPECT_EQ(FindFrame(tag, "TALB")->GetBody(), Cat({Bytes{0}, B("a;b"), Bytes{0}}));
}

TEST(ID3v2Mapping, UnknownFieldsAndLegacyComments) {
    CID3v2Tag tag;
    ReadTag(
        tag, 3,
        Frame("COMM", Cat({Bytes{0}, B("eng"), B("Quillon Audio: Mixer"), Bytes{0}, B("old")})));
    EXPECT_EQ(Get(tag, L"Mixer"), "old");
    EXPECT_EQ(tag.GetMappingCount(), 88);
    EXPECT_TRUE(tag.SetField(L"Mixer", L"new"));
    EXPECT_EQ(Ids(tag), std::vector<std::string>{"TXXX"});
    EXPECT_EQ(FrameValue(tag.GetFrame(0), L"Description"), "Mixer");
    EXPECT_EQ(Get(tag, L"mixer"), "new");
    EXPECT_EQ(tag.GetMappingCount(), 88);
}

TEST(ID3v2Mapping, VersionDecidesWhatIsWritten) {
    CID3v2Tag v4;
    ReadTag(v4, 4, Cat({Frame("TYER", Latin1Text("1999"), 4), Frame("TIT2", Latin1Text("t"), 4)}));
    EXPECT_FALSE(v4.SetField(L"Year", L"2001"));
    EXPECT_EQ(Ids(v4), std::vector<std::string>{"TIT2"});
    v4.SetField(L"Mood", L"calm");
    EXPECT_NE(FindFrame(v4, "TMOO"), nullptr);
    CID3v2Tag v3;
    v3.SetField(L"Mood", L"calm");
    EXPECT_EQ(Ids(v3), std::vector<std::string>{"TXXX"});
    v3.SetField(L"Album Artist", L"aa");
    EXPECT_EQ(Ids(v3), (std::vector<std::string>{"TXXX", "TPE2", "TXXX"}));
    // Rating goes through POPM; stars come back.
    v3.SetField(L"Rating", L"4");
    EXPECT_EQ(FindFrame(v3, "POPM")->GetBody(), (Bytes{0, 192}));
    EXPECT_EQ(Get(v3, L"Rating"), "4");
}

TEST(ID3v2Mapping, Dates) {
    const double may = ZrDateTime::FromCivil(2004, 5, 6);
    const std::string mayText = Narrow(ZrString::Format(L"%f", may));
    CID3v2Tag v4;
    ReadTag(v4, 4, Frame("TIT2", Latin1Text("t"), 4));
    v4.SetField(L"Date", ZrString::FromLatin1(mayText.c_str()));
    EXPECT_EQ(FrameValue(FindFrame(v4, "TDRC")), "2004-05-06");
    EXPECT_DOUBLE_EQ(std::stod(Get(v4, L"Date")), may);
    // ID3v2.3 keeps the date number itself; a year-only date is not written.
    CID3v2Tag v3;
    v3.SetField(L"Date", ZrString::FromLatin1(mayText.c_str()));
    EXPECT_EQ(FrameValue(FindFrame(v3, "TXXX"), L"Description"), "Zr/Date");
    EXPECT_EQ(Get(v3, L"Date"), mayText);
    const double jan1 = ZrDateTime::FromCivil(2004, 1, 1);
    EXPECT_FALSE(v3.SetField(L"Date", ZrString::Format(L"%f", jan1)));
    EXPECT_EQ(v3.GetFrameCount(), 0);
    // A legacy TXXX "Date" holds ISO text; garbage reads as empty.
    CID3v2Tag legacy;
    ReadTag(legacy, 3, Frame("TXXX", Cat({Bytes{0}, B("Date"), Bytes{0}, B("2004")})));
    EXPECT_DOUBLE_EQ(std::stod(Get(legacy, L"Date")), jan1);
    ReadTag(legacy, 3, Frame("TXXX", Cat({Bytes{0}, B("Date"), Bytes{0}, B("soon")})));
    EXPECT_EQ(Get(legacy, L"Date"), "");
}

TEST(ID3v2Mapping, Utf8Base64Payload) {
    CID3v2Tag tag;
    tag.SetField(L"UITS Payload", L"<uits>\u00e9</uits>");
    const CID3v2Frame* priv = FindFrame(tag, "PRIV");
    ASSERT_NE(priv, nullptr);
    EXPECT_EQ(priv->GetBody().back(), '>');
    EXPECT_EQ(Get(tag, L"UITS Payload"), "<uits>\xC3\xA9</uits>");
}

TEST(ID3v2Mapping, PicturesByType) {
    const std::string path = ::testing::TempDir() + "cover-test.jpg";
    std::ofstream(path, std::ios::binary) << std::string("\xFF\xD8\xFF\xE0jpeg", 8);
    CID3v2Tag tag;
    auto apic = [](uint8_t type, const char* data) {
        return Frame("APIC",
                     Cat({Bytes{0}, B("image/png"), Bytes{0, type}, B("d"), Bytes{0}, B(data)}));
    };
    ReadTag(tag, 3, Cat({apic(5, "five"), apic(0, "zero"), apic(3, "three")}));
    EXPECT_EQ(Get(tag, L"Image File"), "dGhyZWU="); // the front cover first
    EXPECT_TRUE(tag.SetField(L"Image File", ZrString::FromUtf8(path.c_str())));
    ASSERT_EQ(Ids(tag), (std::vector<std::string>{"APIC", "APIC"}));
    EXPECT_EQ(FrameValue(tag.GetFrame(0), L"Picture Type"), "5");
    EXPECT_EQ(FrameValue(tag.GetFrame(1), L"Mime Type"), "image/jpeg");
    ZrString exported;
    ASSERT_TRUE(tag.GetImageFile(L"Image File", exported));
    EXPECT_TRUE(exported.EndsWithNoCase(L".jpg"));
    EXPECT_NE(exported.Find(L"MP3 Image"), -1);
    std::ifstream in(exported.ToUtf8(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
              std::string("\xFF\xD8\xFF\xE0jpeg", 8));
    std::remove(exported.ToUtf8().c_str());
    // An unreadable file removes the old cover and adds nothing.
    EXPECT_FALSE(tag.SetField(L"Image File", L"/nonexistent/x.png"));
    EXPECT_EQ(Ids(tag), std::vector<std::string>{"APIC"});
    std::remove(path.c_str());
}

TEST(ID3v2Mapping, PodcastSynchronisation) {
    CID3v2Tag tag;
    tag.SetField(L"Comment", L"about");
    tag.SetField(L"Feed URL", L"http://feed");
    tag.SetField(L"Episode URL", L"http://ep");
    Bytes out;
    tag.Render(out, 8192);
    CID3v2Tag again;
    ASSERT_TRUE(again.Read(out.data(), out.size(), 0));
    std::vector<std::string> ids = Ids(again);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<std::string>{"COMM", "PCST", "TDES", "TGID", "TXXX", "TXXX", "TXXX",
                                             "WFED"}));
    EXPECT_EQ(FindFrame(again, "PCST")->GetBody(), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(Get(again, L"iTunes Podcast Flag"), "0");
    // Without a feed the podcast frames go.
    again.SetField(L"Feed URL", L"");
    again.Render(out, 8192);
    ASSERT_TRUE(again.Read(out.data(), out.size(), 0));
    ids = Ids(again);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<std::string>{"COMM", "TXXX"}));
}
