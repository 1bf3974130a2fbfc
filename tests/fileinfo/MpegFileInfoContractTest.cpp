// The file-info object through the binary contract: the plug-in loaded with
// dlopen, the object from GetFileInfo, every call through its virtual slots.
#include "FileInfoTestFiles.h"

#include <gtest/gtest.h>

#include "ZrCoreLib/VShellReader.h"

namespace {

using namespace fileinfotest;

const Bytes kPicture = B("\x89PNG\r\n\x1a\nnot really a picture");

// MPEG-1 CBR with an ID3v2.3 tag (title, track with total, a disc number
// ending in "/", a picture) and an ID3v1 record that alone has the album.
Bytes TaggedMpeg1() {
    const Bytes picture =
        Cat({Bytes{0}, B("image/png"), Bytes{0, 3}, B("front"), Bytes{0}, kPicture});
    return Cat({Tag(3, 0,
                    Cat({Frame("TIT2", Latin1Text("Title")), Frame("TRCK", Latin1Text("7/12")),
                         Frame("TPOS", Latin1Text("3/")), Frame("APIC", picture)}),
                    100),
                Audio("mpeg1"), ID3v1("V1 title", "V1 artist", "V1 album", "1999", "c", 7, 17)});
}

class FileInfoContract : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testplugin::Plugin::Get().Ready());
        RemoveSettings();
    }
    testfiles::TempDir m_dir;
};

TEST_F(FileInfoContract, EveryRowOfTheFieldTable) {
    const Bytes file = TaggedMpeg1();
    testfiles::WriteFile(m_dir / "a.mp3", file);
    const size_t tagBytes = file.size() - Audio("mpeg1").size() - 128;
    const std::string audioStart = std::to_string(tagBytes + 417); // behind the Info frame
    auto info = OpenInfo(m_dir / "a.mp3");
    const std::pair<const wchar_t*, std::string> kRows[] = {
        {L"Bitrate", "128"},
        {L"Duration", "0"}, // an Info frame has no frame count
        {L"Channels", "2"},
        {L"Sample Rate", "44100"},
        {L"Bit Depth", "16"},
        {L"Compression", "CBR (MPEG-1 Layer 3)"},
        {L"Gapless Header", "576"},
        {L"Gapless Footer", "1071"},
        {L"UITS Media Hash Byte Range", audioStart + "-" + std::to_string(file.size() - 128)},
        {L"Total Tracks", "12"},
        {L"Total Discs", ""},
        {L"Support Tag Writing", "1"},
        {L"sUPPORT tAG wRITING", "1"},
        {L"bitrate", "<false>"}, // not a property in this spelling: a tag field nobody has
        {L"Name", "Title"},      // ID3v2 before ID3v1
        {L"Album", "V1 album"},  // only in the record
        {L"Genre", "Rock"},
        {L"Track #", "7"},
        {L"Year", "1999"},
        {L"Mood", "<false>"},
    };
    for (const auto& row : kRows)
        EXPECT_EQ(Field(*info, row.first), row.second) << Narrow(ZrString(row.first));

    const std::string picture = Field(*info, L"Image File");
    EXPECT_NE(picture.find("MP3 Image"), std::string::npos) << picture;
    EXPECT_EQ(testfiles::ReadFile(picture), kPicture);
    std::remove(picture.c_str());
}

TEST_F(FileInfoContract, OtherVersionsAndNoRecord) {
    struct Case {
        const char* audio;
        const char* compression;
        const char* duration;
    } const kCases[] = {{"mpeg2", "VBR (MPEG-2 Layer 3)", "0.574"},
                        {"mpeg25", "CBR (MPEG-2.5 Layer 3)", "0"}};
    for (const Case& c : kCases) {
        const Bytes audio = Audio(c.audio);
        testfiles::WriteFile(m_dir / "b.mp3", audio);
        auto info = OpenInfo(m_dir / "b.mp3");
        EXPECT_EQ(Field(*info, L"Compression"), c.compression);
        EXPECT_EQ(Field(*info, L"Duration"), c.duration) << c.audio;
        // Without a record the audio runs to the end of the file.
        const std::string range = Field(*info, L"UITS Media Hash Byte Range");
        EXPECT_EQ(range.substr(range.find('-') + 1), std::to_string(audio.size()));
        EXPECT_EQ(Field(*info, L"Total Tracks"), "<false>");
        EXPECT_EQ(Field(*info, L"Image File"), "<false>");
    }
}

