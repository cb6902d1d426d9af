#include "window.h"

#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <algorithm>

#include "application.h"
#include "prompt.h"

namespace lrx::fw {

HINSTANCE ProgramInstance() {
    return ::GetModuleHandleA(nullptr);
}

TWindow::TWindow(TWindow* parent, const char* title) : Title(title ? title : "") {
    SetParentObject(parent);
    if (!parent) Attr.Style = WS_OVERLAPPEDWINDOW;
}

TWindow::~TWindow() {
    if (Handle) {
        // The derived parts are gone: no message may reach them any more.
        HWND handle = Handle;
        Untie();
        ::DestroyWindow(handle);
    }
    for (TWindow* child : Children) child->Parent = nullptr;
    if (Parent) std::erase(Parent->Children, this);
}

void TWindow::SetParentObject(TWindow* parent) {
    if (Parent) std::erase(Parent->Children, this);
    Parent = parent;
    if (parent) {
        parent->Children.push_back(this);
        if (!(Attr.Style & WS_CHILD)) {
            Attr.Style = WS_CHILD | WS_VISIBLE;
            Attr.X = Attr.Y = Attr.W = Attr.H = 0;
        }
    }
}

TApplication* TWindow::GetApplication() const {
    return TApplication::Current();
}

bool TWindow::IsMainWindow() const {
    const TApplication* app = GetApplication();
    return app && app->GetMainWindow() == this;
}

void TWindow::GetWindowClass(WNDCLASSA& windowClass) const {
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = &TWindow::WindowProc;
    windowClass.hInstance = ProgramInstance();
    windowClass.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = ClassName();
}

void TWindow::RegisterWindowClass() const {
    WNDCLASSA existing{};
    if (::GetClassInfoA(ProgramInstance(), ClassName(), &existing)) return;
    WNDCLASSA windowClass{};
    GetWindowClass(windowClass);
    ::RegisterClassA(&windowClass);
}

bool TWindow::Create() {
    if (Handle) return true;
    RegisterWindowClass();
    HMENU menuOrId = (Attr.Style & WS_CHILD)
                         ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(Attr.Id))
                         : Attr.Menu;
    ::CreateWindowExA(Attr.ExStyle, ClassName(), Title.c_str(), Attr.Style, Attr.X, Attr.Y, Attr.W,
                      Attr.H, Parent ? Parent->Handle : nullptr, menuOrId, ProgramInstance(), this);
    return Handle != nullptr;
}

void TWindow::CreateChildren() {
    // A child may remove itself while being created; walk a copy.
    const std::vector<TWindow*> children = Children;
    for (TWindow* child : children) {
        if (!child->Handle) child->Create();
    }
}

void TWindow::SetupWindow() {
    CreateChildren();
}

void TWindow::Paint(TDC&, bool, const RECT&) {}

bool TWindow::CanClose() {
    return std::all_of(Children.begin(), Children.end(),
                       [](TWindow* child) { return child->CanClose(); });
}

void TWindow::CloseWindow(int) {
    if (Handle && CanClose()) ::DestroyWindow(Handle);
}

bool TWindow::IdleAction(long idleCount) {
    bool more = false;
    const std::vector<TWindow*> children = Children;
    for (TWindow* child : children) more = child->IdleAction(idleCount) || more;
    return more;
}

void TWindow::PrepareAsClient() {
    Attr.Style = (Attr.Style & ~(WS_POPUP | WS_OVERLAPPEDWINDOW)) | WS_CHILD | WS_VISIBLE;
    Attr.X = Attr.Y = Attr.W = Attr.H = 0;
}

void TWindow::SetCaption(const char* text) {
    Title = text ? text : "";
    if (Handle) ::SetWindowTextA(Handle, Title.c_str());
}

std::string TWindow::GetCaption() const {
    if (!Handle) return Title;
    std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(Handle)) + 1, '\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextA(Handle, text.data(), static_cast<int>(text.size()))));
    return text;
}

void TWindow::Show(int showCommand) {
    if (Handle) ::ShowWindow(Handle, showCommand);
}

bool TWindow::IsVisible() const {
    return Handle && ::IsWindowVisible(Handle);
}

void TWindow::Enable(bool enabled) {
    if (Handle) ::EnableWindow(Handle, enabled);
}

bool TWindow::IsEnabled() const {
    return Handle && ::IsWindowEnabled(Handle);
}

void TWindow::Invalidate(bool erase) {
    if (Handle) ::InvalidateRect(Handle, nullptr, erase);
}

RECT TWindow::GetClientRect() const {
    RECT rect{};
    if (Handle) ::GetClientRect(Handle, &rect);
    return rect;
}

LRESULT TWindow::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return Handle ? ::SendMessageA(Handle, message, wParam, lParam) : 0;
}

