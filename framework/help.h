// Help through the prompt seam: CallWinHelp asks the system's help engine; where
// that fails (no viewer for the format), OpenHelpPage shows an HTML page in
// the system's browser instead. Tests answer both without starting anything.
#pragma once

#include <windows.h>

#include <string>

namespace lrx::fw {

// WinHelpA(owner, helpFile, command, data); true when the engine took it.
bool CallWinHelp(HWND owner, const char* helpFile, UINT command, ULONG_PTR data);

// Opens `pagePath` at `anchor` (none when empty) in the system's browser;
// true when the browser was started.
bool OpenHelpPage(HWND owner, const std::string& pagePath, const std::string& anchor);

// The address OpenHelpPage opens: "file:///C:/dir/page.html#anchor".
std::string FileUrl(const std::string& path, const std::string& anchor);

// The full path of `fileName` in the folder of the running program.
std::string ProgramFolderFile(const char* fileName);

}  // namespace lrx::fw
