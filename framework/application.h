// TApplication: builds the main window in InitMainWindow and runs the message
// loop until the main window is gone. Every message is first offered to
// ProcessAppMsg; messages for no window (thread timers) go to the
// application's own response table. While no message waits, IdleAction is
// called, and called again while it returns true; after it returns false the
// loop sleeps until new work arrives. Mouse moves, paints and the caret-blink
// timer are not new work, so they do not restart idle processing.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "command_enablers.h"
#include "event_handler.h"
#include "window.h"

namespace lrx::fw {

class TRecentFiles;

class TApplication : public TEventHandler {
  public:
    explicit TApplication(const char* name = "");
    ~TApplication() override;
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // The application being run (one at a time).
    static TApplication* Current();

    // InitMainWindow, create and show the main window, run the loop. Returns
    // the value given to PostQuitMessage (0 when the main window closed).
    virtual int Run();

    virtual void InitMainWindow() {}
    void SetMainWindow(std::unique_ptr<TWindow> window);
    TWindow* GetMainWindow() const { return mainWindow_.get(); }

    // Asked before the main window closes; the default refuses while busy
    // and otherwise asks the main window.
    virtual bool CanClose();
    // True while a TBusyScope lives (a long call runs and pumps messages).
    bool IsBusy() const { return busyDepth_ > 0; }
    // Commands the frame still runs while busy; the default: none.
    virtual bool RunsWhileBusy(int /*commandId*/) const { return false; }
    // Sees every message before it is dispatched; true consumes it.
    virtual bool ProcessAppMsg(MSG&) { return false; }
    // The default gives the main window's windows their idle time.
    virtual bool IdleAction(long idleCount);

    // Dispatches every message waiting in the thread's queue and returns.
    void PumpWaitingMessages();

    int MessageBox(HWND owner, const char* text, const char* caption, UINT type = MB_OK);

    TCommandEnablers& CommandEnablers() { return enablers_; }
    void SetRecentFiles(TRecentFiles* recentFiles) { recentFiles_ = recentFiles; }
    TRecentFiles* GetRecentFiles() const { return recentFiles_; }

    const std::string& GetName() const { return name_; }
    // How the main window is first shown; from the program's start-up info.
    int nCmdShow;

  protected:
    int MessageLoop();
    // One message from the queue: ProcessAppMsg, thread messages, the main
    // window's accelerators, modeless dialogs' keyboard, then dispatch.
    void ProcessMessage(MSG& msg);

  private:
    friend class TBusyScope;

    std::string name_;
    std::unique_ptr<TWindow> mainWindow_;
    TCommandEnablers enablers_;
    TRecentFiles* recentFiles_ = nullptr;
    int busyDepth_ = 0;
};

// Messages after which idle processing starts again.
bool IsNewWork(const MSG& msg);

}  // namespace lrx::fw
