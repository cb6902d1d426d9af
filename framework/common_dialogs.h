// The system's file-open dialog and folder picker. Both go through the prompt
// seam (prompt.h), so tests answer them without a window.
#pragma once

#include <windows.h>

#include <string>

namespace lrx::fw {

class TWindow;

class TOpenSaveDialog {
  public:
    struct TData {
        TData(DWORD flags = 0, const char* filter = nullptr, const char* defaultExtension = nullptr,
              int maxPath = MAX_PATH)
            : Flags(flags),
              Filter(filter ? filter : ""),
              DefExt(defaultExtension ? defaultExtension : ""),
              MaxPath(maxPath) {}

        DWORD Flags;         // OFN_ flags
        std::string Filter;  // "Description|pattern|..." pairs
        std::string DefExt;  // without the dot
        // In: the initial name; out: the chosen path (at most MaxPath - 1 characters).
        std::string FileName;
        int MaxPath;
    };
};

class TFileOpenDialog {
  public:
    TFileOpenDialog(TWindow* parent, TOpenSaveDialog::TData& data, const char* title = nullptr)
        : parent_(parent), data_(data), title_(title ? title : "") {}
    // IDOK with data.FileName set, or IDCANCEL.
    int Execute();

  private:
    TWindow* parent_;
    TOpenSaveDialog::TData& data_;
    std::string title_;
};

// The system folder picker rooted at the desktop. True with `path` set to the
// chosen folder's file-system path (no trailing separator but for a root).
bool BrowseForFolder(HWND owner, const char* title, std::string& path);

}  // namespace lrx::fw
