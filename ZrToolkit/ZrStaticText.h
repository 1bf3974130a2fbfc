#pragma once

#include <vector>

#include "ZrCoreLib/ZrString.h"
#include "ZrToolkit/ZrWnd.h"

// Read-only text, wrapped at blanks to the width it is given. A word longer
// than a whole line stands on a line of its own and is cut by the painter.
class ZrStaticText : public ZrWnd {
public:
    // The text passes through the tools library's translation.
    explicit ZrStaticText(const wchar_t* text);

    const ZrString& GetText() const { return m_text; }
    // The lines the text takes at `width` pixels.
    std::vector<ZrString> Wrap(const ZrPainter& painter, int width) const;

    int Measure(ZrPainter& painter, int width) override;
    void Paint(ZrPainter& painter, const ZrWnd* focus) const override;

private:
    ZrString m_text;
};
