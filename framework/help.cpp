#include "help.h"

#include <shellapi.h>

#include "prompt.h"

namespace lrx::fw {

bool CallWinHelp(HWND owner, const char* helpFile, UINT command, ULONG_PTR data) {
    TPrompt prompt(TPromptKind::Help);
    prompt.Owner = owner;
    prompt.Text = helpFile ? helpFile : "";
    prompt.Style = command;
    prompt.Data = data;
    if (auto answer = AnswerPrompt(prompt)) return *answer != 0;
    return ::WinHelpA(owner, helpFile, command, data) != FALSE;
}

std::string FileUrl(const std::string& path, const std::string& anchor) {
    std::string url = "file:///";
    for (char c : path) {
        if (c == '\\') {
            url += '/';
        } else if (c == ' ') {
            url += "%20";
        } else if (c == '#') {
            url += "%23";
        } else {
            url += c;
        }
    }
    if (!anchor.empty()) url += "#" + anchor;
    return url;
}

bool OpenHelpPage(HWND owner, const std::string& pagePath, const std::string& anchor) {
    TPrompt prompt(TPromptKind::Browser);
    prompt.Owner = owner;
    prompt.Path = FileUrl(pagePath, anchor);
    if (auto answer = AnswerPrompt(prompt)) return *answer != 0;
    const auto started = reinterpret_cast<INT_PTR>(
        ::ShellExecuteA(owner, "open", prompt.Path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return started > 32;  // values up to 32 are error codes
}

std::string ProgramFolderFile(const char* fileName) {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length < sizeof path ? length : 0);
    const auto slash = folder.find_last_of("\\/");
    folder.resize(slash == std::string::npos ? 0 : slash + 1);
    return folder + (fileName ? fileName : "");
}

}  // namespace lrx::fw
