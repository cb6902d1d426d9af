#include "dialog.h"

#include <vector>

#include "dc.h"
#include "dpi.h"
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

TDialog::~TDialog() {
    ReleasePictures();
}

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

// Bitmaps are drawn for 96 dpi; the dialog units around them grow with the
// screen's dpi, so the pictures are stretched to match.
void TDialog::ScalePictures() {
    const int dpi = ScreenDpi();
    if (dpi == 96) return;
    for (HWND child = ::GetWindow(Handle, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        char className[16] = {};
        ::GetClassNameA(child, className, sizeof className);
        if (::lstrcmpiA(className, "Static") != 0 ||
            (::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP) {
            continue;
        }
        auto original =
            reinterpret_cast<HBITMAP>(::SendMessageA(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
        BITMAP info{};
        if (!original || !::GetObjectA(original, sizeof info, &info)) continue;
        auto scaled =
            static_cast<HBITMAP>(::CopyImage(original, IMAGE_BITMAP, ScaleToDpi(info.bmWidth, dpi),
                                             ScaleToDpi(info.bmHeight, dpi), 0));
        if (!scaled) continue;
        pictures_.push_back(scaled);
        // The static never frees a picture; the one it loaded is done with.
        ::DeleteObject(reinterpret_cast<HGDIOBJ>(
            ::SendMessageA(child, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(scaled))));
    }
}

void TDialog::ReleasePictures() {
    for (HBITMAP picture : pictures_) ::DeleteObject(picture);
    pictures_.clear();
}

INT_PTR TDialog::InitDialog(HWND handle) {
    Tie(handle, TTie::DialogUser);
    ScalePictures();
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
        self->ReleasePictures();
        return FALSE;
    }
    if (!handled) return FALSE;
    if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(msg.Result);
    ::SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, msg.Result);
    return TRUE;
}

}  // namespace lrx::fw
