#pragma once

#include <vector>

#include "ZrToolkit/ZrButton.h"
#include "ZrToolkit/ZrTypedWndPtr.h"

// A row of buttons aligned to the right edge, in the order added.
class ZrButtonBar : public ZrWnd {
public:
    ZrButton* AddButton(ZrButton* button);

    int Measure(ZrPainter& painter, int width) override;
    void Arrange(ZrPainter& painter, const ZrRect& rect) override;
    void Paint(ZrPainter& painter, const ZrWnd* focus) const override;
    void CollectFocusable(std::vector<ZrWnd*>& out) override;
    ZrWnd* HitTest(int x, int y) override;

private:
    std::vector<ZrTypedWndPtr<ZrButton>> m_buttons;
};
