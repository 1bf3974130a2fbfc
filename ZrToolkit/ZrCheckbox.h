#pragma once

#include "ZrCoreLib/ZrString.h"
#include "ZrToolkit/ZrWnd.h"

// A check box with a text to its right. Space and a click anywhere on the box
// or its text toggle it.
class ZrCheckbox : public ZrWnd {
public:
    // The text passes through the tools library's translation.
    explicit ZrCheckbox(const wchar_t* text, bool checked = false);

    bool IsChecked() const { return m_checked; }
    void SetChecked(bool checked) { m_checked = checked; }
    const ZrString& GetText() const { return m_text; }

    int Measure(ZrPainter& painter, int width) override;
    void Paint(ZrPainter& painter, const ZrWnd* focus) const override;
    bool CanFocus() const override { return true; }
    bool OnKey(ZrKey key) override;
    bool OnClick(int x, int y) override;

private:
    ZrString m_text;
    bool m_checked;
};
