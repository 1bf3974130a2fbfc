#pragma once

#include <vector>

#include "ZrToolkit/ZrRowStyle.h"
#include "ZrToolkit/ZrTypedWndPtr.h"
#include "ZrToolkit/ZrWnd.h"

class ZrCaptionedRow;

// Rows stacked top to bottom at the layout's full width, a fixed gap apart.
class ZrVerticalLayout : public ZrWnd {
public:
    // Adds `wnd` as a row of its own; answers it for chaining into members.
    ZrWnd* AddRow(ZrWnd* wnd);
    ZrCaptionedRow* AddCaptionedRow(const wchar_t* caption, ZrWnd* control,
                                    ZrRowStyle style = ZrRowStyle::Aligned);
    int GetRowCount() const { return static_cast<int>(m_rows.size()); }
    ZrWnd* GetRow(int index) const { return m_rows[index].Get(); }

    int Measure(ZrPainter& painter, int width) override;
    void Arrange(ZrPainter& painter, const ZrRect& rect) override;
    void Paint(ZrPainter& painter, const ZrWnd* focus) const override;
    void CollectFocusable(std::vector<ZrWnd*>& out) override;
    ZrWnd* HitTest(int x, int y) override;

private:
    void AlignCaptions(const ZrPainter& painter);

    std::vector<ZrTypedWndPtr<ZrWnd>> m_rows;
};
