#include "ZrToolkit/ZrWnd.h"

#include "ZrToolkit/ZrPainter.h"

void ZrWnd::Arrange(ZrPainter&, const ZrRect& rect) {
    m_rect = rect;
}

bool ZrWnd::OnKey(ZrKey) {
    return false;
}

bool ZrWnd::OnClick(int, int) {
    return false;
}

void ZrWnd::CollectFocusable(std::vector<ZrWnd*>& out) {
    if (CanFocus()) out.push_back(this);
}

ZrWnd* ZrWnd::HitTest(int x, int y) {
    return CanFocus() && m_rect.Contains(x, y) ? this : nullptr;
}

void ZrWnd::PaintFocusMark(ZrPainter& painter, const ZrRect& r, const ZrWnd* focus) const {
    if (focus == this) painter.FrameRect(r, ZrColor::Focus, painter.Scale(2));
}
