#include "ZrToolkit/ZrButton.h"

#include <algorithm>
#include <utility>

#include "ZrCoreLib/ZrToolsServices.h"
#include "ZrToolkit/ZrPainter.h"

namespace {
constexpr int kMinWidthUnits = 80;
constexpr int kTextPadUnits = 12;
constexpr int kVerticalPadUnits = 6;
} // namespace

ZrButton::ZrButton(const wchar_t* text, std::function<void()> action)
    : m_text(ZrToolsServices::Translated(text)), m_action(std::move(action)) {}

void ZrButton::Press() {
    if (m_action) m_action();
}

int ZrButton::PreferredWidth(ZrPainter& painter) const {
    return std::max(painter.Scale(kMinWidthUnits),
                    painter.TextWidth(m_text) + 2 * painter.Scale(kTextPadUnits));
}

int ZrButton::Measure(ZrPainter& painter, int) {
    return painter.LineHeight() + 2 * painter.Scale(kVerticalPadUnits);
}

void ZrButton::Paint(ZrPainter& painter, const ZrWnd* focus) const {
    const ZrRect& r = GetRect();
    painter.FillRect(r, ZrColor::Button);
    painter.FrameRect(r, ZrColor::Border, painter.Scale(1));
    const int textW = std::min(painter.TextWidth(m_text), r.w - 2 * painter.Scale(4));
    painter.DrawText({r.x + (r.w - textW) / 2, r.y, textW, r.h}, m_text, ZrColor::Text);
    PaintFocusMark(painter, r.Inset(painter.Scale(2)), focus);
}

bool ZrButton::OnKey(ZrKey key) {
    if (key != ZrKey::Space && key != ZrKey::Enter) return false;
    Press();
    return true;
}

bool ZrButton::OnClick(int, int) {
    Press();
    return true;
}
