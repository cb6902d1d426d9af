// A window for programs that host the engine: it holds the mailbox text, tells
// the host of every change (the engine's reports and the host's own writes,
// as an edit control does), and answers the engine's messages.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "lrxpack.h"

namespace lrx {

class HostWindow {
  public:
    using ChangeHandler = std::function<void(HostWindow&)>;

    HostWindow();
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    // What to pass to sJTU and MFqc.
    HWND handle() const;
    // Destroys the window (as closing a dialog does) while this object stays:
    // the handle then names a window that no longer exists.
    void Destroy();

    // Called synchronously on every change of the mailbox text.
    void OnMailboxChange(ChangeHandler handler) { onChange_ = std::move(handler); }

    void SetMailboxText(std::string_view text);
    const std::string& MailboxText() const { return mailbox_; }
    int FocusCount() const { return focusCount_; }

  private:
#ifdef _WIN32
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    HWND window_ = nullptr;
    HWND edit_ = nullptr;
#else
    struct Native : LrxWindow {
        HostWindow* owner;
    };
    static LRESULT Dispatch(LrxWindow* window, int controlId, unsigned message, WPARAM wParam,
                            LPARAM lParam);
    static LRESULT Gone(LrxWindow* window, int controlId, unsigned message, WPARAM wParam,
                        LPARAM lParam);
    Native* native_ = nullptr;
#endif
    void Changed();

    std::string mailbox_;
    int focusCount_ = 0;
    ChangeHandler onChange_;
};

}  // namespace lrx