bool TWindow::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return Handle && ::PostMessageA(Handle, message, wParam, lParam);
}

int TWindow::MessageBox(const char* text, const char* caption, UINT type) {
    return ShowMessageBox(Handle, text, caption, type);
}

void TWindow::EnableCommand(int commandId, bool enabled) {
    if (TApplication* app = GetApplication()) app->CommandEnablers().Enable(commandId, enabled);
}

bool TWindow::Route(TMsg& msg) {
    TMsg* outer = CurrentMsg;
    CurrentMsg = &msg;
    if (msg.Message == WM_DESTROY) BeingDestroyed = true;
    bool handled = IsCommandMessage(msg) ? RouteCommand(msg) : Dispatch(msg);
    if (!handled && IsMainWindow()) handled = GetApplication()->Dispatch(msg);
    CurrentMsg = outer;
    return handled;
}

LRESULT TWindow::DefaultProcessing() {
    if (!CurrentMsg || !Handle) return 0;
    switch (tie_) {
        case TTie::Subclass:
            return ::DefSubclassProc(Handle, CurrentMsg->Message, CurrentMsg->WParam,
                                     CurrentMsg->LParam);
        default:
            return ::DefWindowProcA(Handle, CurrentMsg->Message, CurrentMsg->WParam,
                                    CurrentMsg->LParam);
    }
}

void TWindow::Tie(HWND handle, TTie how) {
    Handle = handle;
    tie_ = how;
    switch (how) {
        case TTie::UserData:
            ::SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            break;
        case TTie::DialogUser:
            ::SetWindowLongPtrA(handle, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
            break;
        case TTie::Subclass:
            ::SetWindowSubclass(handle, &TWindow::SubclassProc, 0,
                                reinterpret_cast<DWORD_PTR>(this));
            break;
        case TTie::None:
            break;
    }
}

void TWindow::Untie() {
    if (!Handle) return;
    switch (tie_) {
        case TTie::UserData:
            ::SetWindowLongPtrA(Handle, GWLP_USERDATA, 0);
            break;
        case TTie::DialogUser:
            ::SetWindowLongPtrA(Handle, DWLP_USER, 0);
            break;
        case TTie::Subclass:
            ::RemoveWindowSubclass(Handle, &TWindow::SubclassProc, 0);
            break;
        case TTie::None:
            break;
    }
    tie_ = TTie::None;
    Handle = nullptr;
}

void TWindow::AfterNcDestroy() {
    Untie();
    if (Parent) Parent->ChildDestroyed(*this);
}

const TResponseTable& TWindow::Table() {
    static constexpr TResponseEntry entries[] = {
        EvMessage<&TWindow::EvCreate>(WM_CREATE),
        EvMessage<&TWindow::EvPaint>(WM_PAINT),
        EvMessage<&TWindow::EvClose>(WM_CLOSE),
        EvMessage<&TWindow::EvDestroy>(WM_DESTROY),
    };
    static constexpr TResponseTable table{entries, &TEventHandler::Table};
    return table;
}

LRESULT TWindow::EvCreate(WPARAM, LPARAM) {
    SetupWindow();
    return 0;
}

LRESULT TWindow::EvPaint(WPARAM, LPARAM) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(Handle, &ps);
    {
        TDC paintDC(dc);
        Paint(paintDC, ps.fErase != FALSE, ps.rcPaint);
    }
    ::EndPaint(Handle, &ps);
    return 0;
}

LRESULT TWindow::EvClose(WPARAM, LPARAM) {
    TApplication* app = GetApplication();
    const bool agreed = IsMainWindow() ? app->CanClose() : CanClose();
    if (agreed) ::DestroyWindow(Handle);
    return 0;
}

LRESULT TWindow::EvDestroy(WPARAM, LPARAM) {
    CleanupWindow();
    if (IsMainWindow()) ::PostQuitMessage(0);
    return 0;
}

LRESULT CALLBACK TWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        if (auto* self = static_cast<TWindow*>(create->lpCreateParams)) {
            self->Tie(hwnd, TTie::UserData);
        }
    }
    auto* self = reinterpret_cast<TWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcA(hwnd, message, wParam, lParam);
    TMsg msg{hwnd, message, wParam, lParam};
    const LRESULT result =
        self->Route(msg) ? msg.Result : ::DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) self->AfterNcDestroy();
    return result;
}

LRESULT CALLBACK TWindow::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<TWindow*>(data);
    TMsg msg{hwnd, message, wParam, lParam};
    const LRESULT result =
        self->Route(msg) ? msg.Result : ::DefSubclassProc(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) self->AfterNcDestroy();
    return result;
}

}  // namespace lrx::fw
