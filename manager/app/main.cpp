// LRXWin.exe [ARCHIVE]: the archive manager; the first argument is opened as
// an archive once the main window is up.
#include "call_trace.h"
#include "lrxwin_app.h"
#include "recent_files.h"

int main(int argc, char* argv[]) {
    lrx::ProcessTrace().Open("LRXWin");
    lrx::fw::TRecentFiles::MruMessage();  // registered before the application
    auto app = std::make_unique<lrx::mgr::TLRXWinApp>();
    if (argc > 1) {
        app->CmdArgCount = argc - 1;
        app->CmdArgs = argv;
    }
    const int result = app->Run();
    lrx::ProcessTrace().Close();
    app.reset();
    return result;
}
