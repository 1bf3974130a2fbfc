#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "ZrCoreLib/IZrReader.h"
#include "ZrCoreLib/ZrLibraryLoader.h"
#include "ZrCoreLib/ZrSettingsKey.h"
#include "ZrCoreLib/ZrToolsServices.h"
#include "common/TestFiles.h"

namespace {

// The tools library from build/lib, reached through the loader and the
// service calls, as the plug-in reaches it; settings in a private file.
class ToolsLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        ZrToolsServices::Shutdown(nullptr);
        ZrLibraryLoader::SetLibraryDirectory(ZrString::FromUtf8(TONEHALL_LIB_DIR));
        setenv("TONEHALL_SETTINGS", (m_dir / "settings.ini").c_str(), 1);
        unsetenv("ZRTOOLS_MEMORY_FILES");
    }
    void TearDown() override {
        ZrToolsServices::Shutdown(nullptr);
        ZrLibraryLoader::SetLibraryDirectory(nullptr);
        unsetenv("TONEHALL_SETTINGS");
        unsetenv("ZRTOOLS_MEMORY_FILES");
    }

    testfiles::TempDir m_dir;
};

} // namespace

TEST_F(ToolsLibrary, ComparisonIgnoresCaseAndOrdersNumbersByValue) {
    EXPECT_EQ(ZrToolsServices::CompareStrings(L"iTunNORM", L"ITUNNORM"), 0);
    EXPECT_LT(ZrToolsServices::CompareStrings(L"Track 9", L"track 10"), 0);
    EXPECT_GT(ZrToolsServices::CompareStrings(L"track 10", L"Track 9"), 0);
    EXPECT_LT(ZrToolsServices::CompareStrings(L"", L"a"), 0);
    EXPECT_LT(ZrToolsServices::CompareStrings(L"abc", L"abd"), 0);
}

// Which files the library copies: those listed, or all with "*", never a URL
// or a missing file. What a copy plays is for the input source tests.
TEST_F(ToolsLibrary, InMemoryCopiesOnlyForListedFiles) {
    const std::string a = m_dir / "a.mp3", b = m_dir / "b.mp3";
    testfiles::WriteFile(a, std::string("ID3 first file"));
    testfiles::WriteFile(b, std::string("second"));
    const ZrString pathA = ZrString::FromUtf8(a.c_str()), pathB = ZrString::FromUtf8(b.c_str());
    EXPECT_EQ(ZrToolsServices::GetInMemoryFileReader(pathA), nullptr) << "nothing listed";
    setenv("ZRTOOLS_MEMORY_FILES", ("/elsewhere.mp3:" + a).c_str(), 1);
    EXPECT_NE(ZrToolsServices::GetInMemoryFileReader(pathA), nullptr);
    EXPECT_EQ(ZrToolsServices::GetInMemoryFileReader(pathB), nullptr);
    setenv("ZRTOOLS_MEMORY_FILES", "*", 1);
    EXPECT_NE(ZrToolsServices::GetInMemoryFileReader(pathB), nullptr);
    EXPECT_EQ(ZrToolsServices::GetInMemoryFileReader(L"http://radio.example/stream"), nullptr);
    EXPECT_EQ(ZrToolsServices::GetInMemoryFileReader(L"/no/such/file.mp3"), nullptr);
}

TEST_F(ToolsLibrary, SettingsWritersInSeveralProcessesLoseNothing) {
    constexpr int kChildren = 3;
    constexpr int kValuesEach = 20;
    std::vector<pid_t> children;
    for (int c = 0; c < kChildren; ++c) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            bool ok = true;
            for (int i = 0; i < kValuesEach; ++i) {
                ZrSettingsKey key(ZrSettingsKey::PluginKeyPath());
                ok = key.WriteInt(ZrString::Format(L"Value %d.%d", c, i), c * 100 + i) && ok;
            }
            _exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ZrToolsServices::Shutdown(nullptr); // unloads the library
    ZrSettingsKey key(ZrSettingsKey::PluginKeyPath());
    for (int c = 0; c < kChildren; ++c) {
        for (int i = 0; i < kValuesEach; ++i) // names ignore case
            EXPECT_EQ(key.ReadInt(ZrString::Format(L"VALUE %d.%d", c, i), -1), c * 100 + i);
    }
}

// The file is shared with other programs: a write changes its own line and
// copies every other byte, a NUL in someone else's line included.
TEST_F(ToolsLibrary, SettingsWriteKeepsOtherLinesByteForByte) {
    const std::string path = m_dir / "settings.ini";
    const std::string foreign("[Other]\nblob=a\0b\n", 17);
    testfiles::WriteFile(path, foreign);
    ZrSettingsKey key(ZrSettingsKey::PluginKeyPath());
    ASSERT_TRUE(key.WriteInt(L"ID3v2 Ignore", 1));
    const std::vector<uint8_t> bytes = testfiles::ReadFile(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()).substr(0, foreign.size()), foreign);
}
