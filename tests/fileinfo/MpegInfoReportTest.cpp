// The information report, byte for byte against texts written out by hand
// from the report's format: each version, each kind of tag, and a frame of
// every kind the frame description knows.
#include "FileInfoTestFiles.h"

#include <gtest/gtest.h>

namespace {

using namespace fileinfotest;

Bytes Comment(const std::string& id, const std::string& description, const std::string& text) {
    return Frame(id, Cat({Bytes{0}, B("eng"), B(description), Bytes{0}, B(text)}));
}

// An ID3v2.3 tag of exactly 2048 bytes with a frame of every kind, long,
// multi-line and truncated values among them.
Bytes EveryKindTag() {
    const Bytes frames = Cat({
        Frame("TIT2", Latin1Text("Title")),
        Frame("TPE1", Cat({Bytes{1, 0xFF, 0xFE}, B(std::string("C\0a\0f\0\xE9\0\0\0B\0", 14))})),
        Frame("TALB", Latin1Text(std::string(128, 'a'))), // the longest value shown
        Frame("TIT3", Latin1Text(std::string(129, 'b'))),
        Frame("TCON", Latin1Text("(17)")),
        Frame("TRCK", Latin1Text("3/12")),
        Comment("COMM", "", "line one\r\nline two\nline three"),
        Comment("COMM", "Quillon Audio: Something Long Description", "x"),
        Frame("TXXX", Cat({Bytes{0}, B("Mood   "), Bytes{0}, B("calm")})),
        Frame("TXXX", Cat({Bytes{0}, B("A description that is long"), Bytes{0}, B("v")})),
        Frame("WXXX", Cat({Bytes{0}, B("home"), Bytes{0}, B("http://home.example/")})),
        Frame("WOAR", B("http://artist.example/")),
        Frame("APIC", Cat({Bytes{0}, B("image/png"), Bytes{0, 3, 0},
                           B("\x89PNG\r\n\x1a\nnot really a picture")})),
        Frame("APIC",
              Cat({Bytes{0}, B("image/jpeg"), Bytes{0, 4}, B("back"), Bytes{0}, Bytes(121, 0xAB)})),
        Frame("POPM", Cat({B("a@b.c"), Bytes{0, 196, 0, 0, 0, 3}})),
        Frame("PCST", Bytes{1, 0, 0, 0}),
        Frame("PRIV", Cat({B("owner.example"), Bytes{0, 0, 1, 2}, B("binary")})),
        Comment("USLT", "", "la la\nla"),
        Comment("QLGN", "", "note"),
        Frame("XYZW", B("data")),
    });
    return Tag(3, 0, frames, 2048 - 10 - frames.size());
}

Bytes SmallV24Tag() {
    const Bytes frames = Cat({
        Frame("TIT2", Cat({Bytes{3}, B("Zwei")}), 4),
        Frame("TPE1", Cat({Bytes{0}, B("A"), Bytes{0}, B("B")}), 4),
        Frame("TXXX", Cat({Bytes{0}, B("Album Artist"), Bytes{0}, B("Someone")}), 4),
    });
    return Tag(4, 0, frames, 1024 - 10 - frames.size());
}

Bytes V22Tag() {
    const Bytes frames = Cat({Frame22("TT2", Latin1Text("Old")),
                              Frame22("COM", Cat({Bytes{0}, B("eng"), Bytes{0}, B("c")}))});
    return Tag(2, 0, frames, 512 - 10 - frames.size());
}

Bytes CopyrightedLayer2() {
    Bytes audio = Audio("layer2");
    audio[3] |= 0x08; // copyright bit of the first frame, the one the analysis reports
    return audio;
}

struct ReportCase {
    const char* golden;
    Bytes file;
    bool ignoreID3v2;
    bool changeArtist; // SetField before the report: the record shows the change
};

TEST(MpegInfoReport, MatchesTheWrittenOutTexts) {
    ASSERT_TRUE(testplugin::Plugin::Get().Ready());
    const Bytes v1 = ID3v1("V1 title", "V1 artist", "V1 album", "1999", "", 7, 17);
    const ReportCase kCases[] = {
        {"mpeg1-all-kinds", Cat({EveryKindTag(), Audio("mpeg1"), v1}), false, false},
        {"mpeg1-ignoring-id3v2", Cat({EveryKindTag(), Audio("mpeg1"), v1}), true, false},
        {"mpeg2-id3v24", Cat({SmallV24Tag(), Audio("mpeg2")}), false, false},
        {"mpeg25-id3v1-changed",
         Cat({Audio("mpeg25"), ID3v1("Name25", "", "Album25", "2001", "", 0, 255)}), false, true},
        {"mpeg1-id3v22", Cat({V22Tag(), Audio("mpeg1")}), false, false},
        {"layer2-crc-no-tags", CopyrightedLayer2(), false, false},
    };
    const testfiles::TempDir dir;
    for (const ReportCase& c : kCases) {
        SCOPED_TRACE(c.golden);
        WriteSettings(0, 0, c.ignoreID3v2 ? 1 : 0);
        testfiles::WriteFile(dir / "a.mp3", c.file);
        auto info = OpenInfo(dir / "a.mp3");
        EXPECT_TRUE(!c.changeArtist || info->SetField(L"Artist", L"Set later"));
        testplugin::TextSink report;
        EXPECT_EQ(info->GetReport(&report), 1);
        const Bytes golden = testfiles::ReadFile(std::string(TONEHALL_TEST_DATA) +
                                                 "/fileinfo/reports/" + c.golden + ".txt");
        EXPECT_EQ(report.Utf8(), std::string(golden.begin(), golden.end()));
    }
}

} // namespace
