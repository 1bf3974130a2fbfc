#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "ZrCoreLib/IZrReader.h"
#include "ZrCoreLib/IZrTools.h"
#include "ZrCoreLib/ZrLibraryLoader.h"
#include "ZrCoreLib/ZrSettingsKey.h"
#include "ZrCoreLib/ZrToolsServices.h"
#include "common/TestFiles.h"

namespace {

std::vector<uint8_t> ReadData(const char* name) {
    return testfiles::ReadFile(std::string(TONEHALL_TEST_DATA) + "/standins/" + name);
}

// The tools library from build/lib, reached through the loader and the
// service calls, as the plug-in reaches it; settings in a private file.
class ToolsLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        ZrToolsServices::Shutdown(nullptr);
        ZrLibraryLoader::SetLibraryDirectory(ZrString::FromUtf8(TONEHALL_LIB_DIR));
        setenv("TONEHALL_SETTINGS", (m_dir / "settings.ini").c_str(), 1);
        unsetenv("ZRTOOLS_FAIL_PRODUCT_INFO");
        unsetenv("ZRTOOLS_MEMORY_FILES");
    }
    void TearDown() override {
        ZrToolsServices::Shutdown(nullptr);
        ZrLibraryLoader::SetLibraryDirectory(nullptr);
        unsetenv("TONEHALL_SETTINGS");
        unsetenv("ZRTOOLS_FAIL_PRODUCT_INFO");
        unsetenv("ZRTOOLS_MEMORY_FILES");
    }

    testfiles::TempDir m_dir;
};

int ReadSetting(const wchar_t* name) {
    ZrSettingsKey key(ZrSettingsKey::PluginKeyPath());
    return key.ReadInt(name, -99);
}

} // namespace

TEST_F(ToolsLibrary, AnswersOnlyItsInterfaceVersion) {
    void* handle = dlopen(TONEHALL_LIB_DIR "/libZrTools.so", RTLD_LAZY | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    auto get = reinterpret_cast<ZrGetZrToolsFn>(dlsym(handle, "GetZrToolsDLL"));
    ASSERT_NE(get, nullptr);
    EXPECT_NE(get(kZrToolsVersion), nullptr);
    EXPECT_EQ(get(kZrToolsVersion - 1), nullptr);
    dlclose(handle);
}

TEST_F(ToolsLibrary, ProductInfoLoadsOrFailsOnRequest) {
    ZrString error, module;
    EXPECT_TRUE(ZrToolsServices::LoadProductInfo(error, module)) << error.ToUtf8();
    EXPECT_TRUE(error.IsEmpty());

    setenv("ZRTOOLS_FAIL_PRODUCT_INFO", "Licence expired", 1);
    EXPECT_FALSE(ZrToolsServices::LoadProductInfo(error, module));
    EXPECT_EQ(error.ToUtf8(), "Licence expired");

    setenv("ZRTOOLS_FAIL_PRODUCT_INFO", "", 1);
    EXPECT_FALSE(ZrToolsServices::LoadProductInfo(error, module));
    EXPECT_EQ(error.ToUtf8(), "Unknown error loading product information");
}

TEST_F(ToolsLibrary, ComparisonIgnoresCaseAndOrdersNumbersByValue) {
    EXPECT_EQ(ZrToolsServices::CompareStrings(L"iTunNORM", L"ITUNNORM"), 0);
    EXPECT_LT(ZrToolsServices::CompareStrings(L"Track 9", L"track 10"), 0);
    EXPECT_GT(ZrToolsServices::CompareStrings(L"track 10", L"Track 9"), 0);
    EXPECT_LT(ZrToolsServices::CompareStrings(L"", L"a"), 0);
    EXPECT_LT(ZrToolsServices::CompareStrings(L"abc", L"abd"), 0);
}

TEST_F(ToolsLibrary, TranslationLeavesTextsAsWritten) {
    EXPECT_EQ(ZrToolsServices::Translated(L"Don't Save (remove existing)").ToUtf8(),
              "Don't Save (remove existing)");
}

TEST_F(ToolsLibrary, InMemoryCopiesOnlyForListedFiles) {
    const std::string a = m_dir / "a.mp3", b = m_dir / "b.mp3";
    testfiles::WriteFile(a, std::string("ID3 first file"));
    testfiles::WriteFile(b, std::string("second"));
    const ZrString pathA = ZrString::FromUtf8(a.c_str());
    const ZrString pathB = ZrString::FromUtf8(b.c_str());

    EXPECT_EQ(ZrToolsServices::GetInMemoryFileReader(pathA), nullptr) << "nothing listed";

    setenv("ZRTOOLS_MEMORY_FILES", ("/elsewhere.mp3:" + a).c_str(), 1);
    IZrReader* first = ZrToolsServices::GetInMemoryFileReader(pathA);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(ZrToolsServices::GetInMemoryFileReader(pathB), nullptr);
    EXPECT_TRUE(first->OpenRead());
    EXPECT_FALSE(first->IsLocal());
    EXPECT_EQ(first->GetSize(), 14);
    char text[32] = {};
    EXPECT_EQ(first->Read(text, sizeof text), 14u);
    EXPECT_STREQ(text, "ID3 first file");

    // Every call makes a new reader; the earlier one stays valid.
    IZrReader* second = ZrToolsServices::GetInMemoryFileReader(pathA);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(first->GetPosition(), 14);
    EXPECT_EQ(second->GetPosition(), 0);

    setenv("ZRTOOLS_MEMORY_FILES", "*", 1);
    IZrReader* other = ZrToolsServices::GetInMemoryFileReader(pathB);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->GetSize(), 6);
    EXPECT_EQ(ZrToolsServices::GetInMemoryFileReader(L"http://radio.example/stream"), nullptr);
    EXPECT_EQ(ZrToolsServices::GetInMemoryFileReader(L"/no/such/file.mp3"), nullptr);
}

