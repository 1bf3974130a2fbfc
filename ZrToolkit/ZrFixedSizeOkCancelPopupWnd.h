#pragma once

#include "ZrToolkit/ZrOkCancelPopupWnd.h"

// An OK/Cancel popup whose width the derived window fixes; the height follows
// the rows, and the window manager is asked not to resize it.
class ZrFixedSizeOkCancelPopupWnd : public ZrOkCancelPopupWnd {
public:
    // In toolkit units; the toolkit scales it to the screen's DPI.
    virtual int GetFixedWidth() const = 0;
    int GetWidthUnits() const final { return GetFixedWidth(); }
};
