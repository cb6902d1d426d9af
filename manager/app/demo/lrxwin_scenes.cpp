// lrxwin_scenes SCENE FOLDER: LRXWin set up in one of the states the README
// shows, for scripts/screenshot. FOLDER receives generated replays and an
// archive. Scenes: list (sorted by packed size, three rows selected),
// floating (the list with the toolbar floating over it), progress (an add
// held half way), overwrite (the question during Extract All), about. File
// and folder prompts are answered through the prompt seam; the scene's own
// window or dialog stays up until the program is ended. The window's size
// follows the screen's dpi.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "command_ids.h"
#include "dpi.h"
#include "lrx_window.h"
#include "lrxpack.h"
#include "lrxwin_app.h"
#include "lrxwin_ids.h"
#include "prompt.h"
#include "sample_replays.h"
#include "test_files.h"

namespace {

using namespace lrx::mgr;

std::string folder;
std::string scene;

std::string InFolder(const std::string& name) {
    return folder + "\\" + name;
}

void MakeSeason() {
    const char* names[] = {"monza.rpl",   "spa.rpl",      "imola.rpl",    "suzuka.rpl",
                           "estoril.rpl", "hockenhm.rpl", "magnycrs.rpl", "silvrstn.rpl"};
    int seed = 1;
    for (const char* name : names) {
        const std::string path = InFolder(name);
        lrx::test::WriteFile(path, lrx::test::SampleReplay(seed, 200 + 90 * seed, 4 + seed % 5));
        std::string archive = InFolder("season.lrx");
        std::string replay = path;
        sJTU(archive.data(), replay.data(), nullptr, false);
        ++seed;
    }
}

void ClickHeader(HWND list, int item) {
    NMHEADERA notification{};
    notification.hdr.hwndFrom = ::GetDlgItem(list, IDC_COLUMNHEADER);
    notification.hdr.idFrom = IDC_COLUMNHEADER;
    notification.hdr.code = HDN_ITEMCLICKA;
    notification.iItem = item;
    ::SendMessageA(list, WM_NOTIFY, IDC_COLUMNHEADER, reinterpret_cast<LPARAM>(&notification));
}

// Holds the add in progress: the first report of 40 % or more keeps the
// dialogs responsive for a minute before the engine goes on.
LRESULT CALLBACK HoldAdd(int code, WPARAM wParam, LPARAM lParam) {
    static bool held = false;
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    const int report =
        code >= 0 && call->message == WM_SETTEXT && ::GetDlgCtrlID(call->hwnd) == IDC_MAILBOX
            ? std::atoi(reinterpret_cast<const char*>(call->lParam))
            : 0;
    if (!held && report >= 40 && report <= 100) {
        held = true;
        for (int i = 0; i < 600; ++i) {
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
            ::Sleep(100);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

class TSceneApp : public TLRXWinApp {
  public:
    void InitMainWindow() override {
        TLRXWinApp::InitMainWindow();
        GetMainWindow()->Attr.W = lrx::fw::ScaleToDpi(600, lrx::fw::ScreenDpi());
        GetMainWindow()->Attr.H = lrx::fw::ScaleToDpi(330, lrx::fw::ScreenDpi());
    }
    bool IdleAction(long idleCount) override {
        const bool more = TLRXWinApp::IdleAction(idleCount);
        if (done_ || !ListWindow() || !ListWindow()->GetHandle()) return more;
        done_ = true;
        HWND frame = GetMainWindow()->GetHandle();
        HWND list = ListWindow()->GetHandle();
        CmOpenFile(InFolder("season.lrx").c_str());
        if (scene == "list" || scene == "floating") {
            ClickHeader(list, 2);
            const ListGeometry& g = ListWindow()->Model().Geometry();
            for (int row : {1, 3, 4}) {
                const int y = g.ToPixels(g.HeaderTwips() + row * g.LineHeight() + 10);
                ::PostMessageA(list, WM_LBUTTONDOWN, row == 1 ? 0 : MK_CONTROL, MAKELPARAM(20, y));
            }
            if (scene == "floating") {
                auto* decorated = static_cast<lrx::fw::TDecoratedFrame*>(GetMainWindow());
                POINT at{lrx::fw::ScaleToDpi(330, lrx::fw::ScreenDpi()),
                         lrx::fw::ScaleToDpi(200, lrx::fw::ScreenDpi())};
                ::ClientToScreen(frame, &at);
                decorated->GetHarbor()->Float(*decorated->GetControlBar(), at);
            }
        } else if (scene == "progress") {
            ::SetWindowsHookExA(WH_CALLWNDPROCRET, HoldAdd, nullptr, ::GetCurrentThreadId());
            ::PostMessageA(frame, WM_COMMAND, kCmAddReplay, 0);
        } else if (scene == "overwrite") {
            ::PostMessageA(frame, WM_COMMAND, kCmFileExtractAll, 0);
        } else if (scene == "about") {
            ::PostMessageA(frame, WM_COMMAND, kCmHelpAbout, 0);
        }
        return more;
    }

  private:
    bool done_ = false;
};

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr,
                     "usage: lrxwin_scenes list|floating|progress|overwrite|about FOLDER\n");
        return 2;
    }
    scene = argv[1];
    folder = argv[2];
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::DeleteFileA(InFolder("season.lrx").c_str());
    MakeSeason();
    if (scene == "progress") {
        lrx::test::WriteFile(InFolder("nurburg.rpl"), lrx::test::SampleReplay(99, 6000, 12));
    }
    if (scene == "overwrite") {
        ::CreateDirectoryA(InFolder("out").c_str(), nullptr);
        lrx::test::WriteFile(InFolder("out\\estoril.rpl"), {1, 2, 3});
    }
    // Only file and folder prompts are answered; dialogs and boxes show.
    lrx::fw::SetPromptAnswerer([](lrx::fw::TPrompt& prompt) -> std::optional<int> {
        if (prompt.Kind == lrx::fw::TPromptKind::FileOpen) {
            prompt.FileData->FileName = InFolder("nurburg.rpl");
            return IDOK;
        }
        if (prompt.Kind == lrx::fw::TPromptKind::Folder) {
            prompt.Path = InFolder("out");
            return IDOK;
        }
        return std::nullopt;
    });
    SetCurrentDirectoryA(folder.c_str());
    TSceneApp app;
    app.nCmdShow = SW_SHOWNORMAL;
    return app.Run();
}
