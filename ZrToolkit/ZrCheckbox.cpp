#include "ZrToolkit/ZrCheckbox.h"

#include <algorithm>

#include "ZrCoreLib/ZrToolsServices.h"
#include "ZrToolkit/ZrPainter.h"

namespace {
constexpr int kBoxUnits = 14;
constexpr int kPadUnits = 4;
} // namespace

ZrCheckbox::ZrCheckbox(const wchar_t* text, bool checked)
    : m_text(ZrToolsServices::Translated(text)), m_checked(checked) {}

int ZrCheckbox::Measure(ZrPainter& painter, int) {
    return std::max(painter.LineHeight(), painter.Scale(kBoxUnits)) + 2 * painter.Scale(kPadUnits);
}

void ZrCheckbox::Paint(ZrPainter& painter, const ZrWnd* focus) const {
    const ZrRect& r = GetRect();
    const int box = painter.Scale(kBoxUnits);
    const int pad = painter.Scale(kPadUnits);
    const ZrRect boxRect{r.x + pad, r.y + (r.h - box) / 2, box, box};
    painter.FillRect(boxRect, ZrColor::Field);
    painter.FrameRect(boxRect, ZrColor::Border, painter.Scale(1));
    if (m_checked) painter.DrawCheckMark(boxRect.Inset(painter.Scale(3)), ZrColor::Text);
    const int textX = boxRect.Right() + pad * 2;
    const int textW = std::min(painter.TextWidth(m_text) + 2 * pad, r.Right() - textX);
    painter.DrawText({textX, r.y, textW, r.h}, m_text, ZrColor::Text);
    PaintFocusMark(painter, {r.x, r.y, textX + textW - r.x, r.h}, focus);
}

bool ZrCheckbox::OnKey(ZrKey key) {
    if (key != ZrKey::Space) return false;
    m_checked = !m_checked;
    return true;
}

bool ZrCheckbox::OnClick(int, int) {
    m_checked = !m_checked;
    return true;
}
