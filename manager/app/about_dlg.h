// TLRXWinAboutDlg: the About box; its version line, legal notice and special
// build text come from the program's own version block.
#pragma once

#include "controls.h"
#include "dialog.h"

namespace lrx::mgr {

class TLRXWinAboutDlg : public fw::TDialog {
  public:
    explicit TLRXWinAboutDlg(fw::TWindow* parent);

    void SetupWindow() override;

  private:
    fw::TStatic Version;
    fw::TStatic Copyright;
    fw::TStatic SpecialBuild;
};

}  // namespace lrx::mgr
