#pragma once

#include <X11/Xlib.h>

class ZrComboBox;
class ZrPopupWnd;
class ZrX11Display;

// The X11 side of one modal run: creates the popup's window, feeds its events
// to the popup as keys and clicks, repaints after each, shows an open combo
// list in an override-redirect window over the rows below it, and destroys
// every window it made before returning.
class ZrX11PopupRunner {
public:
    ZrX11PopupRunner(ZrX11Display& display, ZrPopupWnd& popup);
    ~ZrX11PopupRunner();
    ZrX11PopupRunner(const ZrX11PopupRunner&) = delete;
    ZrX11PopupRunner& operator=(const ZrX11PopupRunner&) = delete;

    // Returns when the popup has ended its modal run.
    void Run();

private:
    void CreateMainWindow();
    void Dispatch(XEvent& event);
    void OnKeyPress(XKeyEvent& event);
    void SyncList();
    // Paints into a fresh pixmap and makes it the window's background, so
    // the server can redraw exposed parts without asking.
    void Show(Window window, int width, int height, ZrComboBox* list);

    ZrX11Display& m_display;
    ZrPopupWnd& m_popup;
    Window m_window = 0;
    Window m_list = 0;
    int m_width = 0;
    int m_height = 0;
    Atom m_deleteWindow = 0;
    bool m_focusTaken = false;
};
