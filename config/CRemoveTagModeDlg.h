#pragma once

#include <cstdint>

#include "ZrToolkit/ZrComboBox.h"
#include "ZrToolkit/ZrFixedSizeOkCancelPopupWnd.h"
#include "ZrToolkit/ZrTypedWndPtr.h"

// Asks which tags to remove from a file. The item index is the remove mode:
// 0 all tags, 1 ID3v1 only, 2 ID3v2 only. Created on the caller's stack for
// one modal run.
class CRemoveTagModeDlg : public ZrFixedSizeOkCancelPopupWnd {
public:
    ~CRemoveTagModeDlg() override;

    void OnOK() override;
    int GetFixedWidth() const override { return 300; }

    // The mode chosen with OK; -1 until then.
    int32_t GetChosenMode() const { return m_chosenMode; }
    // For tests: the combo box, null until the window is built.
    ZrComboBox* GetModeCombo() const { return m_mode.Get(); }

protected:
    void BuildControls(ZrVerticalLayout& layout) override;

private:
    int32_t m_chosenMode = -1;
    ZrTypedWndPtr<ZrComboBox> m_mode;
};
