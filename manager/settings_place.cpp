#include "settings_place.h"

namespace lrx::mgr {

SettingsPlace SettingsPlaceFor(bool installed, std::string_view appDataFolder) {
    if (!installed || appDataFolder.empty()) return {"", ".\\LRXWin.ini", "LRXWin"};
    std::string folder(appDataFolder);
    if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
    folder += "LRXWin";
    return {folder, folder + "\\LRXWin.ini", folder + "\\LRXWin"};
}

}  // namespace lrx::mgr
