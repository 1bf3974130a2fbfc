#include "ZrToolkit/ZrComboBox.h"

#include <algorithm>

#include "ZrCoreLib/ZrToolsServices.h"
#include "ZrToolkit/ZrPainter.h"

namespace {
constexpr int kVerticalPadUnits = 6;
constexpr int kTextPadUnits = 6;
constexpr int kArrowUnits = 18;
constexpr int kListItemPadUnits = 3;
} // namespace

int ZrComboBox::AddItem(const wchar_t* text, const wchar_t* value) {
    m_items.push_back({ZrToolsServices::Translated(text), ZrString(value)});
    return GetCount() - 1;
}

bool ZrComboBox::SelectByIndex(int index) {
    if (index < -1 || index >= GetCount()) return false;
    m_selected = index;
    return true;
}

bool ZrComboBox::SelectByValue(const wchar_t* value) {
    for (int i = 0; i < GetCount(); ++i) {
        if (m_items[i].value == value) return SelectByIndex(i);
    }
    return false;
}

ZrString ZrComboBox::GetSelectedValue() const {
    return m_selected >= 0 ? m_items[m_selected].value : ZrString();
}

void ZrComboBox::OpenList() {
    if (m_items.empty()) return;
    m_open = true;
    m_hot = std::max(m_selected, 0);
}

void ZrComboBox::CloseList(bool take) {
    if (m_open && take && m_hot >= 0) m_selected = m_hot;
    m_open = false;
    m_hot = -1;
}

void ZrComboBox::SetHotItem(int index) {
    if (m_open && index >= 0 && index < GetCount()) m_hot = index;
}

void ZrComboBox::Step(int delta, bool list) {
    if (m_items.empty()) return;
    int& current = list ? m_hot : m_selected;
    if (current < 0)
        current = 0;
    else
        current = std::clamp(current + delta, 0, GetCount() - 1);
}

bool ZrComboBox::OnKey(ZrKey key) {
    switch (key) {
    case ZrKey::Up:
    case ZrKey::Left:
        Step(-1, m_open);
        return true;
    case ZrKey::Down:
    case ZrKey::Right:
        Step(1, m_open);
        return true;
    case ZrKey::Home:
        Step(-GetCount(), m_open);
        return true;
    case ZrKey::End:
        Step(GetCount(), m_open);
        return true;
    case ZrKey::Space:
    case ZrKey::OpenList:
        if (m_open)
            CloseList(true);
        else
            OpenList();
        return true;
    case ZrKey::Enter:
        if (!m_open) return false;
        CloseList(true);
        return true;
    case ZrKey::Escape:
        if (!m_open) return false;
        CloseList(false);
        return true;
    case ZrKey::Tab:
    case ZrKey::BackTab:
        // Leaving the control takes the highlighted item, as a click would.
        CloseList(true);
        return false;
    }
    return false;
}

bool ZrComboBox::OnClick(int, int) {
    if (m_open)
        CloseList(false);
    else
        OpenList();
    return true;
}

int ZrComboBox::Measure(ZrPainter& painter, int) {
    return painter.LineHeight() + 2 * painter.Scale(kVerticalPadUnits);
}

void ZrComboBox::Paint(ZrPainter& painter, const ZrWnd* focus) const {
    const ZrRect& r = GetRect();
    painter.FillRect(r, ZrColor::Field);
    painter.FrameRect(r, ZrColor::Border, painter.Scale(1));
    const int arrowW = painter.Scale(kArrowUnits);
    const ZrRect arrow{r.Right() - arrowW, r.y, arrowW, r.h};
    painter.FillRect(arrow.Inset(painter.Scale(1)), ZrColor::Button);
    painter.DrawDownArrow(arrow.Inset(painter.Scale(5)), ZrColor::Text);
    const int pad = painter.Scale(kTextPadUnits);
    if (m_selected >= 0)
        painter.DrawText({r.x + pad, r.y, r.w - arrowW - 2 * pad, r.h}, m_items[m_selected].text,
                         ZrColor::Text);
    PaintFocusMark(painter, {r.x, r.y, r.w - arrowW, r.h}, focus);
}

int ZrComboBox::ListItemHeight(const ZrPainter& painter) const {
    return painter.LineHeight() + 2 * painter.Scale(kListItemPadUnits);
}

int ZrComboBox::ListHeight(const ZrPainter& painter) const {
    return GetCount() * ListItemHeight(painter) + 2 * painter.Scale(1);
}

int ZrComboBox::ListItemAt(const ZrPainter& painter, int y) const {
    const int index = (y - painter.Scale(1)) / ListItemHeight(painter);
    return y >= painter.Scale(1) && index < GetCount() ? index : -1;
}

void ZrComboBox::PaintList(ZrPainter& painter, int width) const {
    const ZrRect all{0, 0, width, ListHeight(painter)};
    painter.FillRect(all, ZrColor::Field);
    const int itemH = ListItemHeight(painter);
    const int border = painter.Scale(1);
    const int pad = painter.Scale(kTextPadUnits);
    for (int i = 0; i < GetCount(); ++i) {
        const ZrRect item{border, border + i * itemH, width - 2 * border, itemH};
        const bool hot = i == m_hot;
        if (hot) painter.FillRect(item, ZrColor::Highlight);
        painter.DrawText({item.x + pad, item.y, item.w - 2 * pad, item.h}, m_items[i].text,
                         hot ? ZrColor::HighlightText : ZrColor::Text);
    }
    painter.FrameRect(all, ZrColor::Border, border);
}
