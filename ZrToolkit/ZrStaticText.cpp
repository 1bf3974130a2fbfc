#include "ZrToolkit/ZrStaticText.h"

#include "ZrCoreLib/ZrToolsServices.h"
#include "ZrToolkit/ZrPainter.h"

ZrStaticText::ZrStaticText(const wchar_t* text) : m_text(ZrToolsServices::Translated(text)) {}

std::vector<ZrString> ZrStaticText::Wrap(const ZrPainter& painter, int width) const {
    std::vector<ZrString> lines;
    ZrString line;
    int pos = 0;
    const int len = m_text.GetLength();
    while (pos < len) {
        while (pos < len && m_text[pos] == L' ')
            ++pos;
        if (pos >= len) break;
        int end = m_text.Find(L' ', pos);
        if (end < 0) end = len;
        const ZrString word = m_text.Mid(pos, end - pos);
        const ZrString joined = line.IsEmpty() ? word : line + L" " + word;
        if (!line.IsEmpty() && painter.TextWidth(joined) > width) {
            lines.push_back(line);
            line = word;
        } else {
            line = joined;
        }
        pos = end;
    }
    if (!line.IsEmpty()) lines.push_back(line);
    return lines;
}

int ZrStaticText::Measure(ZrPainter& painter, int width) {
    return static_cast<int>(Wrap(painter, width).size()) * painter.LineHeight();
}

void ZrStaticText::Paint(ZrPainter& painter, const ZrWnd*) const {
    const ZrRect& r = GetRect();
    const int lineH = painter.LineHeight();
    int y = r.y;
    for (const ZrString& line : Wrap(painter, r.w)) {
        painter.DrawText({r.x, y, r.w, lineH}, line, ZrColor::Text);
        y += lineH;
    }
}