TEST_F(ToolsLibrary, InflateHonoursOutputCap) {
    const std::vector<uint8_t> ramp = ReadData("ramp1000.zlib");
    ASSERT_FALSE(ramp.empty());
    std::vector<uint8_t> out;
    ASSERT_TRUE(ZrToolsServices::Inflate(ramp.data(), ramp.size(), 1000, out));
    ASSERT_EQ(out.size(), 1000u);
    for (size_t i = 0; i < out.size(); ++i)
        ASSERT_EQ(out[i], (i * 7 + i / 13) % 251) << "at " << i;

    EXPECT_FALSE(ZrToolsServices::Inflate(ramp.data(), ramp.size(), 999, out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(ZrToolsServices::Inflate(ramp.data(), ramp.size() - 10, 5000, out))
        << "truncated stream";
    std::vector<uint8_t> damaged = ramp;
    damaged[1] ^= 0x01; // header check bits no longer match
    EXPECT_FALSE(ZrToolsServices::Inflate(damaged.data(), damaged.size(), 5000, out));

    // Output well beyond one growth step of the output buffer.
    const std::vector<uint8_t> zeros = ReadData("zeros200000.zlib");
    ASSERT_TRUE(ZrToolsServices::Inflate(zeros.data(), zeros.size(), 200000, out));
    EXPECT_EQ(out.size(), 200000u);
    EXPECT_EQ(std::count(out.begin(), out.end(), 0), 200000);
    EXPECT_FALSE(ZrToolsServices::Inflate(zeros.data(), zeros.size(), 199999, out));
}

TEST_F(ToolsLibrary, SettingsPersistAcrossKeysAndLoads) {
    EXPECT_EQ(ReadSetting(L"ID3v2 Save Mode"), -99) << "fresh store";
    {
        ZrSettingsKey key(ZrSettingsKey::PluginKeyPath());
        ASSERT_TRUE(key.IsOpen());
        EXPECT_TRUE(key.WriteInt(L"ID3v2 Save Mode", 3));
        EXPECT_TRUE(key.WriteInt(L"ID3v2 Ignore", 7));
        EXPECT_TRUE(key.WriteInt(L"ID3v2 Save Mode", 2));
    }
    EXPECT_EQ(ReadSetting(L"id3v2 save mode"), 2);
    {
        ZrSettingsKey other(ZrSettingsKey::kPlaybackEngineKey);
        EXPECT_EQ(other.ReadInt(L"ID3v2 Save Mode", 0), 0) << "keys are separate";
        EXPECT_TRUE(other.WriteInt(L"Play Files From Memory", 1));
    }

    ZrToolsServices::Shutdown(nullptr); // unloads the library
    EXPECT_EQ(ReadSetting(L"ID3v2 Save Mode"), 2);
    EXPECT_EQ(ReadSetting(L"ID3v2 Ignore"), 7);
    ZrSettingsKey engine(ZrSettingsKey::kPlaybackEngineKey);
    EXPECT_EQ(engine.ReadInt(L"Play Files From Memory", 0), 1);
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
    ZrSettingsKey key(ZrSettingsKey::PluginKeyPath());
    for (int c = 0; c < kChildren; ++c) {
        for (int i = 0; i < kValuesEach; ++i)
            EXPECT_EQ(key.ReadInt(ZrString::Format(L"Value %d.%d", c, i), -1), c * 100 + i);
    }
}
