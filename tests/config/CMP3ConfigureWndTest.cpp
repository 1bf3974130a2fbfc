#include <gtest/gtest.h>

#include "ConfigTestEnvironment.h"
#include "config/CMP3ConfigureWnd.h"

namespace {

using configtest::Section;
using configtest::StoredModes;
using configtest::StoreSettings;

// A mode that no item has selects nothing and is written back as 0; a
// non-zero ignore flag as 1.
TEST(CMP3ConfigureWnd, ShowsTheStoredSettingsAndOkWritesBackWhatItShows) {
    StoreSettings(Section(3, 9, 7));
    CMP3ConfigureWnd window;
    window.Build();
    EXPECT_EQ(window.GetTitle(), L"MP3 Configuration");
    EXPECT_EQ(window.GetId3v1Combo()->GetSelectedValue(), L"3");
    EXPECT_EQ(window.GetId3v2Combo()->GetSelectedIndex(), -1);
    EXPECT_EQ(window.GetId3v2Combo()->GetItemText(1), L"Save (if file has existing ID3v2 tag)");
    EXPECT_TRUE(window.GetIgnoreCheckbox()->IsChecked());
    window.HandleKey(ZrKey::Enter);
    EXPECT_EQ(window.GetResult(), ZrPopupWnd::kOK);
    EXPECT_EQ(StoredModes(), "301");
}

TEST(CMP3ConfigureWnd, WithoutADisplayCountsAsCancelledAndSaysSoOnce) {
    StoreSettings(Section(1, 1, 0));
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    unsetenv("DISPLAY");
    CMP3ConfigureWnd window;
    testing::internal::CaptureStderr();
    EXPECT_EQ(window.RunModal(), ZrPopupWnd::kCancel);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("DISPLAY"), std::string::npos) << err;
    setenv("DISPLAY", ":9999", 1); // nobody listens there
    testing::internal::CaptureStderr();
    EXPECT_EQ(window.RunModal(), ZrPopupWnd::kCancel);
    EXPECT_NE(testing::internal::GetCapturedStderr().find(":9999"), std::string::npos);
    EXPECT_EQ(StoredModes(), "110");
    if (display)
        setenv("DISPLAY", saved.c_str(), 1);
    else
        unsetenv("DISPLAY");
}

} // namespace
