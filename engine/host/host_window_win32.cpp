#include "host_window.h"

namespace lrx {
namespace {

constexpr char kClassName[] = "LrxHostWindow";

void RegisterHostClass(WNDPROC proc) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);  // a second registration fails harmlessly
}

}  // namespace

HostWindow::HostWindow() {
    RegisterHostClass(&HostWindow::WindowProc);
    window_ = CreateWindowExA(0, kClassName, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleA(nullptr), this);
    edit_ = CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 10, 10, window_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(LRX_MAILBOX_ID)),
                            GetModuleHandleA(nullptr), nullptr);
    SendMessageA(edit_, EM_LIMITTEXT, 0, 0);
}

HostWindow::~HostWindow() {
    Destroy();
}

void HostWindow::Destroy() {
    // The handle stays: IsWindow tells whoever holds it that it is gone.
    if (IsWindow(window_)) DestroyWindow(window_);
    edit_ = nullptr;
}

HWND HostWindow::handle() const {
    return window_;
}

void HostWindow::SetMailboxText(std::string_view text) {
    // The edit control reports the change itself, through EN_CHANGE.
    std::string copy(text);
    SetWindowTextA(edit_, copy.c_str());
}

void HostWindow::Changed() {
    const int length = GetWindowTextLengthA(edit_);
    mailbox_.assign(static_cast<std::size_t>(length) + 1, '\0');
    GetWindowTextA(edit_, mailbox_.data(), length + 1);
    mailbox_.resize(static_cast<std::size_t>(length));
    if (onChange_) onChange_(*this);
}

LRESULT CALLBACK HostWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self) {
        if (message == WM_SETFOCUS) ++self->focusCount_;
        if (message == WM_COMMAND && LOWORD(wParam) == LRX_MAILBOX_ID &&
            HIWORD(wParam) == EN_CHANGE && self->edit_) {
            self->Changed();
            return 0;
        }
        if (message == WM_NCDESTROY) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace lrx
