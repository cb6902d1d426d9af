// TLRXWindow: the frame's client, the open archive as rows under a
// five-column header. It draws the rows itself in twips, scrolls, selects
// with mouse and keys, and runs the archive commands; all of that lives in
// ListWindowModel and ArchiveCommands, and this class only connects them to
// the window, the header, the scroll bar and the dialogs (CommandView).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "archive_commands.h"
#include "controls.h"
#include "frame.h"
#include "list_window_model.h"
#include "scroll_bar.h"
#include "win32_locale.h"
#include "window.h"

namespace lrx::mgr {

class TLRXWindow : public fw::TWindow, public CommandView {
  public:
    TLRXWindow();
    ~TLRXWindow() override;

    static const fw::TResponseTable& Table();
    const fw::TResponseTable& Responses() const override { return Table(); }

    void SetupWindow() override;
    void Paint(fw::TDC& dc, bool erase, const RECT& rect) override;

    // Operations the application and the commands use.
    bool DoOpenFile(const char* path);
    void SortFiles() override;
    int CountFiles() override;
    void CheckLines();
    void CmFileNew() override;
    bool DoAddReplay(const std::string& replayPath, DropProgressDialog* dialog) override;
    void DropFiles(const std::vector<std::string>& paths);
    bool Busy() const { return Commands.Busy(); }

    fw::TStatusBar* StatusBar = nullptr;

    const ListWindowModel& Model() const { return model_; }
    int HeaderHeight() const { return model_.Geometry().HeaderHeight(); }

    // CommandView
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageStyle style) override;
    std::optional<std::string> ChooseFile(const FilePrompt& prompt) override;
    std::optional<std::string> ChooseFolder(const std::string& title) override;
    std::unique_ptr<ProgressDialog> CreateProgress() override;
    std::unique_ptr<DropProgressDialog> CreateDropProgress(int fileTotal) override;
    void SetCaption(const std::string& caption) override;
    void SetStatusText(const std::string& text) override;
    void SetScrollPosition(int position) override;
    void RepaintList() override;

  protected:
    const char* ClassName() const override { return "LRXWinList"; }

    LRESULT EvScroll(WPARAM, LPARAM);
    LRESULT EvSize(WPARAM, LPARAM);
    LRESULT EvLButtonDown(WPARAM, LPARAM);
    LRESULT EvMouseWheel(WPARAM, LPARAM);
    LRESULT EvKeyDown(WPARAM, LPARAM);
    LRESULT EvOpenCommandLine(WPARAM, LPARAM);
    void HeaderEndTrack(NMHDR&);
    void HeaderClicked(NMHDR&);

    void CmAddReplay();
    void CmRepDelete();
    void CmFileExtractAll();
    void CmRepExtractSel();

  private:
    explicit TLRXWindow(SIZE extents);
    // The enablers follow the model after every change.
    void UpdateEnablers();
    void Repaint(bool needed);

    Win32Locale locale_;
    ListWindowModel model_;
    ArchiveCommands Commands{model_, *this};
    std::unique_ptr<fw::TColumnHeader> Header;
};

// Posted to the list window once it is set up: opens the first command-line
// argument, so an "Open Error" box never shows before the main window does.
inline constexpr UINT WM_OPENCOMMANDLINE = WM_APP + 1;

}  // namespace lrx::mgr
