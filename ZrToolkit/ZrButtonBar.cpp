#include "ZrToolkit/ZrButtonBar.h"

#include <algorithm>

#include "ZrToolkit/ZrPainter.h"

namespace {
constexpr int kGapUnits = 8;
// Sets the buttons apart from the rows above, which they act on as a whole.
constexpr int kTopSpaceUnits = 6;
} // namespace

ZrButton* ZrButtonBar::AddButton(ZrButton* button) {
    m_buttons.emplace_back(button);
    return button;
}

int ZrButtonBar::Measure(ZrPainter& painter, int width) {
    int h = 0;
    for (auto& b : m_buttons)
        h = std::max(h, b->Measure(painter, width));
    return h + painter.Scale(kTopSpaceUnits);
}

void ZrButtonBar::Arrange(ZrPainter& painter, const ZrRect& rect) {
    ZrWnd::Arrange(painter, rect);
    // Equal widths read as one group; the widest text sets them.
    int each = 0;
    for (auto& b : m_buttons)
        each = std::max(each, b->PreferredWidth(painter));
    const int gap = painter.Scale(kGapUnits);
    const int n = static_cast<int>(m_buttons.size());
    if (n > 0) each = std::min(each, (rect.w - gap * (n - 1)) / n);
    int x = rect.Right() - n * each - (n - 1) * gap;
    const int top = painter.Scale(kTopSpaceUnits);
    for (auto& b : m_buttons) {
        b->Arrange(painter, {x, rect.y + top, each, rect.h - top});
        x += each + gap;
    }
}

void ZrButtonBar::Paint(ZrPainter& painter, const ZrWnd* focus) const {
    for (auto& b : m_buttons)
        b->Paint(painter, focus);
}

void ZrButtonBar::CollectFocusable(std::vector<ZrWnd*>& out) {
    for (auto& b : m_buttons)
        out.push_back(b.Get());
}

ZrWnd* ZrButtonBar::HitTest(int x, int y) {
    for (auto& b : m_buttons)
        if (ZrWnd* hit = b->HitTest(x, y)) return hit;
    return nullptr;
}
