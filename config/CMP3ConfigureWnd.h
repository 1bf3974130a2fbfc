#pragma once

#include "ZrToolkit/ZrCheckbox.h"
#include "ZrToolkit/ZrComboBox.h"
#include "ZrToolkit/ZrFixedSizeOkCancelPopupWnd.h"
#include "ZrToolkit/ZrTypedWndPtr.h"

// The plug-in's configuration window: the ID3v1 and ID3v2 save modes and
// whether ID3v2 tags are ignored during analysis. Shows the stored settings;
// OK writes all three, Cancel writes nothing. Created on the caller's stack
// for one modal run.
class CMP3ConfigureWnd : public ZrFixedSizeOkCancelPopupWnd {
public:
    ~CMP3ConfigureWnd() override;

    ZrString GetTitle() const override;
    void OnOK() override;
    int GetFixedWidth() const override { return 400; }

    // For tests: the controls, null until the window is built.
    ZrComboBox* GetId3v1Combo() const { return m_id3v1Mode.Get(); }
    ZrComboBox* GetId3v2Combo() const { return m_id3v2Mode.Get(); }
    ZrCheckbox* GetIgnoreCheckbox() const { return m_ignoreId3v2.Get(); }

protected:
    void BuildControls(ZrVerticalLayout& layout) override;

private:
    ZrTypedWndPtr<ZrComboBox> m_id3v1Mode;
    ZrTypedWndPtr<ZrComboBox> m_id3v2Mode;
    ZrTypedWndPtr<ZrCheckbox> m_ignoreId3v2;
};
