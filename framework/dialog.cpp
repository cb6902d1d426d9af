#include "dialog.h"

#include <vector>

#include "prompt.h"

namespace lrx::fw {
namespace {

DWORD LoadU32(const BYTE* p) {
    return static_cast<DWORD>(p[0]) | static_cast<DWORD>(p[1]) << 8 |
           static_cast<DWORD>(p[2]) << 16 | static_cast<DWORD>(p[3]) << 24;
}

void StoreU32(BYTE* p, DWORD v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<BYTE>(v >> (8 * i));
}

// A copy of a dialog template restyled as a child window without a frame, so
// that the dialog can fill a frame's client area.
std::vector<BYTE> ChildTemplate(int resourceId) {
    HRSRC resource =
        ::FindResourceA(ProgramInstance(), MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(5));
    if (!resource) return {};
    const DWORD size = ::SizeofResource(ProgramInstance(), resource);
    const auto* data =
        static_cast<const BYTE*>(::LockResource(::LoadResource(ProgramInstance(), resource)));
    if (!data || size < 18) return {};
    std::vector<BYTE> copy(data, data + size);
    // DLGTEMPLATEEX starts with version 1 and signature 0xFFFF.
    const bool extended = copy[2] == 0xFF && copy[3] == 0xFF;
    BYTE* style = copy.data() + (extended ? 12 : 0);
    BYTE* exStyle = copy.data() + (extended ? 8 : 4);
    StoreU32(style, (LoadU32(style) & ~(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                                        DS_MODALFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) |
                        WS_CHILD | WS_VISIBLE);
    StoreU32(exStyle, LoadU32(exStyle) & ~(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE));
    return copy;
}

// Messages whose result a dialog procedure returns itself instead of
// through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
        case WM_INITDIALOG:
            return true;
        default:
            return false;
    }
}

}  // namespace

TDialog::TDialog(TWindow* parent, int resourceId) : TWindow(parent), resourceId_(resourceId) {}

const TResponseTable& TDialog::Table() {
    static constexpr TResponseEntry entries[] = {
        EvCommand<&TDialog::CmOk>(IDOK),
        EvCommand<&TDialog::CmCancel>(IDCANCEL),
        EvMessage<&TDialog::EvDestroy>(WM_DESTROY),
    };
    // Not TWindow's table: the dialog manager creates, paints and closes.
    static constexpr TResponseTable table{entries, &TEventHandler::Table};
    return table;
}

bool TDialog::Create() {
    if (Handle) return true;
    modal_ = false;
    if (asChild_) return CreateAsChild();
    ::CreateDialogParamA(ProgramInstance(), MAKEINTRESOURCEA(resourceId_),
                         Parent ? Parent->GetHandle() : nullptr, &TDialog::DialogProc,
                         reinterpret_cast<LPARAM>(this));
    return Handle != nullptr;
}

bool TDialog::CreateAsChild() {
    const std::vector<BYTE> dialogTemplate = ChildTemplate(resourceId_);
    if (dialogTemplate.empty()) return false;
    ::CreateDialogIndirectParamA(ProgramInstance(),
                                 reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate.data()),
                                 Parent ? Parent->GetHandle() : nullptr, &TDialog::DialogProc,
                                 reinterpret_cast<LPARAM>(this));
    return Handle != nullptr;
}

int TDialog::Execute() {
    modal_ = true;
    const INT_PTR result = ::DialogBoxParamA(ProgramInstance(), MAKEINTRESOURCEA(resourceId_),
                                             Parent ? Parent->GetHandle() : nullptr,
                                             &TDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    modal_ = false;
    return static_cast<int>(result);
}

void TDialog::CloseWindow(int result) {
    if (!Handle) return;
    if (modal_) {
        ::EndDialog(Handle, result);
    } else {
        ::DestroyWindow(Handle);
    }
}

void TDialog::PrepareAsClient() {
    TWindow::PrepareAsClient();
    asChild_ = true;
}

void TDialog::CmOk() {
    if (CanClose()) CloseWindow(IDOK);
}

void TDialog::CmCancel() {
    CloseWindow(IDCANCEL);
}

LRESULT TDialog::DefaultProcessing() {
    if (CurrentMsg) CurrentMsg->Handled = false;
    return 0;
}

INT_PTR TDialog::InitDialog(HWND handle) {
    Tie(handle, TTie::DialogUser);
    SetupWindow();  // binds the controls and creates any other children
    if (modal_) {
        TPrompt prompt(TPromptKind::Dialog);
        prompt.Owner = Parent ? Parent->GetHandle() : nullptr;
        prompt.Caption = GetCaption();
        prompt.Dialog = this;
        prompt.ResourceId = resourceId_;
        if (auto answer = AnswerPrompt(prompt)) {
            if (Handle) ::EndDialog(Handle, *answer);
        }
    }
    return TRUE;
}

INT_PTR CALLBACK TDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<TDialog*>(lParam);
        return self ? self->InitDialog(hwnd) : TRUE;
    }
    auto* self = reinterpret_cast<TDialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!self) return FALSE;
    TMsg msg{hwnd, message, wParam, lParam};
    const bool handled = self->Route(msg);
    if (message == WM_NCDESTROY) {
        self->AfterNcDestroy();
        return FALSE;
    }
    if (!handled) return FALSE;
    if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(msg.Result);
    ::SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, msg.Result);
    return TRUE;
}

}  // namespace lrx::fw
