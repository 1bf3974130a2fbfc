#include "config/CMP3ConfigureWnd.h"

#include "ZrCoreLib/ZrSettingsKey.h"
#include "ZrCoreLib/ZrToolsServices.h"
#include "ZrToolkit/ZrStaticText.h"
#include "ZrToolkit/ZrVerticalLayout.h"

namespace {

constexpr const wchar_t* kId3v1SaveMode = L"ID3v1 Save Mode";
constexpr const wchar_t* kId3v2SaveMode = L"ID3v2 Save Mode";
constexpr const wchar_t* kId3v2Ignore = L"ID3v2 Ignore";

// The four save modes, 0 to 3; the second text names the tag kind.
ZrComboBox* NewModeCombo(const wchar_t* ifExistingText, int storedMode) {
    auto* combo = new ZrComboBox;
    combo->AddItem(L"Save (create if necessary)", L"0");
    combo->AddItem(ifExistingText, L"1");
    combo->AddItem(L"Don't Save (ignore existing)", L"2");
    combo->AddItem(L"Don't Save (remove existing)", L"3");
    // A stored number outside 0-3 matches no item and leaves the box empty.
    combo->SelectByValue(ZrString::FromInt(storedMode));
    return combo;
}

int SelectedMode(const ZrComboBox& combo) {
    return static_cast<int>(combo.GetSelectedValue().ToInt());
}

} // namespace

CMP3ConfigureWnd::~CMP3ConfigureWnd() = default;

ZrString CMP3ConfigureWnd::GetTitle() const {
    return ZrToolsServices::Translated(L"MP3 Configuration");
}

void CMP3ConfigureWnd::BuildControls(ZrVerticalLayout& layout) {
    const ZrString path = ZrSettingsKey::PluginKeyPath();
    int id3v1Mode = 0;
    int id3v2Mode = 0;
    int ignore = 0;
    {
        ZrSettingsKey key(path);
        id3v1Mode = key.ReadInt(kId3v1SaveMode, 0);
        id3v2Mode = key.ReadInt(kId3v2SaveMode, 0);
        ignore = key.ReadInt(kId3v2Ignore, 0);
    }
    m_id3v1Mode.Reset(NewModeCombo(L"Save (if file has existing ID3v1 tag)", id3v1Mode));
    layout.AddCaptionedRow(L"ID3v1 Mode:", m_id3v1Mode.Get());
    m_id3v2Mode.Reset(NewModeCombo(L"Save (if file has existing ID3v2 tag)", id3v2Mode));
    layout.AddCaptionedRow(L"ID3v2 Mode:", m_id3v2Mode.Get());
    layout.AddRow(new ZrStaticText(
        L"NOTE: Disabling ID3v2 tags will greatly limit what can be stored inside your tags."));
    m_ignoreId3v2.Reset(new ZrCheckbox(L"Ignore ID3v2 tags during analysis.", ignore != 0));
    layout.AddCaptionedRow(L"", m_ignoreId3v2.Get());
}

void CMP3ConfigureWnd::OnOK() {
    const int id3v1Mode = m_id3v1Mode ? SelectedMode(*m_id3v1Mode) : 0;
    const int id3v2Mode = m_id3v2Mode ? SelectedMode(*m_id3v2Mode) : 0;
    const bool ignore = m_ignoreId3v2 && m_ignoreId3v2->IsChecked();
    {
        ZrSettingsKey key(ZrSettingsKey::PluginKeyPath());
        key.WriteInt(kId3v1SaveMode, id3v1Mode);
        key.WriteInt(kId3v2SaveMode, id3v2Mode);
        key.WriteInt(kId3v2Ignore, ignore ? 1 : 0);
    }
    ZrFixedSizeOkCancelPopupWnd::OnOK();
}
