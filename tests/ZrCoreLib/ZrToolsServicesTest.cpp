#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

#include "ZrCoreLib/IZrProductInfo.h"
#include "ZrCoreLib/IZrTools.h"
#include "ZrCoreLib/ZrLibraryLoader.h"
#include "ZrCoreLib/ZrSettingsKey.h"
#include "ZrCoreLib/ZrToolsServices.h"
#include "common/TestFiles.h"
#include "include/ZrAudioPlugin.h"

namespace {

// Product information that fails, with or without a text of its own.
class FailingProductInfo final : public IZrProductInfo {
public:
    explicit FailingProductInfo(const wchar_t* text) : m_text(text) {}
    bool Load(IZrDllString* errorText) override {
        if (m_text) errorText->Set(m_text, -1);
        return false;
    }

private:
    const wchar_t* m_text;
};

// A tools library that is present but whose every service answers null, but
// for product information when it is given one.
class StubTools final : public IZrTools {
public:
    explicit StubTools(IZrProductInfo* info = nullptr) : m_info(info) {}
    int Initialize(void*, void*) override { return 1; }
    void FinishProductInfo(intptr_t) override { finished = true; }
    IZrStringServices* GetStringServices(int) override { return nullptr; }
    IZrLanguageServices* GetLanguageServices(int) override { return nullptr; }
    IZrProductInfo* GetProductInfo(int) override { return m_info; }
    IZrReader* GetInMemoryFileReader(const wchar_t*) override { return nullptr; }
    IZrSettingsKeyObject* OpenSettingsKey(const wchar_t*, int, int) override { return nullptr; }
    IZrDecompressor* GetDecompressor() override { return nullptr; }
    void Release(void*) override {}
    bool finished = false;

private:
    IZrProductInfo* m_info;
};

// Either no library at all (an empty library directory) or a replacement.
class ToolsFallbacks : public ::testing::Test {
protected:
    void SetUp() override {
        ZrToolsServices::Shutdown(nullptr);
        ZrLibraryLoader::SetLibraryDirectory(ZrString::FromUtf8(m_emptyDir.Path().c_str()));
    }
    void TearDown() override {
        ZrToolsServices::OverrideTools(nullptr);
        ZrToolsServices::Shutdown(nullptr);
        ZrLibraryLoader::SetLibraryDirectory(nullptr);
    }

    void ExpectFallbacks() {
        EXPECT_LT(ZrToolsServices::CompareStrings(L"apple", L"Banana"), 0);
        EXPECT_EQ(ZrToolsServices::CompareStrings(L"Same", L"sAME"), 0);
        EXPECT_GT(ZrToolsServices::CompareStrings(L"b", nullptr), 0);

        ZrString text(L"<invalid frame>");
        ZrToolsServices::Translate(text);
        EXPECT_EQ(text.ToUtf8(), "<invalid frame>");

        EXPECT_EQ(ZrToolsServices::GetInMemoryFileReader(L"/etc/hostname"), nullptr);

        const uint8_t data[] = {0x78, 0x9c, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01};
        std::vector<uint8_t> out{1, 2};
        EXPECT_FALSE(ZrToolsServices::Inflate(data, sizeof data, 100, out));
        EXPECT_TRUE(out.empty());

        ZrSettingsKey key(ZrSettingsKey::PluginKeyPath());
        EXPECT_FALSE(key.IsOpen());
        EXPECT_EQ(key.ReadInt(L"ID3v2 Save Mode", 0), 0);
        EXPECT_EQ(key.ReadInt(L"ID3v2 Save Mode", 3), 3);
        EXPECT_FALSE(key.WriteInt(L"ID3v2 Save Mode", 2));

        ZrToolsServices::Release(&text); // nothing to give it to; must not touch it
    }

    testfiles::TempDir m_emptyDir;
};

} // namespace

TEST_F(ToolsFallbacks, MissingLibraryFailsProductInfoAndServicesFallBack) {
    ZrString error, module;
    testing::internal::CaptureStdout(); // the loader's error line
    const bool loaded = ZrToolsServices::LoadProductInfo(error, module);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("libZrTools.so"), std::string::npos);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(error, ZrString(L"Failed to load ZrTools")) << error.ToUtf8();
    EXPECT_FALSE(module.IsEmpty());
    EXPECT_EQ(ZrToolsServices::GetTools(), nullptr);
    ExpectFallbacks();
}

TEST_F(ToolsFallbacks, ServicesAnsweringNullFallBack) {
    StubTools tools;
    ZrToolsServices::OverrideTools(&tools);
    EXPECT_EQ(ZrToolsServices::GetTools(), &tools);
    ZrString error, module;
    EXPECT_FALSE(ZrToolsServices::LoadProductInfo(error, module));
    EXPECT_EQ(error, ZrString(L"Unknown error loading product information")) << error.ToUtf8();
    ExpectFallbacks();
}

TEST_F(ToolsFallbacks, ProductInfoErrorTextComesFromLibrary) {
    FailingProductInfo damaged(L"Licence file damaged"), silent(nullptr);
    StubTools withText(&damaged);
    ZrToolsServices::OverrideTools(&withText);
    ZrString error, module;
    EXPECT_FALSE(ZrToolsServices::LoadProductInfo(error, module));
    EXPECT_EQ(error, ZrString(L"Licence file damaged")) << error.ToUtf8();
    EXPECT_FALSE(withText.finished);

    StubTools withoutText(&silent);
    ZrToolsServices::OverrideTools(&withoutText);
    EXPECT_FALSE(ZrToolsServices::LoadProductInfo(error, module));
    EXPECT_EQ(error, ZrString(L"Unknown error loading product information")) << error.ToUtf8();
}

TEST(SettingsKeyPath, PluginKeyJoinsWithOneBackslash) {
    EXPECT_EQ(ZrSettingsKey::PluginKeyPath(), ZrString(L"Plugins\\Input\\MP3"));
}
