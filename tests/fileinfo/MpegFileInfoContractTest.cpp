// The file-info object through the binary contract, as the host reaches it.
#include "FileInfoTestFiles.h"

#include <fstream>

namespace {

using namespace fileinfotest;

const std::string kTagged = kData + "every-kind-v23.mp3";
const std::string kPlain = std::string(TONEHALL_TEST_DATA) + "/input/cbr128-stereo-44k.mp3";

class FileInfoContract : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(TheHost().provider) << TheHost().plugin.Error();
        std::remove(SettingsFile().c_str()); // no settings: every mode 0
    }
};

TEST_F(FileInfoContract, EveryRowOfTheFieldTable) {
    for (const std::string name : {"every-kind-v23", "mpeg2-v24", "mpeg25-v1"}) {
        auto info = OpenInfo(kData + name + ".mp3");
        std::ifstream rows(kData + name + "-fields.txt");
        for (std::string field, text; std::getline(rows, field, '\t') && std::getline(rows, text);)
            EXPECT_EQ(Field(*info, Wide(field)), text) << name << ": " << field;
    }
    auto info = OpenInfo(kTagged);
    const std::string picture = Field(*info, L"Image File");
    EXPECT_EQ(testfiles::ReadFile(picture), testfiles::ReadFile(kData + "png-cover.bin"));
    std::remove(picture.c_str());
}

TEST_F(FileInfoContract, OpenRefusesWhatCannotBeAnalysed) {
    std::unique_ptr<IZrAudioFileInfo> info(TheHost().plugin.NewFileInfo(TheHost().provider.get()));
    for (const std::string path : {"", "missing.mp3", "README"})
        EXPECT_EQ(info->Open(Wide(path.empty() ? path : kData + path).c_str()), 0) << path;
    EXPECT_EQ(info->Open(nullptr), 0);
    EXPECT_EQ(info->Close(), 1);
}

TEST_F(FileInfoContract, CommandsAndThePictureGateFollowTheID3v2SaveMode) {
    const struct {
        int mode;
        const std::string& file;
        int unsaved;     // DoCommand 1
        bool newPicture; // SetField("Image File", path)
    } kCases[] = {{0, kPlain, -1, true},  {1, kPlain, 1, false},   {1, kTagged, -1, true},
                  {2, kTagged, 1, false}, {3, kTagged, -1, false}, {7, kTagged, -1, false}};
    const testfiles::TempDir dir;
    for (const auto& c : kCases) {
        WriteSettings(c.mode, 0);
        // A copy: closing commits the picture changes.
        testfiles::WriteFile(dir / "copy.mp3", testfiles::ReadFile(c.file));
        auto info = OpenInfo(dir / "copy.mp3");
        SCOPED_TRACE(std::to_string(c.mode) + " " + c.file);
        EXPECT_EQ(info->DoCommand(FILEINFO_CMD_ID3V2_UNSAVED, 0), c.unsaved);
        EXPECT_EQ(info->DoCommand(FILEINFO_CMD_CAPABILITY, 0), 1);
        // Command 2 opens a window; the dialog tests drive it.
        for (const auto& [id, argument] : {std::pair(0, 5), std::pair(7, 0)})
            EXPECT_EQ(info->DoCommand(id, argument), -1) << id;
        EXPECT_EQ(info->SetField(L"Image File", Wide(kData + "png-cover.bin").c_str()),
                  c.newPicture);
        EXPECT_TRUE(info->SetField(L"Image File", L"")); // removing is always let through
    }
}

TEST_F(FileInfoContract, SettingsAreReadWhenTheObjectIsCreated) {
    auto before = OpenInfo(kTagged);
    WriteSettings(2, 7); // any non-zero "ID3v2 Ignore" counts
    auto after = OpenInfo(kTagged);
    EXPECT_EQ(after->DoCommand(FILEINFO_CMD_ID3V2_UNSAVED, 0), 1);
    EXPECT_EQ(Field(*after, L"Name"), "V1 title");
    ASSERT_EQ(before->Open(Wide(kTagged).c_str()), 1);
    EXPECT_EQ(before->DoCommand(FILEINFO_CMD_ID3V2_UNSAVED, 0), -1);
    EXPECT_EQ(Field(*before, L"Name"), "Title");
}

} // namespace
