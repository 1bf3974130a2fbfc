#include "ZrToolkit/ZrPopupWnd.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "ZrToolkit/ZrComboBox.h"
#include "ZrToolkit/ZrPainter.h"
#include "ZrToolkit/ZrX11Display.h"
#include "ZrToolkit/ZrX11PopupRunner.h"

namespace {
constexpr int kDefaultWidthUnits = 320;
constexpr int kMarginUnits = 12;
} // namespace

ZrPopupWnd::ZrPopupWnd() : m_layout(new ZrVerticalLayout) {}

ZrPopupWnd::~ZrPopupWnd() = default;

ZrString ZrPopupWnd::GetTitle() const {
    return ZrString();
}

int ZrPopupWnd::GetWidthUnits() const {
    return kDefaultWidthUnits;
}

void ZrPopupWnd::Build() {
    if (m_built) return;
    m_built = true;
    OnBuild(*m_layout);
    std::vector<ZrWnd*> focusable;
    m_layout->CollectFocusable(focusable);
    m_focus = focusable.empty() ? nullptr : focusable.front();
}

ZrPopupWnd::Result ZrPopupWnd::RunModal() {
    Build();
    m_result = kCancel;
    std::string why;
    auto display = ZrX11Display::Open(why);
    if (!display) {
        const std::string title = GetTitle().ToUtf8();
        std::fprintf(stderr, "%s; the window%s%s%s was not shown and counts as cancelled\n",
                     why.c_str(), title.empty() ? "" : " \"", title.c_str(),
                     title.empty() ? "" : "\"");
        return kCancel;
    }
    m_running = true;
    ZrX11PopupRunner(*display, *this).Run();
    m_running = false;
    return m_result;
}

void ZrPopupWnd::EndModal(Result result) {
    m_result = result;
    m_running = false;
}

ZrComboBox* ZrPopupWnd::GetOpenCombo() const {
    auto* combo = dynamic_cast<ZrComboBox*>(m_focus);
    return combo && combo->IsListOpen() ? combo : nullptr;
}

void ZrPopupWnd::MoveFocus(int delta) {
    std::vector<ZrWnd*> focusable;
    m_layout->CollectFocusable(focusable);
    if (focusable.empty()) return;
    const int n = static_cast<int>(focusable.size());
    const auto it = std::find(focusable.begin(), focusable.end(), m_focus);
    const int at =
        it == focusable.end() ? (delta > 0 ? -1 : 0) : static_cast<int>(it - focusable.begin());
    m_focus = focusable[((at + delta) % n + n) % n];
}

void ZrPopupWnd::HandleKey(ZrKey key) {
    if (m_focus && m_focus->OnKey(key)) return;
    switch (key) {
    case ZrKey::Tab:
    case ZrKey::Down:
    case ZrKey::Right:
        MoveFocus(1);
        break;
    case ZrKey::BackTab:
    case ZrKey::Up:
    case ZrKey::Left:
        MoveFocus(-1);
        break;
    case ZrKey::Enter:
        OnEnter();
        break;
    case ZrKey::Escape:
        OnClose();
        break;
    default:
        break;
    }
}

void ZrPopupWnd::HandleClick(int x, int y) {
    // A click anywhere while a list is open only closes the list, as it
    // would when the click lands outside it.
    if (ZrComboBox* open = GetOpenCombo()) {
        open->CloseList(false);
        return;
    }
    if (ZrWnd* hit = m_layout->HitTest(x, y)) {
        m_focus = hit;
        hit->OnClick(x, y);
    }
}

void ZrPopupWnd::HandleListClick(int index) {
    if (ZrComboBox* open = GetOpenCombo()) {
        open->SetHotItem(index);
        open->CloseList(index >= 0);
    }
}

void ZrPopupWnd::HandleListHover(int index) {
    if (ZrComboBox* open = GetOpenCombo()) open->SetHotItem(index);
}

int ZrPopupWnd::Arrange(ZrPainter& painter) {
    const int margin = painter.Scale(kMarginUnits);
    const int width = painter.Scale(GetWidthUnits()) - 2 * margin;
    const int height = m_layout->Measure(painter, width);
    m_layout->Arrange(painter, {margin, margin, width, height});
    return height + 2 * margin;
}

void ZrPopupWnd::Paint(ZrPainter& painter) const {
    m_layout->Paint(painter, m_focus);
}

void ZrPopupWnd::OnEnter() {}

void ZrPopupWnd::OnClose() {
    EndModal(kCancel);
}
