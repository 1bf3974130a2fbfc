#include <gtest/gtest.h>

#include "config/CRemoveTagModeDlg.h"

TEST(CRemoveTagModeDlg, UntouchedOkChoosesAllTagsEscapeChoosesNothing) {
    CRemoveTagModeDlg confirmed;
    confirmed.Build();
    EXPECT_EQ(confirmed.GetModeCombo()->GetItemText(2), L"ID3v2 Only");
    EXPECT_EQ(confirmed.GetChosenMode(), -1);
    confirmed.HandleKey(ZrKey::Enter);
    EXPECT_EQ(confirmed.GetChosenMode(), 0);

    CRemoveTagModeDlg cancelled;
    cancelled.Build();
    cancelled.HandleKey(ZrKey::Down);
    cancelled.HandleKey(ZrKey::Escape);
    EXPECT_EQ(cancelled.GetChosenMode(), -1);
    EXPECT_EQ(cancelled.GetResult(), ZrPopupWnd::kCancel);
}
