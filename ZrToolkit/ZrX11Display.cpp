#include "ZrToolkit/ZrX11Display.h"

#include <X11/Xresource.h>
#include <X11/extensions/Xrender.h>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>

namespace {
// Dialog text is 9 points, 12 pixels at 96 DPI.
constexpr double kFontPixelsAt96Dpi = 12.0;
constexpr double kBaseDpi = 96.0;
// Below 1 text gets unreadable; above 4 no screen needs it.
constexpr double kMinScale = 1.0;
constexpr double kMaxScale = 4.0;

struct Rgb {
    unsigned short r, g, b;
};
// In ZrColor order.
constexpr Rgb kPalette[] = {
    {0xefef, 0xefef, 0xefef}, // Window
    {0xffff, 0xffff, 0xffff}, // Field
    {0xe0e0, 0xe0e0, 0xe0e0}, // Button
    {0x8080, 0x8080, 0x8080}, // Border
    {0x1a1a, 0x1a1a, 0x1a1a}, // Text
    {0x3030, 0x7070, 0xd0d0}, // Focus
    {0x3030, 0x7070, 0xd0d0}, // Highlight
    {0xffff, 0xffff, 0xffff}, // HighlightText
};
// Xlib's default answer to a protocol error is to print it and exit, which
// inside a player would end the player over one stale window id of a dialog.
// While our connections are open, errors on them are counted and dropped;
// errors on the player's own connections still reach its handler.
std::mutex g_handlerMutex;
int g_openDisplays = 0;
XErrorHandler g_previousHandler = nullptr;
std::atomic<Display*> g_displays[8] = {};
std::atomic<int> g_droppedErrors{0};

int DropOwnErrors(Display* display, XErrorEvent* error) {
    for (const std::atomic<Display*>& ours : g_displays) {
        if (ours.load() == display) {
            ++g_droppedErrors;
            return 0;
        }
    }
    return g_previousHandler ? g_previousHandler(display, error) : 0;
}

void AdoptErrors(Display* display) {
    std::lock_guard<std::mutex> lock(g_handlerMutex);
    for (std::atomic<Display*>& slot : g_displays) {
        if (!slot.load()) {
            slot.store(display);
            break;
        }
    }
    if (g_openDisplays++ == 0) g_previousHandler = XSetErrorHandler(DropOwnErrors);
}

void ReleaseErrors(Display* display) {
    std::lock_guard<std::mutex> lock(g_handlerMutex);
    for (std::atomic<Display*>& slot : g_displays)
        if (slot.load() == display) slot.store(nullptr);
    if (--g_openDisplays == 0) XSetErrorHandler(g_previousHandler);
}
} // namespace

int ZrX11Display::DroppedErrors() {
    return g_droppedErrors.load();
}

std::unique_ptr<ZrX11Display> ZrX11Display::Open(std::string& why) {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) {
        why = "No X display: DISPLAY is not set";
        return nullptr;
    }
    Display* display = XOpenDisplay(name);
    if (!display) {
        why = std::string("Cannot open the X display \"") + name + "\"";
        return nullptr;
    }
    std::unique_ptr<ZrX11Display> result(new ZrX11Display(display));
    if (!result->m_font) {
        why = std::string("No font for dialogs on the X display \"") + name + "\"";
        return nullptr;
    }
    return result;
}

ZrX11Display::ZrX11Display(Display* display)
    : m_display(display), m_screen(DefaultScreen(display)) {
    AdoptErrors(display);
    // Xft frees its glyph sets through Render when the display closes. Close
    // hooks run newest first, so Render must know the display before Xft
    // does; otherwise Xft's frees bring back Render's record of the closing
    // display, and the next connection opened at the same address inherits it
    // and sends requests with a stale extension opcode.
    int renderEvent = 0;
    int renderError = 0;
    XRenderQueryExtension(display, &renderEvent, &renderError);
    m_scale = std::clamp(ScreenDpi(display, m_screen) / kBaseDpi, kMinScale, kMaxScale);
    m_font = XftFontOpen(display, m_screen, XFT_FAMILY, XftTypeString, "sans-serif", XFT_PIXEL_SIZE,
                         XftTypeDouble, kFontPixelsAt96Dpi * m_scale, nullptr);
    for (const Rgb& rgb : kPalette) {
        const XRenderColor rc{rgb.r, rgb.g, rgb.b, 0xffff};
        if (!XftColorAllocValue(display, GetVisual(), GetColormap(), &rc,
                                &m_colors[m_allocatedColors]))
            break;
        ++m_allocatedColors;
    }
}

ZrX11Display::~ZrX11Display() {
    for (int i = 0; i < m_allocatedColors; ++i)
        XftColorFree(m_display, GetVisual(), GetColormap(), &m_colors[i]);
    if (m_font) XftFontClose(m_display, m_font);
    XSync(m_display, False); // errors still in flight are ours to drop
    ReleaseErrors(m_display);
    XCloseDisplay(m_display);
}

double ZrX11Display::ScreenDpi(Display* display, int screen) {
    if (const char* resources = XResourceManagerString(display)) {
        XrmInitialize();
        if (XrmDatabase db = XrmGetStringDatabase(resources)) {
            char* type = nullptr;
            XrmValue value{};
            double dpi = 0;
            if (XrmGetResource(db, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr)
                dpi = std::atof(value.addr);
            XrmDestroyDatabase(db);
            if (dpi > 0) return dpi;
        }
    }
    const int mm = DisplayWidthMM(display, screen);
    if (mm > 0) return DisplayWidth(display, screen) * 25.4 / mm;
    return kBaseDpi;
}
