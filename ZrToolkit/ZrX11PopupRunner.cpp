#include "ZrToolkit/ZrX11PopupRunner.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <optional>
#include <string>

#include "ZrToolkit/ZrComboBox.h"
#include "ZrToolkit/ZrPopupWnd.h"
#include "ZrToolkit/ZrX11Display.h"
#include "ZrToolkit/ZrX11Painter.h"

namespace {

std::optional<ZrKey> KeyOf(const XKeyEvent& event, KeySym sym) {
    const bool shift = event.state & ShiftMask;
    const bool alt = event.state & Mod1Mask;
    switch (sym) {
    case XK_Tab:
        return shift ? ZrKey::BackTab : ZrKey::Tab;
    case XK_ISO_Left_Tab:
        return ZrKey::BackTab;
    case XK_Up:
    case XK_KP_Up:
        return alt ? ZrKey::OpenList : ZrKey::Up;
    case XK_Down:
    case XK_KP_Down:
        return alt ? ZrKey::OpenList : ZrKey::Down;
    case XK_Left:
    case XK_KP_Left:
        return ZrKey::Left;
    case XK_Right:
    case XK_KP_Right:
        return ZrKey::Right;
    case XK_Home:
    case XK_KP_Home:
        return ZrKey::Home;
    case XK_End:
    case XK_KP_End:
        return ZrKey::End;
    case XK_space:
        return ZrKey::Space;
    case XK_Return:
    case XK_KP_Enter:
        return ZrKey::Enter;
    case XK_Escape:
        return ZrKey::Escape;
    case XK_F4:
        return ZrKey::OpenList;
    default:
        return std::nullopt;
    }
}

} // namespace

ZrX11PopupRunner::ZrX11PopupRunner(ZrX11Display& display, ZrPopupWnd& popup)
    : m_display(display), m_popup(popup) {}

ZrX11PopupRunner::~ZrX11PopupRunner() {
    Display* dpy = m_display.GetDisplay();
    if (m_list) XDestroyWindow(dpy, m_list);
    if (m_window) XDestroyWindow(dpy, m_window);
    XSync(dpy, False);
}

