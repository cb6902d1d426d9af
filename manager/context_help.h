// The help commands and the context-help mode of TLRXWinApp. The window
// classes forward the messages and do what HelpView asks:
//   ProcessAppMsg: WM_COMMAND -> OnCommand; WM_KEYDOWN F1 -> OnF1, Esc ->
//     OnEscape; WM_MOUSEMOVE, WM_NCMOUSEMOVE -> OnMouseMove; true = consumed.
//   Commands that are sent rather than posted (toolbar buttons) never pass
//     ProcessAppMsg: the frame asks OnCommand before dispatching them.
//   WM_INITMENU and the menu loop's WM_ENTERIDLE are sent to the frame: its
//     handlers call OnMouseMove and OnMenuIdle.
//   CmHelpContents, CmHelpUsing -> the methods of the same name.
//   CanClose: when the framework agrees, CanClose() (closes a help window
//     this program opened).
// F1 alone opens the index; Shift+F1 turns the mode on and the next command
// chosen, however it arrives, shows its help instead of running.
#pragma once

namespace lrx::mgr {

// WinHelpA commands.
enum class HelpCommand : unsigned {
    kContext = 1,
    kQuit = 2,
    kIndex = 3,
    kHelpOnHelp = 4,
    kFinder = 11,
};

inline constexpr const char* kHelpFile = "LRXWin.hlp";

class HelpView {
  public:
    virtual ~HelpView() = default;
    // WinHelpA(main window, "LRXWin.hlp", command, data); true on success.
    virtual bool ShowHelp(HelpCommand command, unsigned long data) = 0;
    // Cursor 24000 of the program, loaded once per mode and released when it ends.
    virtual void LoadHelpCursor() = 0;
    virtual void ReleaseHelpCursor() = 0;
    virtual void ShowHelpCursor() = 0;
    // The main window's cursor becomes IDC_ARROW.
    virtual void ShowArrowCursor() = 0;
    // Posts WM_KEYDOWN VK_RETURN to the main window (chooses the menu item).
    virtual void PostMenuEnter() = 0;
};

class ContextHelp {
  public:
    explicit ContextHelp(HelpView& view) : view_(view) {}

    bool OnCommand(int commandId, bool f1Held);
    bool OnF1(bool shiftHeld);
    bool OnEscape();
    bool OnMouseMove();
    // WM_ENTERIDLE: menuSource is wParam == MSGF_MENU.
    bool OnMenuIdle(bool menuSource, bool f1Held);
    void CmHelpContents();
    void CmHelpUsing();
    void CanClose();

    bool HelpState() const { return helpState_; }
    bool Active() const { return active_; }
    bool CursorLoaded() const { return cursorLoaded_; }

  private:
    void EndMode();

    HelpView& view_;
    bool helpState_ = false;
    bool active_ = false;
    bool cursorLoaded_ = false;
};

}  // namespace lrx::mgr
