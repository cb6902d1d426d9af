#include "common_dialogs.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "file_filter.h"
#include "prompt.h"
#include "window.h"

namespace lrx::fw {

int TFileOpenDialog::Execute() {
    HWND owner = parent_ ? parent_->GetHandle() : nullptr;
    TPrompt prompt(TPromptKind::FileOpen);
    prompt.Owner = owner;
    prompt.Text = title_;
    prompt.Style = data_.Flags;
    prompt.FileData = &data_;
    if (auto answer = AnswerPrompt(prompt)) return *answer;

    const int size = data_.MaxPath > 1 ? data_.MaxPath : MAX_PATH;
    std::vector<char> name(static_cast<std::size_t>(size), '\0');
    data_.FileName.copy(name.data(), name.size() - 1);
    const std::string filter = FilterWithNulls(data_.Filter);

    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
    ofn.Flags = data_.Flags | OFN_EXPLORER;
    ofn.lpstrDefExt = data_.DefExt.empty() ? nullptr : data_.DefExt.c_str();
    if (!::GetOpenFileNameA(&ofn)) return IDCANCEL;
    data_.FileName = name.data();
    return IDOK;
}

bool BrowseForFolder(HWND owner, const char* title, std::string& path) {
    TPrompt prompt(TPromptKind::Folder);
    prompt.Owner = owner;
    prompt.Text = title ? title : "";
    if (auto answer = AnswerPrompt(prompt)) {
        if (*answer != IDOK) return false;
        path = prompt.Path;
        return true;
    }

    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    bool chosen = false;
    if (LPITEMIDLIST item = ::SHBrowseForFolderA(&info)) {
        char folder[MAX_PATH] = {};
        if (::SHGetPathFromIDListA(item, folder)) {
            path = folder;
            chosen = true;
        }
        ::CoTaskMemFree(item);
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
    return chosen;
}

}  // namespace lrx::fw
