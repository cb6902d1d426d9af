#include "application.h"

#include <windows.h>
// after windows.h
#include <commctrl.h>

#include "prompt.h"

namespace lrx::fw {
namespace {

TApplication* current = nullptr;

constexpr UINT kCaretBlinkTimer = 0x0118;  // WM_SYSTIMER

int StartupShowCommand() {
    STARTUPINFOA info{};
    info.cb = sizeof info;
    ::GetStartupInfoA(&info);
    return (info.dwFlags & STARTF_USESHOWWINDOW) ? info.wShowWindow : SW_SHOWDEFAULT;
}

bool IsDialogWindow(HWND window) {
    char name[16];
    return ::GetClassNameA(window, name, sizeof name) && lstrcmpA(name, "#32770") == 0;
}

// The outermost dialog that contains `window` without leaving its top-level
// window: a modeless dialog, or a dialog serving as a frame's client.
HWND DialogAround(HWND window) {
    HWND dialog = nullptr;
    for (HWND h = window; h; h = ::GetParent(h)) {
        if (IsDialogWindow(h)) dialog = h;
        if (!(::GetWindowLongPtrA(h, GWL_STYLE) & WS_CHILD)) break;
    }
    return dialog;
}

}  // namespace

bool IsNewWork(const MSG& msg) {
    switch (msg.message) {
        case WM_MOUSEMOVE:
        case WM_NCMOUSEMOVE:
        case WM_PAINT:
        case kCaretBlinkTimer:
            return false;
        default:
            return true;
    }
}

TApplication::TApplication(const char* name)
    : nCmdShow(StartupShowCommand()), name_(name ? name : "") {
    if (!current) current = this;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS |
                                                       ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
}

TApplication::~TApplication() {
    mainWindow_.reset();
    if (current == this) current = nullptr;
}

TApplication* TApplication::Current() {
    return current;
}

void TApplication::SetMainWindow(std::unique_ptr<TWindow> window) {
    mainWindow_ = std::move(window);
}

int TApplication::Run() {
    InitMainWindow();
    if (!mainWindow_ || !mainWindow_->Create()) return -1;
    mainWindow_->Show(nCmdShow);
    return MessageLoop();
}

bool TApplication::CanClose() {
    if (IsBusy()) return false;
    return !mainWindow_ || mainWindow_->CanClose();
}

bool TApplication::IdleAction(long idleCount) {
    return mainWindow_ && mainWindow_->GetHandle() && mainWindow_->IdleAction(idleCount);
}

int TApplication::MessageLoop() {
    long idleCount = 0;
    bool idle = true;
    MSG msg;
    for (;;) {
        while (idle && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!IdleAction(idleCount++)) idle = false;
        }
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) return got == 0 ? static_cast<int>(msg.wParam) : -1;
        ProcessMessage(msg);
        if (IsNewWork(msg)) {
            idle = true;
            idleCount = 0;
        }
    }
}

void TApplication::PumpWaitingMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave it for the loop that owns the program's end.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ProcessMessage(msg);
    }
}

void TApplication::ProcessMessage(MSG& msg) {
    if (ProcessAppMsg(msg)) return;
    if (!msg.hwnd) {
        TMsg threadMsg{nullptr, msg.message, msg.wParam, msg.lParam};
        if (!Dispatch(threadMsg)) ::DispatchMessageA(&msg);  // timer procedures
        return;
    }
    if (mainWindow_ && mainWindow_->GetHandle()) {
        HACCEL accelerators = mainWindow_->GetAccelerators();
        if (accelerators && ::TranslateAcceleratorA(mainWindow_->GetHandle(), accelerators, &msg)) {
            return;
        }
    }
    if (HWND dialog = DialogAround(msg.hwnd); dialog && ::IsDialogMessageA(dialog, &msg)) return;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
}

int TApplication::MessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    return ShowMessageBox(owner, text, caption, type);
}

}  // namespace lrx::fw
