#include "config/CMP3ConfigureWnd.h"

#include "ZrCoreLib/ZrToolsServices.h"
#include "ZrToolkit/ZrStaticText.h"
#include "ZrToolkit/ZrVerticalLayout.h"
#include "config/CMP3Settings.h"

namespace {

// The four save modes, 0 to 3; the second text names the tag kind.
ZrComboBox* NewModeCombo(const wchar_t* ifExistingText, uint32_t storedMode) {
    auto* combo = new ZrComboBox;
    combo->AddItem(L"Save (create if necessary)", L"0");
    combo->AddItem(ifExistingText, L"1");
    combo->AddItem(L"Don't Save (ignore existing)", L"2");
    combo->AddItem(L"Don't Save (remove existing)", L"3");
    // A stored number outside 0-3 matches no item and leaves the box empty.
    combo->SelectByValue(ZrString::FromInt(storedMode));
    return combo;
}

uint32_t SelectedMode(const ZrComboBox& combo) {
    return static_cast<uint32_t>(combo.GetSelectedValue().ToInt());
}

} // namespace

CMP3ConfigureWnd::~CMP3ConfigureWnd() = default;

ZrString CMP3ConfigureWnd::GetTitle() const {
    return ZrToolsServices::Translated(L"MP3 Configuration");
}

void CMP3ConfigureWnd::BuildControls(ZrVerticalLayout& layout) {
    const CMP3Settings stored = CMP3Settings::Read();
    m_id3v1Mode.Reset(NewModeCombo(L"Save (if file has existing ID3v1 tag)", stored.id3v1SaveMode));
    layout.AddCaptionedRow(L"ID3v1 Mode:", m_id3v1Mode.Get());
    m_id3v2Mode.Reset(NewModeCombo(L"Save (if file has existing ID3v2 tag)", stored.id3v2SaveMode));
    layout.AddCaptionedRow(L"ID3v2 Mode:", m_id3v2Mode.Get());
    layout.AddRow(new ZrStaticText(
        L"NOTE: Disabling ID3v2 tags will greatly limit what can be stored inside your tags."));
    m_ignoreId3v2.Reset(new ZrCheckbox(L"Ignore ID3v2 tags during analysis.", stored.ignoreID3v2));
    layout.AddCaptionedRow(L"", m_ignoreId3v2.Get());
}

void CMP3ConfigureWnd::OnOK() {
    CMP3Settings chosen;
    chosen.id3v1SaveMode = m_id3v1Mode ? SelectedMode(*m_id3v1Mode) : 0;
    chosen.id3v2SaveMode = m_id3v2Mode ? SelectedMode(*m_id3v2Mode) : 0;
    chosen.ignoreID3v2 = m_ignoreId3v2 && m_ignoreId3v2->IsChecked();
    chosen.Write(); // a store that refuses is not the user's concern here
    ZrFixedSizeOkCancelPopupWnd::OnOK();
}
