#include <gtest/gtest.h>

#include "ZrToolkit/ZrComboBox.h"
#include "ZrToolkit/ZrTypedWndPtr.h"

namespace {

ZrTypedWndPtr<ZrComboBox> ThreeItems() {
    ZrTypedWndPtr<ZrComboBox> combo(new ZrComboBox);
    combo->AddItem(L"zero", L"0");
    combo->AddItem(L"one", L"1");
    combo->AddItem(L"two", L"2");
    return combo;
}

TEST(ZrComboBoxSelection, ByValueAndIndexLeaveTheSelectionAloneWhenNothingMatches) {
    auto combo = ThreeItems();
    EXPECT_EQ(combo->GetSelectedIndex(), -1);
    EXPECT_EQ(combo->GetSelectedValue(), L"");
    EXPECT_TRUE(combo->SelectByValue(L"2"));
    EXPECT_EQ(combo->GetSelectedIndex(), 2);
    EXPECT_FALSE(combo->SelectByValue(L"7"));
    EXPECT_FALSE(combo->SelectByIndex(3));
    EXPECT_EQ(combo->GetSelectedValue(), L"2");
    EXPECT_TRUE(combo->SelectByIndex(-1));
    EXPECT_EQ(combo->GetSelectedValue(), L"");
}

TEST(ZrComboBoxKeys, AnOpenListMovesItsHighlightAndOnlyEnterTakesIt) {
    auto combo = ThreeItems();
    combo->SelectByIndex(0);
    combo->OnKey(ZrKey::OpenList);
    ASSERT_TRUE(combo->IsListOpen());
    combo->OnKey(ZrKey::Down);
    EXPECT_EQ(combo->GetHotItem(), 1);
    EXPECT_EQ(combo->GetSelectedIndex(), 0);
    EXPECT_TRUE(combo->OnKey(ZrKey::Escape));
    EXPECT_FALSE(combo->IsListOpen());
    EXPECT_EQ(combo->GetSelectedIndex(), 0);

    combo->OnKey(ZrKey::Space);
    combo->OnKey(ZrKey::Down);
    combo->OnKey(ZrKey::Down);
    EXPECT_TRUE(combo->OnKey(ZrKey::Enter));
    EXPECT_EQ(combo->GetSelectedIndex(), 2);
    // Closed, Enter and Escape belong to the dialog.
    EXPECT_FALSE(combo->OnKey(ZrKey::Enter));
    EXPECT_FALSE(combo->OnKey(ZrKey::Escape));
}

} // namespace
