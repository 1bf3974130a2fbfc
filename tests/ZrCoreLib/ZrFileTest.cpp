#include "ZrCoreLib/ZrFile.h"

#include "common/TestFiles.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kReadWrite = ZrFile::kAccessRead | ZrFile::kAccessWrite;

ZrString Wide(const std::string& path) {
    return ZrString::FromUtf8(path.c_str());
}

} // namespace

TEST(ZrFile, DispositionsOnExistingAndMissingFiles) {
    struct Case {
        uint32_t disposition;
        int64_t existing, missing; // length after Open; -1: Open fails, the file stays as it was
    } const cases[] = {
        {ZrFile::kCreateAlways, 0, 0},      {ZrFile::kCreateNew, -1, 0},
        {ZrFile::kOpenAlways, 3, 0},        {ZrFile::kOpenExisting, 3, -1},
        {ZrFile::kTruncateExisting, 0, -1},
    };
    testfiles::TempDir dir;
    for (const Case& c : cases) {
        for (const bool exists : {true, false}) {
            const std::string path = dir / (std::to_string(c.disposition) + (exists ? "e" : "m"));
            if (exists) testfiles::WriteFile(path, std::string("abc"));
            ZrFile file(Wide(path), kReadWrite, 0, c.disposition);
            const int64_t expected = exists ? c.existing : c.missing;
            EXPECT_EQ(file.Open(), expected >= 0) << path;
            EXPECT_EQ(file.GetLength(), exists && expected < 0 ? 3 : expected) << path;
        }
    }
}
