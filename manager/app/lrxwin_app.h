// TLRXWinApp: LRXWin's application object. It builds the frame with its
// menu, toolbar, status bar and list window, keeps the recent-file list in
// the profile file it is given (".\LRXWin.ini"; settings_place.h), opens
// archives (menu, recent files, command line) and takes dropped files, runs
// the help commands and the context-help mode (ContextHelp, with this class
// as its HelpView) and the About box.
#pragma once

#include <memory>

#include "application.h"
#include "common_dialogs.h"
#include "context_help.h"
#include "cursor.h"
#include "recent_files.h"

namespace lrx::mgr {

class TLRXWindow;

class TLRXWinApp : public fw::TApplication, public fw::TRecentFiles, public HelpView {
  public:
    explicit TLRXWinApp(const char* profilePath = ".\\LRXWin.ini");
    ~TLRXWinApp() override;

    static const fw::TResponseTable& Table();
    const fw::TResponseTable& Responses() const override { return Table(); }

    // The framework's run; then the frame and the list window go, while the
    // call trace is still open (main closes it once Run has returned).
    int Run() override;
    bool CanClose() override;
    bool ProcessAppMsg(MSG& msg) override;
    void InitMainWindow() override;
    bool RunsWhileBusy(int commandId) const override;

    // Opens `name` (or the open-file data's name) and records it in the
    // recent-file list, whether the open succeeded or not.
    void CmOpenFile(const char* name);
    TLRXWindow* ListWindow() const;

    // The frame's share of context help: commands that are sent to it
    // (toolbar buttons) and the menu loop's sent messages.
    bool CommandHelp(int commandId);
    void MenuOpened();
    void MenuIdle(bool menuSource);
    const ContextHelp& Help() const { return help_; }

    fw::TOpenSaveDialog::TData FileData;
    int CmdArgCount = 0;
    char** CmdArgs = nullptr;

    // HelpView
    bool ShowHelp(HelpCommand command, unsigned long data) override;
    void LoadHelpCursor() override;
    void ReleaseHelpCursor() override;
    void ShowHelpCursor() override;
    void ShowArrowCursor() override;
    void PostMenuEnter() override;

  protected:
    void SetupSpeedBar(class TSDIDecFrame& frame);
    void CmFileOpen();
    void CmHelpContents();
    void CmHelpUsing();
    void CmHelpAbout();
    LRESULT EvDropFiles(WPARAM drop, LPARAM);
    LRESULT CmFileSelected(WPARAM commandId, LPARAM);

  private:
    HWND MainHandle() const;

    ContextHelp help_{*this};
    std::unique_ptr<fw::TCursor> HelpCursor;
};

}  // namespace lrx::mgr
