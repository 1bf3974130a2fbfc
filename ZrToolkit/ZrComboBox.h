#pragma once

#include <vector>

#include "ZrCoreLib/ZrString.h"
#include "ZrToolkit/ZrWnd.h"

// A drop-down list box. Each item carries a text, which is shown, and a value,
// which callers use to select and read it. Closed, the arrow keys step the
// selection; Space, Alt+Down, F4 or a click open the list. Open, the arrow
// keys move the highlight, Enter or Space take it, Escape leaves the
// selection as it was. The popup window draws the open list in a window of
// its own so that it covers the rows below.
class ZrComboBox : public ZrWnd {
public:
    // Adds an item at the end; the text passes through the tools library's
    // translation. Answers the item's index.
    int AddItem(const wchar_t* text, const wchar_t* value);
    int GetCount() const { return static_cast<int>(m_items.size()); }
    const ZrString& GetItemText(int index) const { return m_items[index].text; }
    const ZrString& GetItemValue(int index) const { return m_items[index].value; }

    // -1 clears the selection; another index outside the list changes
    // nothing and answers false.
    bool SelectByIndex(int index);
    // The first item with this value; false, and nothing changed, when no item
    // has it.
    bool SelectByValue(const wchar_t* value);
    // -1 when nothing is selected.
    int GetSelectedIndex() const { return m_selected; }
    // Empty when nothing is selected.
    ZrString GetSelectedValue() const;

    bool IsListOpen() const { return m_open; }
    void OpenList();
    // Closes the list, selecting the highlighted item when `take`.
    void CloseList(bool take);
    // The highlighted item of the open list.
    int GetHotItem() const { return m_hot; }
    void SetHotItem(int index);

    // The open list, in its own window's pixels.
    int ListItemHeight(const ZrPainter& painter) const;
    int ListHeight(const ZrPainter& painter) const;
    // The item at `y` pixels from the top of the list, or -1.
    int ListItemAt(const ZrPainter& painter, int y) const;
    void PaintList(ZrPainter& painter, int width) const;

    int Measure(ZrPainter& painter, int width) override;
    void Paint(ZrPainter& painter, const ZrWnd* focus) const override;
    bool CanFocus() const override { return true; }
    bool OnKey(ZrKey key) override;
    bool OnClick(int x, int y) override;

private:
    struct Item {
        ZrString text;
        ZrString value;
    };
    void Step(int delta, bool list);

    std::vector<Item> m_items;
    int m_selected = -1;
    bool m_open = false;
    int m_hot = -1;
};
