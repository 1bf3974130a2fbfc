#include "ZrToolkit/ZrX11Painter.h"

#include <cmath>

#include "ZrToolkit/ZrX11Display.h"

static_assert(sizeof(wchar_t) == sizeof(FcChar32), "ZrString characters go to Xft as UTF-32");

ZrX11Painter::ZrX11Painter(const ZrX11Display& display, Drawable target)
    : m_display(display), m_target(target) {
    if (!target) return;
    m_draw =
        XftDrawCreate(display.GetDisplay(), target, display.GetVisual(), display.GetColormap());
    m_gc = XCreateGC(display.GetDisplay(), target, 0, nullptr);
}

ZrX11Painter::~ZrX11Painter() {
    if (m_draw) XftDrawDestroy(m_draw);
    if (m_gc) XFreeGC(m_display.GetDisplay(), m_gc);
}

int ZrX11Painter::Scale(int units) const {
    if (units <= 0) return units;
    const int px = static_cast<int>(std::lround(units * m_display.GetScale()));
    return px < 1 ? 1 : px;
}

int ZrX11Painter::Width(const wchar_t* text, int length) const {
    XGlyphInfo extents{};
    XftTextExtents32(m_display.GetDisplay(), m_display.GetFont(),
                     reinterpret_cast<const FcChar32*>(text), length, &extents);
    return extents.xOff;
}

int ZrX11Painter::TextWidth(const ZrString& text) const {
    return Width(text.c_str(), text.GetLength());
}

int ZrX11Painter::LineHeight() const {
    return m_display.GetFont()->ascent + m_display.GetFont()->descent;
}

void ZrX11Painter::FillRect(const ZrRect& r, ZrColor color) {
    if (m_draw && r.w > 0 && r.h > 0)
        XftDrawRect(m_draw, &m_display.GetColor(color), r.x, r.y, r.w, r.h);
}

void ZrX11Painter::FrameRect(const ZrRect& r, ZrColor color, int t) {
    FillRect({r.x, r.y, r.w, t}, color);
    FillRect({r.x, r.Bottom() - t, r.w, t}, color);
    FillRect({r.x, r.y + t, t, r.h - 2 * t}, color);
    FillRect({r.Right() - t, r.y + t, t, r.h - 2 * t}, color);
}

void ZrX11Painter::DrawText(const ZrRect& r, const ZrString& text, ZrColor color) {
    if (!m_draw || r.w <= 0 || r.h <= 0 || text.IsEmpty()) return;
    ZrString shown = text;
    if (TextWidth(text) > r.w) {
        // Keep as many characters as fit before the ellipsis.
        static const wchar_t kEllipsis[] = L"\u2026";
        const int room = r.w - Width(kEllipsis, 1);
        int n = text.GetLength();
        while (n > 0 && Width(text.c_str(), n) > room)
            --n;
        shown = text.Left(n) + kEllipsis;
    }
    XRectangle clip{static_cast<short>(r.x), static_cast<short>(r.y),
                    static_cast<unsigned short>(r.w), static_cast<unsigned short>(r.h)};
    XftDrawSetClipRectangles(m_draw, 0, 0, &clip, 1);
    XftFont* font = m_display.GetFont();
    const int baseline = r.y + (r.h - (font->ascent + font->descent)) / 2 + font->ascent;
    XftDrawString32(m_draw, &m_display.GetColor(color), font, r.x, baseline,
                    reinterpret_cast<const FcChar32*>(shown.c_str()), shown.GetLength());
    XftDrawSetClip(m_draw, nullptr);
}

void ZrX11Painter::DrawCheckMark(const ZrRect& r, ZrColor color) {
    if (!m_gc) return;
    XSetForeground(m_display.GetDisplay(), m_gc, m_display.GetColor(color).pixel);
    XSetLineAttributes(m_display.GetDisplay(), m_gc, Scale(2), LineSolid, CapRound, JoinRound);
    XPoint points[] = {{static_cast<short>(r.x), static_cast<short>(r.y + r.h / 2)},
                       {static_cast<short>(r.x + r.w * 2 / 5), static_cast<short>(r.Bottom() - 1)},
                       {static_cast<short>(r.Right() - 1), static_cast<short>(r.y)}};
    XDrawLines(m_display.GetDisplay(), m_target, m_gc, points, 3, CoordModeOrigin);
}

void ZrX11Painter::DrawDownArrow(const ZrRect& r, ZrColor color) {
    if (!m_gc) return;
    const int w = r.w;
    const int h = w / 2;
    const int top = r.y + (r.h - h) / 2;
    XSetForeground(m_display.GetDisplay(), m_gc, m_display.GetColor(color).pixel);
    XPoint points[] = {{static_cast<short>(r.x), static_cast<short>(top)},
                       {static_cast<short>(r.Right()), static_cast<short>(top)},
                       {static_cast<short>(r.x + w / 2), static_cast<short>(top + h)}};
    XFillPolygon(m_display.GetDisplay(), m_target, m_gc, points, 3, Convex, CoordModeOrigin);
}
