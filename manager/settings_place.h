// Where LRXWin keeps its recent-file list (LRXWin.ini) and its call trace
// (LRXWin). A portable copy, unpacked from the zip, keeps them in the current
// folder. An installed copy, which finds the installer's marker file beside
// the program, keeps them in a folder of its own in the user's application
// data: a double-clicked archive's folder and the program folder stay clean,
// and a Start-menu launch and a double-click share one list.
#pragma once

#include <string>
#include <string_view>

namespace lrx::mgr {

inline constexpr const char* kInstalledMarker = "LRXWin.installed";

struct SettingsPlace {
    std::string folder;  // to create before use; empty for the current folder
    std::string profilePath;
    std::string tracePath;
};

// `appDataFolder` is the user's application-data folder, or empty when it
// is unknown, in which case an installed copy too uses the current folder.
SettingsPlace SettingsPlaceFor(bool installed, std::string_view appDataFolder);

}  // namespace lrx::mgr
