// The one seam through which every modal prompt passes: message boxes, the
// file-open dialog, the folder picker, modal dialogs run with
// TDialog::Execute, the help engine and the browser that shows a help page
// (help.h), so tests never start a viewer. A test installs an answerer; it sees each prompt and
// either answers it (the real prompt never shows) or returns std::nullopt to
// let it show. The program installs nothing, so the real prompts show.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "common_dialogs.h"

namespace lrx::fw {

class TDialog;

enum class TPromptKind { MessageBox, FileOpen, Folder, Dialog, Help, Browser };

struct TPrompt {
    explicit TPrompt(TPromptKind kind) : Kind(kind) {}

    TPromptKind Kind;
    HWND Owner = nullptr;
    std::string Text;     // message box text; file or folder dialog title; help file
    std::string Caption;  // message box caption; the dialog's caption
    UINT Style = 0;       // message box style; file dialog flags; help command
    ULONG_PTR Data = 0;   // Help: the command's data (a context id)
    // FileOpen: the answerer writes the chosen path into FileData->FileName.
    TOpenSaveDialog::TData* FileData = nullptr;
    // Folder: the answerer writes the chosen folder here. Browser: the
    // address to open.
    std::string Path;
    // Dialog: the live dialog, set up (controls bound, SetupWindow run) and
    // not yet shown; its resource id.
    TDialog* Dialog = nullptr;
    int ResourceId = 0;
};

// The answer: IDOK/IDCANCEL for file and folder prompts, the button for a
// message box, the Execute result for a dialog, nonzero for a help engine or
// browser that showed what it was asked.
using TPromptAnswerer = std::function<std::optional<int>(TPrompt&)>;

// Process-wide; an empty answerer lets every prompt show.
void SetPromptAnswerer(TPromptAnswerer answerer);
std::optional<int> AnswerPrompt(TPrompt& prompt);

// Installs an answerer for a scope (tests).
class TScopedPromptAnswerer {
  public:
    explicit TScopedPromptAnswerer(TPromptAnswerer answerer) {
        SetPromptAnswerer(std::move(answerer));
    }
    ~TScopedPromptAnswerer() { SetPromptAnswerer(nullptr); }
    TScopedPromptAnswerer(const TScopedPromptAnswerer&) = delete;
    TScopedPromptAnswerer& operator=(const TScopedPromptAnswerer&) = delete;
};

// MessageBoxA through the seam.
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type);

}  // namespace lrx::fw
