// TDialog: a dialog built from a dialog resource of the program. Modeless
// with Create (closed by its OK command), modal with Execute (returns what
// CloseWindow was given). Control objects constructed with only an id are
// bound to the resource's controls before SetupWindow runs. Results of
// handled messages go back through DWLP_MSGRESULT. The dialog units grow
// with the screen's dpi, and so do its pictures (bitmap statics).
#pragma once

#include <vector>

#include "window.h"

namespace lrx::fw {

class TDialog : public TWindow {
  public:
    TDialog(TWindow* parent, int resourceId);
    ~TDialog() override;

    static const TResponseTable& Table();
    const TResponseTable& Responses() const override { return Table(); }

    // Modeless: the window exists afterwards (shown if its template says so).
    bool Create() override;
    // Modal: runs until CloseWindow; returns its value (-1 when the dialog
    // cannot be created). A test's prompt answerer sees the dialog once it is
    // set up and may answer for the user.
    int Execute();
    // Modal: ends Execute with `result`; modeless: destroys the window.
    void CloseWindow(int result = IDCANCEL) override;
    bool IsModal() const { return modal_; }
    int GetResourceId() const { return resourceId_; }

    void PrepareAsClient() override;

  protected:
    // The default OK and Cancel commands close the dialog.
    void CmOk();
    void CmCancel();
    // Hands the message back to the dialog manager, which handles it after
    // the handler returns.
    LRESULT DefaultProcessing() override;

  private:
    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
    INT_PTR InitDialog(HWND handle);
    bool CreateAsChild();
    void ScalePictures();
    void ReleasePictures();

    int resourceId_;
    bool modal_ = false;
    bool asChild_ = false;
    std::vector<HBITMAP> pictures_;  // the statics' pictures at the screen's dpi
};

}  // namespace lrx::fw
