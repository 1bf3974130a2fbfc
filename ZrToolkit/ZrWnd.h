#pragma once

#include <vector>

#include "ZrToolkit/ZrKey.h"
#include "ZrToolkit/ZrRect.h"

class ZrPainter;

// A control or container inside a popup window. Controls own no window-system
// resources: the popup lays them out, routes keys and clicks to them and asks
// them to paint on its painter. Windows are reference counted through
// ZrTypedWndPtr and start with no references.
class ZrWnd {
public:
    ZrWnd() = default;
    virtual ~ZrWnd() = default;
    ZrWnd(const ZrWnd&) = delete;
    ZrWnd& operator=(const ZrWnd&) = delete;

    void AddRef() { ++m_refs; }
    void Release() {
        if (--m_refs == 0) delete this;
    }

    // Height in device pixels that the window needs at `width`.
    virtual int Measure(ZrPainter& painter, int width) = 0;
    // Places the window; containers place their children.
    virtual void Arrange(ZrPainter& painter, const ZrRect& rect);
    // `focus` is the focused control, for the focus mark.
    virtual void Paint(ZrPainter& painter, const ZrWnd* focus) const = 0;

    virtual bool CanFocus() const { return false; }
    // True when the key was used.
    virtual bool OnKey(ZrKey key);
    // A left click at (x, y), inside GetRect(); true when it was used.
    virtual bool OnClick(int x, int y);
    // Appends the focusable windows in tab order.
    virtual void CollectFocusable(std::vector<ZrWnd*>& out);
    // The focusable window at (x, y), or null.
    virtual ZrWnd* HitTest(int x, int y);

    const ZrRect& GetRect() const { return m_rect; }

protected:
    // Draws the focus mark around `r` when this window has the focus.
    void PaintFocusMark(ZrPainter& painter, const ZrRect& r, const ZrWnd* focus) const;

private:
    ZrRect m_rect;
    int m_refs = 0;
};
