#include "ZrToolkit/ZrCaptionedRow.h"

#include <algorithm>

#include "ZrCoreLib/ZrToolsServices.h"
#include "ZrToolkit/ZrPainter.h"

namespace {
constexpr int kCaptionGapUnits = 8;
} // namespace

ZrCaptionedRow::ZrCaptionedRow(const wchar_t* caption, ZrWnd* control, ZrRowStyle style)
    : m_caption(ZrToolsServices::Translated(caption)), m_control(control), m_style(style) {}

int ZrCaptionedRow::CaptionWidth(const ZrPainter& painter) const {
    return m_caption.IsEmpty() ? 0 : painter.TextWidth(m_caption) + painter.Scale(kCaptionGapUnits);
}

int ZrCaptionedRow::ControlOffset(const ZrPainter& painter) const {
    return m_style == ZrRowStyle::Aligned ? std::max(m_column, CaptionWidth(painter))
                                          : CaptionWidth(painter);
}

int ZrCaptionedRow::Measure(ZrPainter& painter, int width) {
    const int controlH =
        m_control ? m_control->Measure(painter, width - ControlOffset(painter)) : 0;
    return std::max(controlH, m_caption.IsEmpty() ? 0 : painter.LineHeight());
}

void ZrCaptionedRow::Arrange(ZrPainter& painter, const ZrRect& rect) {
    ZrWnd::Arrange(painter, rect);
    const int offset = ControlOffset(painter);
    if (m_control) m_control->Arrange(painter, {rect.x + offset, rect.y, rect.w - offset, rect.h});
}

void ZrCaptionedRow::Paint(ZrPainter& painter, const ZrWnd* focus) const {
    const ZrRect& r = GetRect();
    if (!m_caption.IsEmpty())
        painter.DrawText({r.x, r.y, ControlOffset(painter), r.h}, m_caption, ZrColor::Text);
    if (m_control) m_control->Paint(painter, focus);
}

void ZrCaptionedRow::CollectFocusable(std::vector<ZrWnd*>& out) {
    if (m_control) m_control->CollectFocusable(out);
}

ZrWnd* ZrCaptionedRow::HitTest(int x, int y) {
    return m_control ? m_control->HitTest(x, y) : nullptr;
}
