// TOverwriteDlg: the modal question "<path> exists." with Yes, No and Always,
// run by a progress dialog when the engine asks whether to overwrite a file.
// Execute returns 0 for Yes, 1 for No (also Esc), 2 for Always.
#pragma once

#include <string>

#include "controls.h"
#include "dialog.h"

namespace lrx::mgr {

class TOverwriteDlg : public fw::TDialog {
  public:
    TOverwriteDlg(fw::TWindow* parent, const char* path);
    ~TOverwriteDlg() override;

    static const fw::TResponseTable& Table();
    const fw::TResponseTable& Responses() const override { return Table(); }

    void SetupWindow() override;

  protected:
    void OYes();
    void ONo();
    void OAlways();

  private:
    fw::TStatic Message;
    std::string FileName;
};

}  // namespace lrx::mgr
