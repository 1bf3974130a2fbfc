#include "ZrCoreLib/ZrFile.h"

#include "common/ChildProcess.h"
#include "common/TestFiles.h"

#include <gtest/gtest.h>

namespace {

ZrString Wide(const std::string& path) {
    return ZrString::FromUtf8(path.c_str());
}

} // namespace

TEST(ZrFile, DispositionsOnExistingAndMissingFiles) {
    struct Case {
        uint32_t disposition;
        bool exists;
        bool opens;
        int64_t length; // after Open; -1: no file
    } const cases[] = {
        {ZrFile::kCreateAlways, true, true, 0},     {ZrFile::kCreateAlways, false, true, 0},
        {ZrFile::kCreateNew, true, false, 3},       {ZrFile::kCreateNew, false, true, 0},
        {ZrFile::kOpenAlways, true, true, 3},       {ZrFile::kOpenAlways, false, true, 0},
        {ZrFile::kOpenExisting, true, true, 3},     {ZrFile::kOpenExisting, false, false, -1},
        {ZrFile::kTruncateExisting, true, true, 0}, {ZrFile::kTruncateExisting, false, false, -1},
    };
    testfiles::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "disposition " << c.disposition << " exists " << c.exists);
        const std::string path = dir / "f";
        std::remove(path.c_str());
        if (c.exists) testfiles::WriteFile(path, std::string("abc"));
        ZrFile file(Wide(path), ZrFile::kAccessRead | ZrFile::kAccessWrite, 0, c.disposition);
        EXPECT_EQ(file.Open(), c.opens);
        EXPECT_EQ(file.GetLength(), c.length);
        EXPECT_EQ(file.GetPosition(), c.opens ? 0 : -1);
    }
}

TEST(ZrFile, WriteLockHeldElsewhereRefusesOnlyExclusiveWriters) {
    testfiles::TempDir dir;
    const std::string path = dir / "locked.mp3";
    testfiles::WriteFile(path, std::string("data"));
    testchild::LockHolder holder(path);
    ASSERT_TRUE(holder.Locked());
    struct Case {
        uint32_t access, share;
        bool opens;
    } const cases[] = {
        {ZrFile::kAccessRead | ZrFile::kAccessWrite, 0, false},
        {ZrFile::kAccessWrite, 0, false},
        {ZrFile::kAccessWrite, ZrFile::kShareWrite, true},
        {ZrFile::kAccessRead, 0, true},
    };
    for (const Case& c : cases) {
        ZrFile file(Wide(path), c.access, c.share, ZrFile::kOpenExisting);
        EXPECT_EQ(file.Open(), c.opens) << "access " << c.access << " share " << c.share;
        EXPECT_EQ(file.IsOpen(), c.opens);
    }
    EXPECT_EQ(testfiles::ReadFile(path).size(), 4u);
}

TEST(ZrFile, SetLengthGrowsWithZerosAndCutsKeepingThePrefix) {
    testfiles::TempDir dir;
    const std::string path = dir / "len";
    ZrFile file(Wide(path), ZrFile::kAccessRead | ZrFile::kAccessWrite, 0, ZrFile::kCreateAlways);
    ASSERT_TRUE(file.Open());
    uint32_t done = 0;
    ASSERT_TRUE(file.Write("0123456789", 10, done));
    ASSERT_EQ(done, 10u);
    for (const int64_t n : {100000, 100000, 4, 7}) {
        ASSERT_TRUE(file.SetLength(n));
        EXPECT_EQ(file.GetLength(), n);
        EXPECT_EQ(file.GetPosition(), n);
    }
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(testfiles::ReadFile(path), (std::vector<uint8_t>{'0', '1', '2', '3', 0, 0, 0}));
    EXPECT_EQ(file.GetLength(), 7); // by name once closed
}
