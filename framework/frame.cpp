#include "frame.h"

#include <algorithm>

#include "application.h"
#include "recent_files.h"

namespace lrx::fw {
namespace {

constexpr char kModeTexts[][5] = {"CAPS", "NUM", "SCRL"};
constexpr unsigned kModeBits[] = {TStatusBar::CapsLock, TStatusBar::NumLock,
                                  TStatusBar::ScrollLock};
constexpr int kModeKeys[] = {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL};
constexpr int kModePartWidth = 44;  // pixels at 96 dpi

int WindowHeight(HWND window) {
    RECT rect{};
    if (!window || !::IsWindowVisible(window)) return 0;
    ::GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

HICON LoadProgramIcon(int id, int sizeMetric) {
    const int size = ::GetSystemMetrics(sizeMetric);
    return static_cast<HICON>(::LoadImageA(ProgramInstance(), MAKEINTRESOURCEA(id), IMAGE_ICON,
                                           size, size, LR_DEFAULTCOLOR));
}

}  // namespace

std::string LoadProgramString(int id) {
    char text[512];
    const int length = ::LoadStringA(ProgramInstance(), static_cast<UINT>(id), text, sizeof text);
    return std::string(text, static_cast<std::size_t>(length > 0 ? length : 0));
}

// --- status bar ---

TStatusBar::TStatusBar(unsigned modeIndicators)
    : TControl(nullptr, TDecoratedFrame::StatusBarId, STATUSCLASSNAMEA, "", 0, 0, 0, 0),
      modes_(modeIndicators & (CapsLock | NumLock | ScrollLock)) {
    Attr.Style = WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP;
}

void TStatusBar::SetupWindow() {
    SpreadParts();
    ShowFirstPart(text_);
    UpdateModeIndicators();
}

void TStatusBar::SpreadParts() {
    int count = 0;
    for (unsigned bit : kModeBits) count += (modes_ & bit) ? 1 : 0;
    RECT area{};
    ::GetClientRect(Handle, &area);
    int edges[4];
    const int partWidth = ScaleToDpi(kModePartWidth, ScreenDpi());
    for (int i = 0; i <= count; ++i) edges[i] = area.right - (count - i) * partWidth;
    edges[count] = -1;
    ::SendMessageA(Handle, SB_SETPARTS, static_cast<WPARAM>(count + 1),
                   reinterpret_cast<LPARAM>(edges));
}

void TStatusBar::SetText(const char* text) {
    text_ = text ? text : "";
    if (!hinting_) ShowFirstPart(text_);
}

std::string TStatusBar::GetShownText() const {
    if (!Handle) return text_;
    char text[512] = {};
    const auto length = LOWORD(::SendMessageA(Handle, SB_GETTEXTLENGTHA, 0, 0));
    if (length >= sizeof text) return text_;
    ::SendMessageA(Handle, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

void TStatusBar::ShowHint(const char* hint) {
    hinting_ = true;
    ShowFirstPart(hint ? hint : "");
}

void TStatusBar::EndHint() {
    if (!hinting_) return;
    hinting_ = false;
    ShowFirstPart(text_);
}

void TStatusBar::ShowFirstPart(const std::string& text) {
    if (Handle) ::SendMessageA(Handle, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TStatusBar::UpdateModeIndicators() {
    if (!Handle || !modes_) return;
    unsigned on = 0;
    for (int i = 0; i < 3; ++i) {
        if ((modes_ & kModeBits[i]) && (::GetKeyState(kModeKeys[i]) & 1)) on |= kModeBits[i];
    }
    if (on == shownModes_) return;
    shownModes_ = on;
    int part = 1;
    for (int i = 0; i < 3; ++i) {
        if (!(modes_ & kModeBits[i])) continue;
        const char* text = (on & kModeBits[i]) ? kModeTexts[i] : "";
        ::SendMessageA(Handle, SB_SETTEXTA, static_cast<WPARAM>(part++),
                       reinterpret_cast<LPARAM>(text));
    }
}

int TStatusBar::Height() const {
    return WindowHeight(Handle);
}

// --- frame ---

TDecoratedFrame::TDecoratedFrame(TWindow* parent, const char* title,
                                 std::unique_ptr<TWindow> client, bool trackMenuSelection)
    : TWindow(parent, title), client_(std::move(client)), trackMenuSelection_(trackMenuSelection) {
    Attr.Style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    if (client_) {
        client_->SetParentObject(this);
        client_->PrepareAsClient();
    }
}

TDecoratedFrame::~TDecoratedFrame() {
    // Children go before the frame's window so that none outlives its object.
    if (Handle) {
        HWND handle = Handle;
        Untie();
        ::DestroyWindow(handle);
    }
}

void TDecoratedFrame::GetWindowClass(WNDCLASSA& windowClass) const {
    TWindow::GetWindowClass(windowClass);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
}

TStatusBar* TDecoratedFrame::Insert(std::unique_ptr<TStatusBar> statusBar) {
    statusBar_ = std::move(statusBar);
    statusBar_->SetParentObject(this);
    if (Handle) {
        statusBar_->Create();
        Layout();
    }
    return statusBar_.get();
}

THarbor* TDecoratedFrame::Insert(std::unique_ptr<THarbor> harbor) {
    harbor_ = std::move(harbor);
    harbor_->SetFrame(*this);
    return harbor_.get();
}

void TDecoratedFrame::SetIcon(int resourceId) {
    iconId_ = resourceId;
    ApplyIcons();
}

void TDecoratedFrame::SetIconSm(int resourceId) {
    smallIconId_ = resourceId;
    ApplyIcons();
}

void TDecoratedFrame::ApplyIcons() {
    if (!Handle) return;
    if (iconId_) {
        SendMessage(WM_SETICON, ICON_BIG,
                    reinterpret_cast<LPARAM>(LoadProgramIcon(iconId_, SM_CXICON)));
    }
    if (smallIconId_) {
        SendMessage(WM_SETICON, ICON_SMALL,
                    reinterpret_cast<LPARAM>(LoadProgramIcon(smallIconId_, SM_CXSMICON)));
    }
}

void TDecoratedFrame::AssignMenu(int resourceId) {
    HMENU menu = ::LoadMenuA(ProgramInstance(), MAKEINTRESOURCEA(resourceId));
    if (!Handle) {
        if (Attr.Menu) ::DestroyMenu(Attr.Menu);
        Attr.Menu = menu;
        return;
    }
    HMENU old = ::GetMenu(Handle);
    ::SetMenu(Handle, menu);
    if (old) ::DestroyMenu(old);
    ::DrawMenuBar(Handle);
}

void TDecoratedFrame::SetAccelerators(int resourceId) {
    accelerators_ = ::LoadAcceleratorsA(ProgramInstance(), MAKEINTRESOURCEA(resourceId));
}

void TDecoratedFrame::SetupWindow() {
    TWindow::SetupWindow();  // client and bars
    ApplyIcons();
    if (ShrinkToClient && client_ && client_->GetHandle()) {
        RECT clientRect;
        ::GetWindowRect(client_->GetHandle(), &clientRect);
        const SIZE docked = harbor_ ? harbor_->DockedSize() : SIZE{0, 0};
        const int statusHeight = statusBar_ ? statusBar_->Height() : 0;
        RECT frame{0, 0, clientRect.right - clientRect.left + docked.cx,
                   clientRect.bottom - clientRect.top + docked.cy + statusHeight};
        ::AdjustWindowRectEx(&frame, Attr.Style, Attr.Menu != nullptr, Attr.ExStyle);
        ::SetWindowPos(Handle, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Layout();
}

void TDecoratedFrame::Layout() {
    if (!Handle) return;
    RECT area;
    ::GetClientRect(Handle, &area);
    if (statusBar_ && statusBar_->GetHandle()) {
        statusBar_->SendMessage(WM_SIZE);
        statusBar_->SpreadParts();
        area.bottom = std::max(area.bottom - statusBar_->Height(), area.top);
    }
    if (harbor_) area = harbor_->Layout(area);
    if (client_ && client_->GetHandle()) {
        ::MoveWindow(client_->GetHandle(), area.left, area.top, area.right - area.left,
                     area.bottom - area.top, TRUE);
    }
}

bool TDecoratedFrame::IdleAction(long idleCount) {
    const bool more = TWindow::IdleAction(idleCount);
    if (TApplication* app = GetApplication()) {
        TCommandEnablers& enablers = app->CommandEnablers();
        if (harbor_ && enablers.Version() != appliedEnablers_) {
            harbor_->ApplyEnablers(enablers);
            appliedEnablers_ = enablers.Version();
        }
    }
    if (statusBar_) statusBar_->UpdateModeIndicators();
    return more;
}

bool TDecoratedFrame::RouteCommand(TMsg& msg) {
    const int id = LOWORD(msg.WParam);
    TApplication* busyApp = GetApplication();
    if (busyApp && busyApp->IsBusy() && !busyApp->RunsWhileBusy(id)) {
        msg.Result = 0;
        return true;  // refused: a long call is running
    }
    if (msg.LParam == 0 || IsBar(reinterpret_cast<HWND>(msg.LParam))) {
        TApplication* app = GetApplication();
        if (app && !app->CommandEnablers().IsEnabled(id)) {
            msg.Result = 0;
            return true;  // refused: a disabled command does nothing
        }
        TRecentFiles* recent = app ? app->GetRecentFiles() : nullptr;
        if (recent && recent->IsMruCommand(id)) {
            SendMessage(TRecentFiles::MruMessage(), static_cast<WPARAM>(id));
            return true;
        }
    }
    if (client_ && client_->GetHandle() && client_->Dispatch(msg)) return true;
    return Dispatch(msg);
}

void TDecoratedFrame::ChildDestroyed(TWindow& child) {
    // A client that closes itself (a dialog client's Close) closes the frame.
    if (&child == client_.get() && Handle && !BeingDestroyed) PostMessage(WM_CLOSE);
}

const TResponseTable& TDecoratedFrame::Table() {
    static constexpr TResponseEntry entries[] = {
        EvMessage<&TDecoratedFrame::EvSize>(WM_SIZE),
        EvMessage<&TDecoratedFrame::EvSetFocus>(WM_SETFOCUS),
        EvMessage<&TDecoratedFrame::EvInitMenuPopup>(WM_INITMENUPOPUP),
        EvMessage<&TDecoratedFrame::EvMenuSelect>(WM_MENUSELECT),
        EvMessage<&TDecoratedFrame::EvExitMenuLoop>(WM_EXITMENULOOP),
        EvMessage<&TDecoratedFrame::EvNotify>(WM_NOTIFY),
        EvCommand<&TDecoratedFrame::CmExit>(ExitCommandId),
    };
    static constexpr TResponseTable table{entries, &TWindow::Table};
    return table;
}

LRESULT TDecoratedFrame::EvSize(WPARAM, LPARAM) {
    Layout();
    return 0;
}

LRESULT TDecoratedFrame::EvSetFocus(WPARAM, LPARAM) {
    if (client_ && client_->GetHandle()) ::SetFocus(client_->GetHandle());
    return 0;
}

LRESULT TDecoratedFrame::EvInitMenuPopup(WPARAM wParam, LPARAM lParam) {
    HMENU popup = reinterpret_cast<HMENU>(wParam);
    if (HIWORD(lParam)) return DefaultProcessing();  // the system menu
    TApplication* app = GetApplication();
    if (!app) return 0;
    // The recent files live in the first popup of the menu bar.
    if (TRecentFiles* recent = app->GetRecentFiles()) {
        HMENU bar = ::GetMenu(Handle);
        if (bar && ::GetSubMenu(bar, 0) == popup) recent->UpdateMenu(popup);
    }
    const TCommandEnablers& enablers = app->CommandEnablers();
    const int count = ::GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        const UINT id = ::GetMenuItemID(popup, i);
        if (id == static_cast<UINT>(-1) || !enablers.Knows(static_cast<int>(id))) continue;
        ::EnableMenuItem(
            popup, static_cast<UINT>(i),
            MF_BYPOSITION | (enablers.IsEnabled(static_cast<int>(id)) ? MF_ENABLED : MF_GRAYED));
    }
    return 0;
}

LRESULT TDecoratedFrame::EvMenuSelect(WPARAM wParam, LPARAM lParam) {
    if (!trackMenuSelection_ || !statusBar_) return 0;
    const UINT flags = HIWORD(wParam);
    if (flags == 0xFFFF && lParam == 0) {
        statusBar_->EndHint();
    } else if (flags & (MF_POPUP | MF_SEPARATOR)) {
        statusBar_->ShowHint("");
    } else {
        ShowCommandHint(LOWORD(wParam));
    }
    return 0;
}

LRESULT TDecoratedFrame::EvExitMenuLoop(WPARAM, LPARAM) {
    if (statusBar_) statusBar_->EndHint();
    return 0;
}

LRESULT TDecoratedFrame::EvNotify(WPARAM, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && IsBar(header->hwndFrom) && header->code == TBN_HOTITEMCHANGE && statusBar_) {
        const auto* hot = reinterpret_cast<const NMTBHOTITEM*>(lParam);
        if (hot->dwFlags & HICF_LEAVING) {
            statusBar_->EndHint();
        } else {
            ShowCommandHint(hot->idNew);
        }
        return 0;
    }
    return DefaultProcessing();
}

void TDecoratedFrame::CmExit() {
    TApplication* app = GetApplication();
    TWindow* main = app && app->GetMainWindow() ? app->GetMainWindow() : this;
    main->SendMessage(WM_CLOSE);
}

void TDecoratedFrame::ShowCommandHint(int commandId) {
    if (statusBar_) statusBar_->ShowHint(LoadProgramString(commandId).c_str());
}

}  // namespace lrx::fw
