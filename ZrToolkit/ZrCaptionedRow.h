#pragma once

#include "ZrCoreLib/ZrString.h"
#include "ZrToolkit/ZrRowStyle.h"
#include "ZrToolkit/ZrTypedWndPtr.h"
#include "ZrToolkit/ZrWnd.h"

// A caption on the left and one control filling the rest of the row.
class ZrCaptionedRow : public ZrWnd {
public:
    // The caption passes through the tools library's translation.
    ZrCaptionedRow(const wchar_t* caption, ZrWnd* control, ZrRowStyle style);

    const ZrString& GetCaption() const { return m_caption; }
    ZrWnd* GetControl() const { return m_control.Get(); }
    ZrRowStyle GetStyle() const { return m_style; }
    int CaptionWidth(const ZrPainter& painter) const;
    // Set by the layout before measuring: where aligned controls start.
    void SetCaptionColumn(int width) { m_column = width; }

    int Measure(ZrPainter& painter, int width) override;
    void Arrange(ZrPainter& painter, const ZrRect& rect) override;
    void Paint(ZrPainter& painter, const ZrWnd* focus) const override;
    void CollectFocusable(std::vector<ZrWnd*>& out) override;
    ZrWnd* HitTest(int x, int y) override;

private:
    int ControlOffset(const ZrPainter& painter) const;

    ZrString m_caption;
    ZrTypedWndPtr<ZrWnd> m_control;
    ZrRowStyle m_style;
    int m_column = 0;
};
