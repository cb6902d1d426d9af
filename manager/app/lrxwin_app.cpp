#include "lrxwin_app.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "about_dlg.h"
#include "archive_commands.h"
#include "call_trace.h"
#include "command_ids.h"
#include "help.h"
#include "lrx_window.h"
#include "lrxwin_ids.h"
#include "sdi_dec_frame.h"

namespace lrx::mgr {
namespace {

static_assert(CM_FILENEW == kCmFileNew && CM_FILEOPEN == kCmFileOpen && CM_FILEEXIT == kCmExit &&
              CM_FILEEXTRACTALL == kCmFileExtractAll && CM_REPDELETE == kCmRepDelete &&
              CM_ADDREPLAY == kCmAddReplay && CM_REPEXTRACTSEL == kCmRepExtractSel &&
              CM_HELPCONTENTS == kCmHelpContents && CM_HELPUSING == kCmHelpUsing &&
              CM_HELPABOUT == kCmHelpAbout);

bool KeyHeld(int key) {
    return ::GetKeyState(key) < 0;
}

// Where the help page shows a command's help when the help engine cannot.
std::string HelpPageAnchor(HelpCommand command, unsigned long data) {
    switch (command) {
        case HelpCommand::kContext:
            return std::to_string(data);
        case HelpCommand::kHelpOnHelp:
            return std::to_string(kCmHelpUsing);
        default:
            return "";
    }
}

}  // namespace

TLRXWinApp::TLRXWinApp(const char* profilePath)
    : TApplication("LRXWin"),
      TRecentFiles(profilePath, 4),
      FileData(kOpenArchiveFlags, kOpenArchiveFilter, "lrx") {
    const TraceScope trace("App:App");
    SetRecentFiles(this);
}

TLRXWinApp::~TLRXWinApp() = default;

const fw::TResponseTable& TLRXWinApp::Table() {
    static constexpr fw::TResponseEntry entries[] = {
        fw::EvCommand<&TLRXWinApp::CmFileOpen>(kCmFileOpen),
        fw::EvCommand<&TLRXWinApp::CmHelpContents>(kCmHelpContents),
        fw::EvCommand<&TLRXWinApp::CmHelpUsing>(kCmHelpUsing),
        fw::EvCommand<&TLRXWinApp::CmHelpAbout>(kCmHelpAbout),
        fw::EvMessage<&TLRXWinApp::EvDropFiles>(WM_DROPFILES),
        fw::EvRegistered<&TLRXWinApp::CmFileSelected>("MRUFILEMESSAGE"),
    };
    static constexpr fw::TResponseTable table{entries, &TApplication::Table};
    return table;
}

HWND TLRXWinApp::MainHandle() const {
    return GetMainWindow() ? GetMainWindow()->GetHandle() : nullptr;
}

TLRXWindow* TLRXWinApp::ListWindow() const {
    auto* frame = dynamic_cast<fw::TDecoratedFrame*>(GetMainWindow());
    return frame ? dynamic_cast<TLRXWindow*>(frame->GetClientWindow()) : nullptr;
}

int TLRXWinApp::Run() {
    const int result = TApplication::Run();
    // Their windows are gone; left to the destructor, they would go untraced.
    SetMainWindow(nullptr);
    return result;
}

bool TLRXWinApp::CanClose() {
    const TraceScope trace("App:CanClose");
    if (TLRXWindow* list = ListWindow(); list && list->Busy()) return false;
    const bool agreed = TApplication::CanClose();
    if (agreed) help_.CanClose();
    return agreed;
}

bool TLRXWinApp::RunsWhileBusy(int commandId) const {
    return commandId == kCmHelpContents || commandId == kCmHelpUsing || commandId == kCmHelpAbout;
}

bool TLRXWinApp::ProcessAppMsg(MSG& msg) {
    switch (msg.message) {
        case WM_COMMAND:
            if (HIWORD(msg.wParam) > 1) return false;  // a control's notification
            return help_.OnCommand(LOWORD(msg.wParam), KeyHeld(VK_F1));
        case WM_KEYDOWN:
            if (msg.wParam == VK_F1) return help_.OnF1(KeyHeld(VK_SHIFT));
            if (msg.wParam == VK_ESCAPE) return help_.OnEscape();
            return false;
        case WM_MOUSEMOVE:
        case WM_NCMOUSEMOVE:
            return help_.OnMouseMove();
        default:
            return false;
    }
}

bool TLRXWinApp::CommandHelp(int commandId) {
    return help_.OnCommand(commandId, KeyHeld(VK_F1));
}

void TLRXWinApp::MenuOpened() {
    help_.OnMouseMove();
}

void TLRXWinApp::MenuIdle(bool menuSource) {
    help_.OnMenuIdle(menuSource, KeyHeld(VK_F1));
}

void TLRXWinApp::InitMainWindow() {
    const TraceScope trace("App:InitMainWindow");
    if (nCmdShow != SW_HIDE && nCmdShow != SW_SHOWMINNOACTIVE) nCmdShow = SW_SHOWNORMAL;
    auto list = std::make_unique<TLRXWindow>();
    TLRXWindow* listWindow = list.get();
    auto frame = std::make_unique<TSDIDecFrame>(nullptr, GetName().c_str(), std::move(list), true);
    frame->Attr.ExStyle |= WS_EX_ACCEPTFILES;
    frame->SetIcon(IDI_LRXWIN);
    frame->SetIconSm(IDI_LRXWIN);
    frame->AssignMenu(IDM_LRXWIN);
    listWindow->StatusBar = frame->Insert(std::make_unique<fw::TStatusBar>(
        fw::TStatusBar::CapsLock | fw::TStatusBar::NumLock | fw::TStatusBar::ScrollLock));
    SetupSpeedBar(*frame);
    SetMainWindow(std::move(frame));
}

void TLRXWinApp::SetupSpeedBar(TSDIDecFrame& frame) {
    const TraceScope trace("App:SetupSpeedBar");
    fw::THarbor* harbor = frame.Insert(std::make_unique<fw::THarbor>());
    auto bar = std::make_unique<fw::TDockableControlBar>(
        std::make_unique<fw::TGadgetWindowFont>(10, false, false));
    bar->Insert(fw::TButtonGadget{kCmFileNew, kCmFileNew});
    bar->Insert(fw::TButtonGadget{kCmFileOpen, kCmFileOpen});
    bar->Insert(fw::TSeparatorGadget{6});
    for (int id : {kCmAddReplay, kCmRepDelete, kCmFileExtractAll, kCmRepExtractSel}) {
        bar->Insert(fw::TButtonGadget{id, id});
    }
    bar->Insert(fw::TSeparatorGadget{6});
    bar->Insert(fw::TButtonGadget{kCmHelpContents, kCmHelpContents});
    bar->SetCaption("Toolbar");
    harbor->Insert(std::move(bar), fw::DockEdge::kTop);
}

void TLRXWinApp::CmFileOpen() {
    const TraceScope trace("App:CmFileOpen");
    TLRXWindow* list = ListWindow();
    if (!list || list->Busy()) return;
    FileData.FileName.clear();
    if (!list->CanClose()) return;
    if (fw::TFileOpenDialog(GetMainWindow(), FileData).Execute() == IDOK) CmOpenFile(nullptr);
}

void TLRXWinApp::CmOpenFile(const char* name) {
    const TraceScope trace("App:CmOpenFile");
    TLRXWindow* list = ListWindow();
    if (!list || list->Busy()) return;
    if (name) FileData.FileName = name;
    const std::string path = FileData.FileName;
    list->DoOpenFile(path.c_str());
    SaveMenuChoice(path.c_str());
}

LRESULT TLRXWinApp::CmFileSelected(WPARAM commandId, LPARAM) {
    const TraceScope trace("App:CmFileSelected");
    char path[260] = {};
    if (GetMenuText(static_cast<int>(commandId), path, sizeof path)) CmOpenFile(path);
    return 0;
}

LRESULT TLRXWinApp::EvDropFiles(WPARAM dropHandle, LPARAM) {
    const TraceScope trace("App:EvDropFiles");
    auto drop = reinterpret_cast<HDROP>(dropHandle);
    const UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::string> paths;
    for (UINT i = 0; i < count; ++i) {
        std::string path(::DragQueryFileA(drop, i, nullptr, 0) + 1, '\0');
        path.resize(::DragQueryFileA(drop, i, path.data(), static_cast<UINT>(path.size())));
        paths.push_back(std::move(path));
    }
    if (TLRXWindow* list = ListWindow()) list->DropFiles(paths);
    ::DragFinish(drop);
    return 0;
}

void TLRXWinApp::CmHelpContents() {
    const TraceScope trace("App:CmHelpContents");
    help_.CmHelpContents();
}

void TLRXWinApp::CmHelpUsing() {
    const TraceScope trace("App:CmHelpUsing");
    help_.CmHelpUsing();
}

void TLRXWinApp::CmHelpAbout() {
    const TraceScope trace("App:CmHelpAbout");
    TLRXWinAboutDlg(GetMainWindow()).Execute();
}

// --- HelpView ---

bool TLRXWinApp::ShowHelp(HelpCommand command, unsigned long data) {
    const bool shown = fw::CallWinHelp(MainHandle(), kHelpFile, static_cast<UINT>(command),
                                       static_cast<ULONG_PTR>(data));
    // No viewer for the old help format: the page beside the program instead.
    if (!shown && command != HelpCommand::kQuit) {
        fw::OpenHelpPage(MainHandle(), fw::ProgramFolderFile("LRXWin.html"),
                         HelpPageAnchor(command, data));
    }
    return shown;
}

void TLRXWinApp::LoadHelpCursor() {
    HelpCursor = std::make_unique<fw::TCursor>(IDCUR_HELP);
}

void TLRXWinApp::ReleaseHelpCursor() {
    HelpCursor.reset();
}

void TLRXWinApp::ShowHelpCursor() {
    if (HelpCursor) HelpCursor->Show();
}

void TLRXWinApp::ShowArrowCursor() {
    fw::ShowSystemCursor(IDC_ARROW);
}

void TLRXWinApp::PostMenuEnter() {
    if (HWND main = MainHandle()) ::PostMessageA(main, WM_KEYDOWN, VK_RETURN, 0);
}

}  // namespace lrx::mgr
