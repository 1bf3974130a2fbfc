#pragma once

// A rectangle in device pixels, relative to the popup window's top-left
// corner.
struct ZrRect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;

    int Right() const { return x + w; }
    int Bottom() const { return y + h; }
    bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
    bool Intersects(const ZrRect& o) const {
        return x < o.Right() && o.x < Right() && y < o.Bottom() && o.y < Bottom();
    }
    ZrRect Inset(int d) const { return {x + d, y + d, w - 2 * d, h - 2 * d}; }
};
