#include "recent_files.h"

#include <vector>

namespace lrx::fw {
namespace {

std::string KeyOf(std::size_t index) {
    return "File" + std::to_string(index + 1);
}

int PositionOf(HMENU menu, UINT id) {
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (::GetMenuItemID(menu, i) == id) return i;
    }
    return -1;
}

}  // namespace

TRecentFiles::TRecentFiles(const char* profilePath, int maxFiles)
    : profilePath_(profilePath ? profilePath : ""),
      list_(static_cast<std::size_t>(maxFiles > 0 ? maxFiles : 0)) {
    Load();
}

UINT TRecentFiles::MruMessage() {
    static const UINT message = ::RegisterWindowMessageA("MRUFILEMESSAGE");
    return message;
}

void TRecentFiles::Load() {
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < list_.Capacity(); ++i) {
        char path[MAX_PATH * 2] = {};
        ::GetPrivateProfileStringA(Section, KeyOf(i).c_str(), "", path, sizeof path,
                                   profilePath_.c_str());
        paths.emplace_back(path);
    }
    list_.Assign(paths);
}

void TRecentFiles::Save() const {
    // Rewrite the whole section, so that no stale key survives.
    ::WritePrivateProfileStringA(Section, nullptr, nullptr, profilePath_.c_str());
    const auto& paths = list_.Paths();
    for (std::size_t i = 0; i < paths.size(); ++i) {
        ::WritePrivateProfileStringA(Section, KeyOf(i).c_str(), paths[i].c_str(),
                                     profilePath_.c_str());
    }
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, profilePath_.c_str());  // flush
}

void TRecentFiles::SaveMenuChoice(const char* path) {
    if (!path || !*path) return;
    list_.Add(path);
    Save();
}

bool TRecentFiles::IsMruCommand(int commandId) const {
    return commandId >= FirstCommandId &&
           commandId < FirstCommandId + static_cast<int>(list_.Paths().size());
}

bool TRecentFiles::GetMenuText(int commandId, char* text, int size) const {
    if (!text || size <= 0) return false;
    text[0] = '\0';
    if (!IsMruCommand(commandId)) return false;
    const std::string& path = list_.Paths()[static_cast<std::size_t>(commandId - FirstCommandId)];
    const std::size_t kept = path.copy(text, static_cast<std::size_t>(size - 1));
    text[kept] = '\0';
    return kept == path.size();
}

void TRecentFiles::RemoveMenuItems(HMENU popup) {
    int first = PositionOf(popup, FirstCommandId);
    if (first < 0) return;
    if (separatorFirst_) --first;
    for (int i = 0; i < shownItems_; ++i) {
        ::DeleteMenu(popup, static_cast<UINT>(first), MF_BYPOSITION);
    }
    shownItems_ = 0;
}

void TRecentFiles::UpdateMenu(HMENU popup) {
    RemoveMenuItems(popup);
    const auto& paths = list_.Paths();
    if (paths.empty()) return;
    // Above Exit, whose separator then also sits above the list; or at the
    // end behind a separator of their own.
    int position = PositionOf(popup, ExitCommandId);
    separatorFirst_ = position < 0;
    if (separatorFirst_) {
        position = ::GetMenuItemCount(popup);
        ::InsertMenuA(popup, static_cast<UINT>(position++), MF_BYPOSITION | MF_SEPARATOR, 0,
                      nullptr);
    }
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string text = RecentFileMenuText(i, paths[i]);
        ::InsertMenuA(popup, static_cast<UINT>(position++), MF_BYPOSITION | MF_STRING,
                      static_cast<UINT_PTR>(FirstCommandId + static_cast<int>(i)), text.c_str());
    }
    if (!separatorFirst_) {
        ::InsertMenuA(popup, static_cast<UINT>(position), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    }
    shownItems_ = static_cast<int>(paths.size()) + 1;
}

}  // namespace lrx::fw
