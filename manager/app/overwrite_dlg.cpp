#include "overwrite_dlg.h"

#include "call_trace.h"
#include "lrxwin_ids.h"

namespace lrx::mgr {
namespace {

// The template's icon static has no id; it is the one with SS_ICON.
void ShowQuestionIcon(HWND dialog) {
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if ((::GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            ::SendMessageA(child, STM_SETICON,
                           reinterpret_cast<WPARAM>(::LoadIconA(nullptr, IDI_QUESTION)), 0);
            return;
        }
    }
}

}  // namespace

TOverwriteDlg::TOverwriteDlg(fw::TWindow* parent, const char* path)
    : TDialog(parent, IDD_OVERWRITE),
      Message(this, IDC_OVERWRITEMESSAGE),
      FileName(path ? path : "") {
    const TraceScope trace("TOD:TOD");
}

TOverwriteDlg::~TOverwriteDlg() {
    const TraceScope trace("TOD:~TOD");
}

const fw::TResponseTable& TOverwriteDlg::Table() {
    static constexpr fw::TResponseEntry entries[] = {
        fw::EvCommand<&TOverwriteDlg::OYes>(IDC_OVERWRITEYES),
        fw::EvCommand<&TOverwriteDlg::ONo>(IDC_OVERWRITENO),
        fw::EvCommand<&TOverwriteDlg::OAlways>(IDC_OVERWRITEALWAYS),
    };
    static constexpr fw::TResponseTable table{entries, &TDialog::Table};
    return table;
}

void TOverwriteDlg::SetupWindow() {
    const TraceScope trace("TOD:SetupWindow");
    TDialog::SetupWindow();
    Message.SetText((FileName + " exists.").c_str());
    ShowQuestionIcon(Handle);
}

void TOverwriteDlg::OYes() {
    const TraceScope trace("TOD:OYes");
    CloseWindow(0);
}

void TOverwriteDlg::ONo() {
    const TraceScope trace("TOD:ONo");
    CloseWindow(1);
}

void TOverwriteDlg::OAlways() {
    const TraceScope trace("TOD:OAlways");
    CloseWindow(2);
}

}  // namespace lrx::mgr
