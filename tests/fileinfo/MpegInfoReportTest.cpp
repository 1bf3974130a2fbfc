// The information report byte for byte against the texts of
// tests/data/fileinfo/reports, written out by hand from the report's format.
#include "FileInfoTestFiles.h"

namespace {

using namespace fileinfotest;

TEST(MpegInfoReport, MatchesTheWrittenOutTexts) {
    ASSERT_TRUE(TheHost().provider);
    const testfiles::TempDir dir;
    std::vector<uint8_t> layer2 =
        testfiles::ReadFile(std::string(TONEHALL_TEST_DATA) + "/conformance/l2-fl14.bit");
    layer2[3] |= 0x08; // the copyright bit of the first frame, the one reported
    testfiles::WriteFile(dir / "l2-fl14-copyright.mp3", layer2);
    // A copy: the object commits the change below when it closes.
    testfiles::WriteFile(dir / "mpeg25-v1.mp3", testfiles::ReadFile(kData + "mpeg25-v1.mp3"));
    const struct {
        std::string file;
        const char* report;
        int ignoreID3v2;
    } kCases[] = {{kData + "every-kind-v23.mp3", "every-kind-v23", 0},
                  {kData + "every-kind-v23.mp3", "every-kind-v23-ignoring", 1},
                  {kData + "mpeg2-v24.mp3", "mpeg2-v24", 0},
                  {dir / "mpeg25-v1.mp3", "mpeg25-v1", 0},
                  {kData + "mpeg1-v22.mp3", "mpeg1-v22", 0},
                  {dir / "l2-fl14-copyright.mp3", "l2-fl14-copyright", 0}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.report);
        WriteSettings(0, c.ignoreID3v2);
        auto info = OpenInfo(c.file);
        if (std::string(c.report) == "mpeg25-v1") { // the record shows changes since Open
            EXPECT_TRUE(info->SetField(L"Artist", L"Set later"));
        }
        HostStringSink report;
        EXPECT_EQ(info->GetReport(&report), 1);
        const std::vector<uint8_t> golden =
            testfiles::ReadFile(kData + "reports/" + c.report + ".txt");
        EXPECT_EQ(report.Utf8(), std::string(golden.begin(), golden.end()));
    }
}

} // namespace
