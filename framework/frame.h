// TDecoratedFrame: a top-level window around one client window, with a menu,
// caption and icons, an optional harbor whose toolbars dock at its edges and
// an optional status bar at the bottom; the client fills what is left. The
// status bar's first part shows the program's text, replaced by the hint
// string of the highlighted menu item or hovered toolbar button while there
// is one (a command's id is also its string resource id and its toolbar
// bitmap id).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "controls.h"
#include "harbor.h"

namespace lrx::fw {

// The framework's own Exit command: closes the main window (asking CanClose).
constexpr int ExitCommandId = 24310;

class TStatusBar : public TControl {
  public:
    enum TModeIndicator : unsigned { CapsLock = 0x2, NumLock = 0x4, ScrollLock = 0x8 };

    explicit TStatusBar(unsigned modeIndicators = 0);

    // The first part's own text, shown whenever no hint is.
    void SetText(const char* text);
    const std::string& GetText() const { return text_; }
    // What the first part shows right now.
    std::string GetShownText() const;

    void ShowHint(const char* hint);
    void EndHint();
    // Shows the lock keys' states; touches the control only when one changed.
    void UpdateModeIndicators();
    int Height() const;
    // Keeps the mode parts at the right edge after a size change.
    void SpreadParts();

  protected:
    void SetupWindow() override;

  private:
    void ShowFirstPart(const std::string& text);

    unsigned modes_;
    std::string text_;
    bool hinting_ = false;
    unsigned shownModes_ = ~0u;
};

class TDecoratedFrame : public TWindow {
  public:
    static constexpr int StatusBarId = 0x7E01;
    static constexpr int ControlBarId = TControlBar::DefaultId;

    TDecoratedFrame(TWindow* parent, const char* title, std::unique_ptr<TWindow> client,
                    bool trackMenuSelection = false);
    ~TDecoratedFrame() override;

    static const TResponseTable& Table();
    const TResponseTable& Responses() const override { return Table(); }

    TWindow* GetClientWindow() const { return client_.get(); }
    void SetIcon(int resourceId);
    void SetIconSm(int resourceId);
    void AssignMenu(int resourceId);
    void SetAccelerators(int resourceId);
    HACCEL GetAccelerators() const override { return accelerators_; }

    // The frame owns its status bar and its harbor (which owns the toolbars).
    TStatusBar* Insert(std::unique_ptr<TStatusBar> statusBar);
    THarbor* Insert(std::unique_ptr<THarbor> harbor);
    TStatusBar* GetStatusBar() const { return statusBar_.get(); }
    THarbor* GetHarbor() const { return harbor_.get(); }
    // The harbor's first toolbar, or null.
    TDockableControlBar* GetControlBar() const { return harbor_ ? harbor_->GetBar(0) : nullptr; }

    // Places the status bar, the docked toolbars and the client.
    void Layout();

    // Size the frame so that its client area fits the client window's size
    // at creation (a dialog client's template size).
    bool ShrinkToClient = false;

    bool IdleAction(long idleCount) override;

  protected:
    void SetupWindow() override;
    bool RouteCommand(TMsg& msg) override;
    void ChildDestroyed(TWindow& child) override;
    const char* ClassName() const override { return "LrxFrame"; }
    void GetWindowClass(WNDCLASSA& windowClass) const override;

    LRESULT EvSize(WPARAM, LPARAM);
    LRESULT EvSetFocus(WPARAM, LPARAM);
    LRESULT EvInitMenuPopup(WPARAM, LPARAM);
    LRESULT EvMenuSelect(WPARAM, LPARAM);
    LRESULT EvExitMenuLoop(WPARAM, LPARAM);
    LRESULT EvNotify(WPARAM, LPARAM);
    void CmExit();

    void ShowCommandHint(int commandId);
    bool IsBar(HWND window) const { return harbor_ && harbor_->Owns(window); }

  private:
    void ApplyIcons();

    std::unique_ptr<TWindow> client_;
    std::unique_ptr<TStatusBar> statusBar_;
    std::unique_ptr<THarbor> harbor_;
    bool trackMenuSelection_;
    int iconId_ = 0;
    int smallIconId_ = 0;
    HACCEL accelerators_ = nullptr;
    uint64_t appliedEnablers_ = ~uint64_t{0};
};

// The string resource `id` of the program, or "".
std::string LoadProgramString(int id);

}  // namespace lrx::fw
