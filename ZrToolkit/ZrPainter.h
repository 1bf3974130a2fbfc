#pragma once

#include "ZrCoreLib/ZrString.h"
#include "ZrToolkit/ZrColor.h"
#include "ZrToolkit/ZrRect.h"

// What controls need to measure and draw themselves. Sizes are asked in
// toolkit units (pixels at 96 DPI) and come back in device pixels, so layout
// code is written once for every screen density. The X11 painter draws on a
// pixmap; tests measure with a fake that draws nothing.
class ZrPainter {
public:
    virtual ~ZrPainter() = default;

    // Toolkit units to device pixels (never less than 1 for a positive size).
    virtual int Scale(int units) const = 0;
    virtual int TextWidth(const ZrString& text) const = 0;
    // Height of one line of text: the font's ascent plus descent.
    virtual int LineHeight() const = 0;

    virtual void FillRect(const ZrRect& r, ZrColor color) = 0;
    // An outline `thickness` pixels wide inside `r`.
    virtual void FrameRect(const ZrRect& r, ZrColor color, int thickness) = 0;
    // One line, left-aligned and vertically centred in `r`; text too long for
    // `r` ends in an ellipsis and nothing is drawn outside `r`.
    virtual void DrawText(const ZrRect& r, const ZrString& text, ZrColor color) = 0;
    virtual void DrawCheckMark(const ZrRect& r, ZrColor color) = 0;
    virtual void DrawDownArrow(const ZrRect& r, ZrColor color) = 0;
};
