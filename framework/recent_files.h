// TRecentFiles: the recent-file list of a program, kept in a profile (.ini)
// file and shown in the first popup of the main window's menu, just above
// its Exit item (ExitCommandId). Choosing an item sends the registered message
// "MRUFILEMESSAGE" to the main window with the item's command id, which the
// application's response table takes (EvRegistered).
//
// A program's application class derives from TRecentFiles as well and hands
// itself to TApplication::SetRecentFiles.
#pragma once

#include <windows.h>

#include <string>

#include "frame.h"
#include "recent_file_list.h"

namespace lrx::fw {

class TRecentFiles {
  public:
    static constexpr int FirstCommandId = 32000;
    static constexpr const char* Section = "Recent Files";

    // Reads the list from `profilePath` (".\\LRXWin.ini": the current directory).
    TRecentFiles(const char* profilePath, int maxFiles = 4);
    virtual ~TRecentFiles() = default;

    // Records `path` as the most recent file and saves the list at once.
    void SaveMenuChoice(const char* path);
    // The path of the menu item `commandId`, at most size - 1 characters.
    bool GetMenuText(int commandId, char* text, int size) const;
    bool IsMruCommand(int commandId) const;
    const RecentFileList& Files() const { return list_; }

    static UINT MruMessage();
    // Puts the current items into `popup` (the framework calls this when the
    // popup opens).
    void UpdateMenu(HMENU popup);

  private:
    void Load();
    void Save() const;
    void RemoveMenuItems(HMENU popup);

    std::string profilePath_;
    RecentFileList list_;
    int shownItems_ = 0;  // items and their separator last put into a menu
    bool separatorFirst_ = false;
};

}  // namespace lrx::fw
