#include "ZrToolkit/ZrOkCancelPopupWnd.h"

#include "ZrToolkit/ZrButton.h"
#include "ZrToolkit/ZrButtonBar.h"

void ZrOkCancelPopupWnd::OnOK() {
    EndModal(kOK);
}

void ZrOkCancelPopupWnd::OnCancel() {
    EndModal(kCancel);
}

void ZrOkCancelPopupWnd::OnBuild(ZrVerticalLayout& layout) {
    BuildControls(layout);
    auto* buttons = new ZrButtonBar;
    layout.AddRow(buttons);
    buttons->AddButton(new ZrButton(L"OK", [this] { OnOK(); }));
    buttons->AddButton(new ZrButton(L"Cancel", [this] { OnCancel(); }));
}
