#include "ZrToolkit/ZrVerticalLayout.h"

#include <algorithm>

#include "ZrToolkit/ZrCaptionedRow.h"
#include "ZrToolkit/ZrPainter.h"

namespace {
constexpr int kRowGapUnits = 8;
} // namespace

ZrWnd* ZrVerticalLayout::AddRow(ZrWnd* wnd) {
    m_rows.emplace_back(wnd);
    return wnd;
}

ZrCaptionedRow* ZrVerticalLayout::AddCaptionedRow(const wchar_t* caption, ZrWnd* control,
                                                  ZrRowStyle style) {
    auto* row = new ZrCaptionedRow(caption, control, style);
    AddRow(row);
    return row;
}

void ZrVerticalLayout::AlignCaptions(const ZrPainter& painter) {
    int column = 0;
    std::vector<ZrCaptionedRow*> aligned;
    for (auto& row : m_rows) {
        auto* captioned = dynamic_cast<ZrCaptionedRow*>(row.Get());
        if (captioned && captioned->GetStyle() == ZrRowStyle::Aligned) {
            aligned.push_back(captioned);
            column = std::max(column, captioned->CaptionWidth(painter));
        }
    }
    for (ZrCaptionedRow* row : aligned)
        row->SetCaptionColumn(column);
}

int ZrVerticalLayout::Measure(ZrPainter& painter, int width) {
    AlignCaptions(painter);
    int h = 0;
    for (auto& row : m_rows)
        h += row->Measure(painter, width);
    if (m_rows.size() > 1) h += painter.Scale(kRowGapUnits) * static_cast<int>(m_rows.size() - 1);
    return h;
}

void ZrVerticalLayout::Arrange(ZrPainter& painter, const ZrRect& rect) {
    ZrWnd::Arrange(painter, rect);
    AlignCaptions(painter);
    int y = rect.y;
    for (auto& row : m_rows) {
        const int h = row->Measure(painter, rect.w);
        row->Arrange(painter, {rect.x, y, rect.w, h});
        y += h + painter.Scale(kRowGapUnits);
    }
}

void ZrVerticalLayout::Paint(ZrPainter& painter, const ZrWnd* focus) const {
    for (auto& row : m_rows)
        row->Paint(painter, focus);
}

void ZrVerticalLayout::CollectFocusable(std::vector<ZrWnd*>& out) {
    for (auto& row : m_rows)
        row->CollectFocusable(out);
}

ZrWnd* ZrVerticalLayout::HitTest(int x, int y) {
    for (auto& row : m_rows)
        if (ZrWnd* hit = row->HitTest(x, y)) return hit;
    return nullptr;
}
