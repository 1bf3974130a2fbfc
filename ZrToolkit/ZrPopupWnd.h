#pragma once

#include <vector>

#include "ZrCoreLib/ZrString.h"
#include "ZrToolkit/ZrKey.h"
#include "ZrToolkit/ZrTypedWndPtr.h"
#include "ZrToolkit/ZrVerticalLayout.h"

class ZrComboBox;
class ZrPainter;

// A modal popup window: a title, a vertical layout of rows inside a margin,
// keyboard focus with a visible mark, and a modal run that ends with OK or
// Cancel. The class holds the dialog's logic only (building, focus, keys,
// clicks, layout); the X11 runner opens the window, translates events into
// the Handle* calls and paints through a painter. Tests drive the same calls
// without a display.
class ZrPopupWnd {
public:
    enum Result { kCancel = 0, kOK = 1 };

    ZrPopupWnd();
    virtual ~ZrPopupWnd();
    ZrPopupWnd(const ZrPopupWnd&) = delete;
    ZrPopupWnd& operator=(const ZrPopupWnd&) = delete;

    // Empty by default. Derived windows pass their title through the tools
    // library's translation.
    virtual ZrString GetTitle() const;
    // The window's width in toolkit units (pixels at 96 DPI).
    virtual int GetWidthUnits() const;

    // Shows the window and returns when it closes. Without a usable display
    // it writes one line to standard error and answers kCancel.
    Result RunModal();

    // Builds the controls on first call; RunModal calls it.
    void Build();
    bool IsRunning() const { return m_running; }
    Result GetResult() const { return m_result; }
    void EndModal(Result result);

    // Input, in window pixels.
    void HandleKey(ZrKey key);
    void HandleClick(int x, int y);
    // The window manager's close button.
    void HandleClose() { OnClose(); }
    // A click on, or the pointer over, item `index` of the open list.
    void HandleListClick(int index);
    void HandleListHover(int index);

    // Lays the controls out at the window's width; answers the window height.
    int Arrange(ZrPainter& painter);
    void Paint(ZrPainter& painter) const;

    ZrVerticalLayout& GetLayout() { return *m_layout; }
    ZrWnd* GetFocus() const { return m_focus; }
    void SetFocus(ZrWnd* wnd) { m_focus = wnd; }
    // The focused combo box while its list is open, else null.
    ZrComboBox* GetOpenCombo() const;

protected:
    // Fills the layout; called once, by Build.
    virtual void OnBuild(ZrVerticalLayout& layout) = 0;
    virtual void OnEnter();
    virtual void OnClose();

private:
    void MoveFocus(int delta);

    ZrTypedWndPtr<ZrVerticalLayout> m_layout;
    ZrWnd* m_focus = nullptr;
    bool m_built = false;
    bool m_running = false;
    Result m_result = kCancel;
};
