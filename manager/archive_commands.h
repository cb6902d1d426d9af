// The archive commands over the engine's exports, on the list window's model.
// TLRXWindow and TLRXWinApp own no logic of their own for them; each handler
// calls the method of the same name (after its trace label):
//   Wind:CmFileNew CmFileNew()          Wind:DoOpenFile     DoOpenFile(path)
//   Wind:CmAddReplay CmAddReplay()      Wind:DoAddReplay    DoAddReplay(path, dialog)
//   Wind:CmRepDelete CmRepDelete()      Wind:CmFileExtractAll CmFileExtractAll()
//   Wind:CmRepExtractSel CmRepExtractSel()
//   App:EvDropFiles -> DropFiles(paths), then DragFinish
//   App:CmOpenFile  -> DoOpenFile(name), then SaveMenuChoice(name) unless Busy()
//   App:CmFileOpen, App:CmFileSelected: nothing while Busy()
//   App:CanClose    -> false while Busy() (the progress dialog's Abort stops a run)
// Enablers: CeFileNew and CeFileExtractAll follow ArchiveOpen(), CeRepDelete
// and CeRepExtractSel follow RowClicked() of the model's list.
//
// Busy: while an engine call runs. Only then does a command arrive nested
// (through the progress dialog's message pump): every entry point then does
// nothing, a drop is refused with a short message, and CanClose() is false.
// The frame refuses other commands with RefusesCommand(id); help stays
// available. The nested calls a command makes through CommandView's window
// methods happen outside engine calls and are not refused.
#pragma once

#include <string>
#include <vector>

#include "command_view.h"
#include "list_window_model.h"

namespace lrx::mgr {

// Texts of the prompts, as the dialogs show them.
inline constexpr const char* kReplayFilter = "Replay Files (*.rpl)|*.rpl|All files (*.*|*.*|";
inline constexpr const char* kNewArchiveFilter =
    "Replay Archives (*.lrx)|*.lrx|All files (*.*|*.*|";
// The application's open-file data (FileData), used by App:CmFileOpen.
inline constexpr const char* kOpenArchiveFilter =
    "Replay Archives (*.lrx)|*.lrx|All Files (*.*)|*.*|";
inline constexpr unsigned kOpenArchiveFlags = 0x1006;
inline constexpr const char* kExtractAllTitle = "Select firectory for extraction";
inline constexpr const char* kExtractSelectedTitle = "Select directory for extraction";
inline constexpr const char* kBusyText = "Please wait until the current operation has finished.";
inline constexpr const char* kPathTooLongText = "The path is longer than 255 characters.";

class ArchiveCommands {
  public:
    ArchiveCommands(ListWindowModel& model, CommandView& view) : model_(model), view_(view) {}

    bool Busy() const { return busy_; }
    bool CanClose() const { return !busy_; }
    // True for every command but help (2001, 2002, 2009) while busy.
    bool RefusesCommand(int commandId) const;

    // New: empties the view (no rows, caption "LRXWin", TopLine and thumb 0);
    // the listing, ArchivePath and the status line stay.
    void CmFileNew();
    // The New steps, then the listing: "Open Error" on failure (the view
    // stays empty), else the archive becomes the open one, sorted. A path
    // longer than kMaxArchivePath is refused with "Open Error" before
    // anything changes.
    bool DoOpenFile(const std::string& path);
    // "Add Replay" prompt, DoAddReplay, then SortFiles and repaint.
    void CmAddReplay();
    // Adds one replay (asking for the archive first when none is open) under
    // the given drop dialog, or under a TZipProgress of its own. True when
    // added. Does not sort.
    bool DoAddReplay(const std::string& replayPath, DropProgressDialog* dropDialog = nullptr);
    // Every dropped file to the engine, in order, whatever its extension;
    // IndicateNext after each, also after a failure, which ends the loop.
    void DropFiles(const std::vector<std::string>& paths);
    // Deletes the selected rows (no confirmation). 25: the information box,
    // then the no-archive state without an error box.
    void CmRepDelete();
    void CmFileExtractAll();
    void CmRepExtractSel();

  private:
    class EngineCall;
    // Lists the archive after a successful change: on failure the view is
    // emptied before the error box (the rows pointed into the freed listing).
    bool Refresh(const char* errorCaption);
    void ShowEngineError(int code, const char* caption);
    void Extract(const char* title, bool everyEntry);

    ListWindowModel& model_;
    CommandView& view_;
    bool busy_ = false;
};

// The destination folder as the engine takes it: the path and a separator
// ("\" on Windows, so a drive root ends in two, which the system accepts).
std::string DestinationFolder(const std::string& folder);

}  // namespace lrx::mgr
