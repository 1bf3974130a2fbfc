#pragma once

#include "ZrToolkit/ZrPopupWnd.h"

class ZrButton;

// A popup with OK and Cancel buttons below the derived window's controls.
// Enter anywhere but on Cancel means OK; Escape and the window manager's close
// button mean Cancel.
class ZrOkCancelPopupWnd : public ZrPopupWnd {
public:
    // Closes with kOK. Derived windows do their work first, then call this.
    virtual void OnOK();
    // Closes with kCancel.
    virtual void OnCancel();

protected:
    // The derived window's rows, above the buttons.
    virtual void BuildControls(ZrVerticalLayout& layout) = 0;

    void OnBuild(ZrVerticalLayout& layout) final;
    void OnEnter() override { OnOK(); }
    void OnClose() override { OnCancel(); }
};
