#pragma once

#include <functional>

#include "ZrCoreLib/ZrString.h"
#include "ZrToolkit/ZrWnd.h"

// A push button: a click, Space or Enter while focused runs its action.
class ZrButton : public ZrWnd {
public:
    // The text passes through the tools library's translation.
    ZrButton(const wchar_t* text, std::function<void()> action);

    const ZrString& GetText() const { return m_text; }
    void Press();
    // The width the button asks for in a button bar.
    int PreferredWidth(ZrPainter& painter) const;

    int Measure(ZrPainter& painter, int width) override;
    void Paint(ZrPainter& painter, const ZrWnd* focus) const override;
    bool CanFocus() const override { return true; }
    bool OnKey(ZrKey key) override;
    bool OnClick(int x, int y) override;

private:
    ZrString m_text;
    std::function<void()> m_action;
};
