#include "config/CRemoveTagModeDlg.h"

#include "ZrToolkit/ZrVerticalLayout.h"

CRemoveTagModeDlg::~CRemoveTagModeDlg() = default;

void CRemoveTagModeDlg::BuildControls(ZrVerticalLayout& layout) {
    m_mode.Reset(new ZrComboBox);
    m_mode->AddItem(L"All Tags", L"");
    m_mode->AddItem(L"ID3v1 Only", L"");
    m_mode->AddItem(L"ID3v2 Only", L"");
    m_mode->SelectByIndex(0);
    layout.AddCaptionedRow(L"Remove tags mode: ", m_mode.Get(), ZrRowStyle::Inline);
}

void CRemoveTagModeDlg::OnOK() {
    if (m_mode) m_chosenMode = m_mode->GetSelectedIndex();
    ZrFixedSizeOkCancelPopupWnd::OnOK();
}
