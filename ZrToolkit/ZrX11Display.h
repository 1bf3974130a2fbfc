#pragma once

#include <memory>
#include <string>

#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>

#include "ZrToolkit/ZrColor.h"

// One connection to the X server for one modal run, with what painting needs:
// the scale of the screen's DPI, the dialog font and the palette.
class ZrX11Display {
public:
    // Null, and `why` says why in one line, without DISPLAY, when the server
    // refuses the connection or no font can be opened.
    static std::unique_ptr<ZrX11Display> Open(std::string& why);
    ~ZrX11Display();
    ZrX11Display(const ZrX11Display&) = delete;
    ZrX11Display& operator=(const ZrX11Display&) = delete;

    // Protocol errors on our connections dropped so far in this process.
    static int DroppedErrors();

    // Dots per inch: the Xft.dpi resource when set, else the screen's size
    // in pixels over its physical size, else 96.
    static double ScreenDpi(Display* display, int screen);

    Display* GetDisplay() const { return m_display; }
    int GetScreen() const { return m_screen; }
    Visual* GetVisual() const { return DefaultVisual(m_display, m_screen); }
    Colormap GetColormap() const { return DefaultColormap(m_display, m_screen); }
    int GetDepth() const { return DefaultDepth(m_display, m_screen); }
    double GetScale() const { return m_scale; }
    XftFont* GetFont() const { return m_font; }
    const XftColor& GetColor(ZrColor color) const { return m_colors[static_cast<int>(color)]; }

private:
    explicit ZrX11Display(Display* display);

    static constexpr int kColorCount = static_cast<int>(ZrColor::HighlightText) + 1;
    Display* m_display;
    int m_screen;
    double m_scale = 1.0;
    XftFont* m_font = nullptr;
    XftColor m_colors[kColorCount] = {};
    int m_allocatedColors = 0;
};
