#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "settings_place.h"

namespace lrx::mgr::test {
namespace {

TEST(SettingsPlace, PortableInTheCurrentFolderInstalledInTheUsersApplicationData) {
    const std::tuple<bool, const char*, const char*, const char*, const char*> cases[] = {
        // installed, application data: folder, profile, trace
        {false, "C:\\Users\\ann\\AppData\\Roaming", "", ".\\LRXWin.ini", "LRXWin"},
        {true, "C:\\Users\\ann\\AppData\\Roaming", "C:\\Users\\ann\\AppData\\Roaming\\LRXWin",
         "C:\\Users\\ann\\AppData\\Roaming\\LRXWin\\LRXWin.ini",
         "C:\\Users\\ann\\AppData\\Roaming\\LRXWin\\LRXWin"},
        {true, "D:\\profile\\", "D:\\profile\\LRXWin", "D:\\profile\\LRXWin\\LRXWin.ini",
         "D:\\profile\\LRXWin\\LRXWin"},
        {true, "", "", ".\\LRXWin.ini", "LRXWin"},  // no application data known
    };
    for (const auto& [installed, appData, folder, profile, trace] : cases) {
        const SettingsPlace place = SettingsPlaceFor(installed, appData);
        EXPECT_EQ(std::tie(place.folder, place.profilePath, place.tracePath),
                  std::tuple(std::string(folder), std::string(profile), std::string(trace)))
            << installed << " " << appData;
    }
}

}  // namespace
}  // namespace lrx::mgr::test