void ZrX11PopupRunner::CreateMainWindow() {
    Display* dpy = m_display.GetDisplay();
    const int screen = m_display.GetScreen();
    {
        ZrX11Painter measure(m_display);
        m_height = m_popup.Arrange(measure);
        m_width = measure.Scale(m_popup.GetWidthUnits());
    }
    const int x = (DisplayWidth(dpy, screen) - m_width) / 2;
    const int y = (DisplayHeight(dpy, screen) - m_height) / 2;
    XSetWindowAttributes attributes{};
    attributes.event_mask = KeyPressMask | ButtonPressMask | StructureNotifyMask | ExposureMask;
    attributes.background_pixel = m_display.GetColor(ZrColor::Window).pixel;
    m_window = XCreateWindow(dpy, RootWindow(dpy, screen), x < 0 ? 0 : x, y < 0 ? 0 : y, m_width,
                             m_height, 0, CopyFromParent, InputOutput, CopyFromParent,
                             CWEventMask | CWBackPixel, &attributes);

    // A fixed size: the layout is made for this width.
    XSizeHints* hints = XAllocSizeHints();
    hints->flags = PPosition | PMinSize | PMaxSize;
    hints->x = x;
    hints->y = y;
    hints->min_width = hints->max_width = m_width;
    hints->min_height = hints->max_height = m_height;
    XSetWMNormalHints(dpy, m_window, hints);
    XFree(hints);

    const std::string title = m_popup.GetTitle().ToUtf8();
    XStoreName(dpy, m_window, m_popup.GetTitle().ToLatin1().c_str());
    XChangeProperty(dpy, m_window, XInternAtom(dpy, "_NET_WM_NAME", False),
                    XInternAtom(dpy, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()),
                    static_cast<int>(title.size()));
    Atom dialogType = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    XChangeProperty(dpy, m_window, XInternAtom(dpy, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&dialogType), 1);
    m_deleteWindow = XInternAtom(dpy, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(dpy, m_window, &m_deleteWindow, 1);

    Show(m_window, m_width, m_height, nullptr);
    XMapRaised(dpy, m_window);
}

void ZrX11PopupRunner::Run() {
    CreateMainWindow();
    XEvent event;
    while (m_popup.IsRunning()) {
        XNextEvent(m_display.GetDisplay(), &event);
        Dispatch(event);
        if (!m_popup.IsRunning()) break;
        SyncList();
        Show(m_window, m_width, m_height, nullptr);
    }
}

void ZrX11PopupRunner::Dispatch(XEvent& event) {
    switch (event.type) {
    case Expose:
        // Without a window manager nobody else gives the dialog the focus.
        // Only a viewable window may take it, and a window manager's frame
        // can still be unmapped when the window itself is, so the first
        // exposure is the earliest safe moment.
        if (event.xexpose.window == m_window && !m_focusTaken) {
            XSetInputFocus(m_display.GetDisplay(), m_window, RevertToParent, CurrentTime);
            m_focusTaken = true;
        }
        break;
    case DestroyNotify:
        // Destroyed from outside (xkill, a session ending): nothing left to
        // destroy, and the run counts as cancelled.
        if (event.xdestroywindow.window == m_window) {
            m_window = 0;
            m_popup.EndModal(ZrPopupWnd::kCancel);
        }
        break;
    case KeyPress:
        OnKeyPress(event.xkey);
        break;
    case ButtonPress:
        if (event.xbutton.button != Button1) break;
        if (event.xbutton.window == m_list) {
            ZrX11Painter measure(m_display);
            if (ZrComboBox* open = m_popup.GetOpenCombo())
                m_popup.HandleListClick(open->ListItemAt(measure, event.xbutton.y));
        } else {
            m_popup.HandleClick(event.xbutton.x, event.xbutton.y);
        }
        break;
    case MotionNotify:
        if (event.xmotion.window == m_list) {
            ZrX11Painter measure(m_display);
            if (ZrComboBox* open = m_popup.GetOpenCombo())
                m_popup.HandleListHover(open->ListItemAt(measure, event.xmotion.y));
        }
        break;
    case ClientMessage:
        if (event.xclient.window == m_window && event.xclient.format == 32 &&
            static_cast<Atom>(event.xclient.data.l[0]) == m_deleteWindow)
            m_popup.HandleClose();
        break;
    default:
        break;
    }
}

void ZrX11PopupRunner::OnKeyPress(XKeyEvent& event) {
    char buffer[8];
    KeySym sym = NoSymbol;
    XLookupString(&event, buffer, sizeof buffer, &sym, nullptr);
    if (const std::optional<ZrKey> key = KeyOf(event, sym)) m_popup.HandleKey(*key);
}

void ZrX11PopupRunner::SyncList() {
    Display* dpy = m_display.GetDisplay();
    ZrComboBox* open = m_popup.GetOpenCombo();
    if (!open) {
        if (m_list) XDestroyWindow(dpy, m_list);
        m_list = 0;
        return;
    }
    ZrX11Painter measure(m_display);
    const ZrRect& combo = open->GetRect();
    const int height = open->ListHeight(measure);
    if (!m_list) {
        const int screen = m_display.GetScreen();
        int x = 0;
        int y = 0;
        Window child;
        XTranslateCoordinates(dpy, m_window, RootWindow(dpy, screen), combo.x, combo.Bottom(), &x,
                              &y, &child);
        // Below the box, or above it when the screen ends first.
        if (y + height > DisplayHeight(dpy, screen)) y -= combo.h + height;
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.save_under = True;
        attributes.event_mask = ButtonPressMask | PointerMotionMask;
        attributes.background_pixel = m_display.GetColor(ZrColor::Field).pixel;
        m_list = XCreateWindow(dpy, RootWindow(dpy, screen), x, y, combo.w, height, 0,
                               CopyFromParent, InputOutput, CopyFromParent,
                               CWOverrideRedirect | CWSaveUnder | CWEventMask | CWBackPixel,
                               &attributes);
        XSetTransientForHint(dpy, m_list, m_window);
        Show(m_list, combo.w, height, open);
        XMapRaised(dpy, m_list);
        return;
    }
    Show(m_list, combo.w, height, open);
}

void ZrX11PopupRunner::Show(Window window, int width, int height, ZrComboBox* list) {
    Display* dpy = m_display.GetDisplay();
    const Pixmap pixmap = XCreatePixmap(dpy, window, width, height, m_display.GetDepth());
    {
        ZrX11Painter painter(m_display, pixmap);
        if (list) {
            list->PaintList(painter, width);
        } else {
            painter.FillRect({0, 0, width, height}, ZrColor::Window);
            m_popup.Paint(painter);
        }
    }
    XSetWindowBackgroundPixmap(dpy, window, pixmap);
    XFreePixmap(dpy, pixmap);
    XClearWindow(dpy, window);
    XFlush(dpy);
}
