#include <gtest/gtest.h>

#include "FakePainter.h"
#include "ZrToolkit/ZrCheckbox.h"
#include "ZrToolkit/ZrComboBox.h"
#include "ZrToolkit/ZrFixedSizeOkCancelPopupWnd.h"
#include "ZrToolkit/ZrStaticText.h"

namespace {

// A combo box row, a long wrapping text and a check box, above OK and Cancel.
class SamplePopup : public ZrFixedSizeOkCancelPopupWnd {
public:
    int GetFixedWidth() const override { return 300; }
    ZrTypedWndPtr<ZrComboBox> combo{new ZrComboBox};
    ZrTypedWndPtr<ZrCheckbox> check{new ZrCheckbox(L"Check")};

protected:
    void BuildControls(ZrVerticalLayout& layout) override {
        combo->AddItem(L"first", L"a");
        combo->AddItem(L"second", L"b");
        layout.AddCaptionedRow(L"Caption:", combo.Get());
        layout.AddRow(new ZrStaticText(L"words that take more than one line at this width, "
                                       L"so the text has to wrap"));
        layout.AddCaptionedRow(L"", check.Get());
    }
};

TEST(ZrPopupKeys, EnterMeansOkEscapeCancelUnlessAListIsOpen) {
    SamplePopup popup;
    popup.Build();
    popup.HandleKey(ZrKey::OpenList);
    ASSERT_NE(popup.GetOpenCombo(), nullptr);
    popup.HandleKey(ZrKey::Escape);
    popup.HandleKey(ZrKey::OpenList);
    popup.HandleKey(ZrKey::Down);
    popup.HandleKey(ZrKey::Enter);
    EXPECT_EQ(popup.combo->GetSelectedValue(), L"b");
    EXPECT_EQ(popup.GetResult(), ZrPopupWnd::kCancel);
    popup.HandleKey(ZrKey::Enter);
    EXPECT_EQ(popup.GetResult(), ZrPopupWnd::kOK);

    SamplePopup cancelled;
    cancelled.Build();
    cancelled.HandleKey(ZrKey::BackTab); // from the first control round to Cancel
    cancelled.HandleKey(ZrKey::Enter);
    EXPECT_EQ(cancelled.GetResult(), ZrPopupWnd::kCancel);
}

TEST(ZrPopupLayout, ControlsStayInsideTheWindowWithoutOverlapAtEveryScale) {
    for (int scale : {1, 2}) {
        SamplePopup popup;
        popup.Build();
        FakePainter painter(scale);
        const int height = popup.Arrange(painter);
        std::vector<ZrWnd*> controls;
        popup.GetLayout().CollectFocusable(controls);
        ASSERT_EQ(controls.size(), 4u);
        const ZrRect window{0, 0, 300 * scale, height};
        for (size_t i = 0; i < controls.size(); ++i) {
            const ZrRect& r = controls[i]->GetRect();
            EXPECT_TRUE(window.Contains(r.x, r.y) && window.Contains(r.Right() - 1, r.Bottom() - 1))
                << "control " << i << " at scale " << scale;
            for (size_t j = 0; j < i; ++j)
                EXPECT_FALSE(r.Intersects(controls[j]->GetRect())) << i << " and " << j;
        }
        // A click lands on the control under it: the check box toggles.
        const ZrRect& box = popup.check->GetRect();
        popup.HandleClick(box.x + 1, box.y + 1);
        EXPECT_TRUE(popup.check->IsChecked());
        EXPECT_EQ(popup.GetFocus(), popup.check.Get());
    }
}

} // namespace