TEST_F(FileInfoContract, OpenRefusesWhatIsNotAnOpenableStream) {
    testfiles::WriteFile(m_dir / "text.mp3", std::string(5000, 'x'));
    auto info = testplugin::Plugin::Get().NewFileInfo();
    EXPECT_EQ(info->Open(nullptr), 0);
    EXPECT_EQ(info->Open(L""), 0);
    EXPECT_EQ(info->Open(Wide(m_dir / "missing.mp3").c_str()), 0);
    EXPECT_EQ(info->Open(Wide(m_dir / "text.mp3").c_str()), 0);
    EXPECT_EQ(info->Close(), 1);
}

TEST_F(FileInfoContract, CommandsAndPictureGateFollowTheSaveMode) {
    struct Case {
        int mode;
        const char* file;
        int unsaved;     // DoCommand 1
        bool newPicture; // SetField("Image File", path)
    } const kCases[] = {
        {0, "plain.mp3", -1, true}, {1, "plain.mp3", 1, false}, {1, "v2.mp3", -1, true},
        {2, "v2.mp3", 1, false},    {3, "v2.mp3", -1, false},   {7, "v2.mp3", -1, false},
    };
    testfiles::WriteFile(m_dir / "p.png", kPicture);
    for (const Case& c : kCases) {
        // Each case starts from fresh files: closing commits the changes.
        testfiles::WriteFile(m_dir / "v2.mp3", TaggedMpeg1());
        testfiles::WriteFile(m_dir / "plain.mp3", Audio("mpeg1"));
        WriteSettings(0, c.mode, 0);
        auto info = OpenInfo(m_dir / c.file);
        SCOPED_TRACE(std::to_string(c.mode) + " " + c.file);
        EXPECT_EQ(info->DoCommand(FILEINFO_CMD_ID3V2_UNSAVED, 0), c.unsaved);
        EXPECT_EQ(info->DoCommand(FILEINFO_CMD_CAPABILITY, 0), 1);
        for (int id : {2, 7})
            EXPECT_EQ(info->DoCommand(id, 0), -1) << id;
        EXPECT_EQ(info->DoCommand(FILEINFO_CMD_REMOVE_TAGS, 5), -1);
        EXPECT_EQ(info->SetField(L"Image File", Wide(m_dir / "p.png").c_str()), c.newPicture);
        EXPECT_EQ(Field(*info, L"Image File") != "<false>", c.newPicture || c.file[0] == 'v');
        EXPECT_TRUE(info->SetField(L"Image File", L"")); // removing is always allowed
        EXPECT_EQ(Field(*info, L"Image File"), "<false>");
    }
}

TEST_F(FileInfoContract, SettingsComeFromTheStoreAtCreation) {
    testfiles::WriteFile(m_dir / "a.mp3", TaggedMpeg1());
    auto before = OpenInfo(m_dir / "a.mp3"); // no settings file: every mode 0
    EXPECT_EQ(before->DoCommand(FILEINFO_CMD_ID3V2_UNSAVED, 0), -1);
    WriteSettings(0, 2, 7); // any non-zero "ID3v2 Ignore" counts
    auto after = OpenInfo(m_dir / "a.mp3");
    EXPECT_EQ(after->DoCommand(FILEINFO_CMD_ID3V2_UNSAVED, 0), 1);
    EXPECT_EQ(Field(*after, L"Name"), "V1 title");
    // The older object keeps what it read, also across a new Open.
    ASSERT_EQ(before->Open(Wide(m_dir / "a.mp3").c_str()), 1);
    EXPECT_EQ(before->DoCommand(FILEINFO_CMD_ID3V2_UNSAVED, 0), -1);
    EXPECT_EQ(Field(*before, L"Name"), "Title");
}

// A reader that poses as a remote file: Open must take the buffered head.
class RemoteReader : public VShellReader {
public:
    explicit RemoteReader(IZrReader* inner) : VShellReader(inner, true) {}
    bool IsLocal() override { return false; }
};

class RemoteProvider : public IZrReaderProvider {
public:
    IZrReader* CreateReader(const wchar_t* path, int mode, int flags) override {
        EXPECT_EQ(mode, 1);
        EXPECT_EQ(flags, -1);
        return new RemoteReader(testplugin::Plugin::Get().CreateLocalReader()(path));
    }
};

TEST_F(FileInfoContract, RemoteFileReadsAsTheLocalOne) {
    testfiles::WriteFile(m_dir / "a.mp3", TaggedMpeg1());
    RemoteProvider remote;
    auto local = OpenInfo(m_dir / "a.mp3");
    auto far = OpenInfo(m_dir / "a.mp3", &remote);
    for (const wchar_t* name : {L"Name", L"Album", L"Total Tracks", L"Compression",
                                L"UITS Media Hash Byte Range", L"Gapless Footer"})
        EXPECT_EQ(Field(*far, name), Field(*local, name));
}

} // namespace
