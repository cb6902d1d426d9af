// What the archive commands drive outside the model. TLRXWindow implements
// CommandView (message boxes owned by the list window through the
// application's MessageBox, the file-open dialog, the folder picker owned by
// the main window, the progress dialogs, caption, status line, scroll bar and
// repaint, and its own traced methods that a command runs on its way); tests
// implement it with a recorder over the engine's stand-in window.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine_window.h"

namespace lrx::mgr {

// Message box styles (with MB_OK).
enum class MessageStyle : unsigned {
    kError = 0x10,        // MB_ICONHAND
    kWarning = 0x30,      // MB_ICONEXCLAMATION
    kInformation = 0x40,  // MB_ICONINFORMATION
};

// A file-open dialog owned by the list window, with an empty file name in a
// buffer of 260 characters.
struct FilePrompt {
    std::string title;
    unsigned flags = 0;  // OFN_ flags
    std::string filter;  // "|"-separated pairs
    std::string defaultExtension;
};

// A modeless progress dialog whose parent is the list window, its mailbox
// already holding "0". Closing it (its OK command) is the commands' job and
// happens once the engine call has returned; destroying the object destroys
// the dialog if that has not happened.
class ProgressDialog {
  public:
    virtual ~ProgressDialog() = default;
    virtual EngineWindow Handle() = 0;
    virtual void Close() = 0;
};

// TMultiZipProgress: one dialog for a whole drop.
class DropProgressDialog : public ProgressDialog {
  public:
    virtual void IndicateNext() = 0;
};

class CommandView {
  public:
    virtual ~CommandView() = default;

    virtual void ShowMessage(const std::string& text, const std::string& caption,
                             MessageStyle style) = 0;
    // The chosen path, or none when cancelled.
    virtual std::optional<std::string> ChooseFile(const FilePrompt& prompt) = 0;
    // The system folder picker rooted at the desktop, file-system folders
    // only, owned by the main window: the folder's path, or none.
    virtual std::optional<std::string> ChooseFolder(const std::string& title) = 0;
    // TZipProgress (dialog resource 1).
    virtual std::unique_ptr<ProgressDialog> CreateProgress() = 0;
    // TMultiZipProgress (dialog resource 2) for a drop of fileTotal files.
    virtual std::unique_ptr<DropProgressDialog> CreateDropProgress(int fileTotal) = 0;

    virtual void SetCaption(const std::string& caption) = 0;
    // The status bar's first gadget.
    virtual void SetStatusText(const std::string& text) = 0;
    // The vertical scroll bar's thumb, with redraw.
    virtual void SetScrollPosition(int position) = 0;
    // Invalidate the whole client with erase.
    virtual void RepaintList() = 0;

    // The list window's own methods that commands call on their way, so the
    // trace shows them nested: each is the window's traced method around the
    // call named in its comment.
    virtual void SortFiles() = 0;  // Wind:SortFiles  -> model.SortFiles()
    virtual int CountFiles() = 0;  // Wind:CountFiles -> model.CountFiles()
    virtual void CmFileNew() = 0;  // Wind:CmFileNew  -> commands.CmFileNew()
    // Wind:DoAddReplay -> commands.DoAddReplay(replayPath, dialog)
    virtual bool DoAddReplay(const std::string& replayPath, DropProgressDialog* dialog) = 0;
};

}  // namespace lrx::mgr
