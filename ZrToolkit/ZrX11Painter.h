#pragma once

#include <X11/Xft/Xft.h>

#include "ZrToolkit/ZrPainter.h"

class ZrX11Display;

// Paints on an X drawable with Xft text. Without a drawable it only measures,
// which is how the popup is laid out before its window exists.
class ZrX11Painter : public ZrPainter {
public:
    explicit ZrX11Painter(const ZrX11Display& display, Drawable target = 0);
    ~ZrX11Painter() override;
    ZrX11Painter(const ZrX11Painter&) = delete;
    ZrX11Painter& operator=(const ZrX11Painter&) = delete;

    int Scale(int units) const override;
    int TextWidth(const ZrString& text) const override;
    int LineHeight() const override;
    void FillRect(const ZrRect& r, ZrColor color) override;
    void FrameRect(const ZrRect& r, ZrColor color, int thickness) override;
    void DrawText(const ZrRect& r, const ZrString& text, ZrColor color) override;
    void DrawCheckMark(const ZrRect& r, ZrColor color) override;
    void DrawDownArrow(const ZrRect& r, ZrColor color) override;

private:
    int Width(const wchar_t* text, int length) const;

    const ZrX11Display& m_display;
    Drawable m_target;
    XftDraw* m_draw = nullptr;
    GC m_gc = nullptr;
};
