// LRXWin.exe [ARCHIVE]: the archive manager; the first argument is opened as
// an archive once the main window is up.
#include <shlobj.h>
#include <windows.h>

#include "call_trace.h"
#include "help.h"
#include "lrxwin_app.h"
#include "recent_files.h"
#include "settings_place.h"

namespace {

// The installed copy's marker and the user's application-data folder decide
// where the recent-file list and the trace go (settings_place.h).
lrx::mgr::SettingsPlace FindSettingsPlace() {
    const std::string marker = lrx::fw::ProgramFolderFile(lrx::mgr::kInstalledMarker);
    const bool installed = ::GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
    char appData[MAX_PATH] = {};
    if (installed && ::SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                        SHGFP_TYPE_CURRENT, appData) != S_OK) {
        appData[0] = '\0';
    }
    lrx::mgr::SettingsPlace place = lrx::mgr::SettingsPlaceFor(installed, appData);
    if (!place.folder.empty()) ::CreateDirectoryA(place.folder.c_str(), nullptr);
    return place;
}

}  // namespace

int main(int argc, char* argv[]) {
    const lrx::mgr::SettingsPlace place = FindSettingsPlace();
    lrx::ProcessTrace().Open(place.tracePath.c_str());
    lrx::fw::TRecentFiles::MruMessage();  // registered before the application
    auto app = std::make_unique<lrx::mgr::TLRXWinApp>(place.profilePath.c_str());
    if (argc > 1) {
        app->CmdArgCount = argc - 1;
        app->CmdArgs = argv;
    }
    const int result = app->Run();
    lrx::ProcessTrace().Close();
    app.reset();
    return result;
}
