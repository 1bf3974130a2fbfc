#pragma once
// Measures text as 7 units a character and a line as 15 units, at any scale,
// and draws nothing: layout and input logic without a display.

#include "ZrToolkit/ZrPainter.h"

class FakePainter : public ZrPainter {
public:
    explicit FakePainter(int scale = 1) : m_scale(scale) {}
    int Scale(int units) const override { return units * m_scale; }
    int TextWidth(const ZrString& text) const override { return Scale(7) * text.GetLength(); }
    int LineHeight() const override { return Scale(15); }
    void FillRect(const ZrRect&, ZrColor) override {}
    void FrameRect(const ZrRect&, ZrColor, int) override {}
    void DrawText(const ZrRect&, const ZrString&, ZrColor) override {}
    void DrawCheckMark(const ZrRect&, ZrColor) override {}
    void DrawDownArrow(const ZrRect&, ZrColor) override {}

private:
    int m_scale;
};
