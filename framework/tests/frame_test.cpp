// The decorated frame: enablers applied to menu and toolbar and enforced on
// commands, hints in the status bar, layout. (A dialog as its client is the
// patch program's window test.)
#include <gtest/gtest.h>

#include <string>

#include "controls.h"
#include "frame.h"
#include "test_app.h"
#include "test_resources.h"

namespace lrx::fw::test {
namespace {

UINT MenuState(HWND frame, UINT id) {
    return ::GetMenuState(::GetMenu(frame), id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED);
}

void OpenPopup(HWND frame, int index) {
    ::SendMessageA(frame, WM_INITMENUPOPUP,
                   reinterpret_cast<WPARAM>(::GetSubMenu(::GetMenu(frame), index)),
                   MAKELPARAM(index, FALSE));
}

// Enablers reach the menu when a popup opens and the toolbar in idle time,
// and disabled commands are refused from menu, accelerator and toolbar.
TEST(FrameworkFrame, EnablersReachMenuAndToolbarAndRefuseCommands) {
    TTestApp app;
    HWND frame = nullptr;
    const auto click = [&](UINT id) {
        ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(app.Frame->GetControlBar()->GetHandle()));
    };
    app.Steps.push_back([&] {
        frame = app.Frame->GetHandle();
        EXPECT_TRUE(app.Frame->GetControlBar()->IsButtonEnabled(CM_NEW));
        for (UINT id : {CM_NEW, CM_DISABLED, CM_KEY_DISABLED}) {
            app.CommandEnablers().Enable(id, false);
        }
        EXPECT_EQ(MenuState(frame, CM_NEW), 0u);  // nothing until the popup opens
        OpenPopup(frame, 0);
        OpenPopup(frame, 1);
        EXPECT_NE(MenuState(frame, CM_NEW), 0u);
        EXPECT_NE(MenuState(frame, CM_DISABLED), 0u);
        EXPECT_EQ(MenuState(frame, CM_OPEN), 0u);
        EXPECT_EQ(MenuState(frame, CM_ENABLED), 0u);
        ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(CM_DISABLED, 0), 0);
        ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(CM_ENABLED, 0), 0);
        ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(CM_KEY_DISABLED, 1), 0);
        ::PostMessageA(frame, WM_KEYDOWN, VK_F5, 0);  // through the accelerator table
        ::PostMessageA(frame, WM_KEYDOWN, VK_F6, 0);
        app.CommandEnablers().Enable(CM_OPEN, false);
        click(CM_OPEN);
    });
    app.Steps.push_back([&] {
        EXPECT_FALSE(app.Frame->GetControlBar()->IsButtonEnabled(CM_NEW));
        EXPECT_FALSE(app.Frame->GetControlBar()->IsButtonEnabled(CM_OPEN));
        app.Frame->EnableCommand(CM_NEW, true);
        app.CommandEnablers().Enable(CM_OPEN, true);
        click(CM_OPEN);
        OpenPopup(frame, 0);
        EXPECT_EQ(MenuState(frame, CM_NEW), 0u);
    });
    app.Steps.push_back([&] { EXPECT_TRUE(app.Frame->GetControlBar()->IsButtonEnabled(CM_NEW)); });
    app.RunSteps();
    EXPECT_EQ(app.Frame->Ran,
              (std::map<UINT, int>{{CM_ENABLED, 1}, {CM_KEY_ENABLED, 1}, {CM_OPEN, 1}}));
}

TEST(FrameworkFrame, StatusBarShowsTextsAndHintsAndClientFillsTheRest) {
    TTestApp app;
    app.Steps.push_back([&] {
        TStatusBar& status = *app.Frame->GetStatusBar();
        HWND frame = app.Frame->GetHandle();
        status.SetText("replays.lrx  (12 files)");
        EXPECT_EQ(status.GetShownText(), "replays.lrx  (12 files)");
        HMENU file = ::GetSubMenu(::GetMenu(frame), 0);
        ::SendMessageA(frame, WM_MENUSELECT, MAKEWPARAM(CM_NEW, MF_STRING),
                       reinterpret_cast<LPARAM>(file));
        EXPECT_EQ(status.GetShownText(), "Creates a new window");
        status.SetText("other.lrx  (1 files)");  // remembered, shown after the hint
        EXPECT_EQ(status.GetShownText(), "Creates a new window");
        ::SendMessageA(frame, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
        EXPECT_EQ(status.GetShownText(), "other.lrx  (1 files)");

        NMTBHOTITEM hot{};
        hot.hdr.hwndFrom = app.Frame->GetControlBar()->GetHandle();
        hot.hdr.idFrom = TDecoratedFrame::ControlBarId;
        hot.hdr.code = TBN_HOTITEMCHANGE;
        hot.idNew = CM_OPEN;
        hot.dwFlags = HICF_MOUSE | HICF_ENTERING;
        ::SendMessageA(frame, WM_NOTIFY, hot.hdr.idFrom, reinterpret_cast<LPARAM>(&hot));
        EXPECT_EQ(status.GetShownText(), "Opens a window");
        hot.dwFlags = HICF_MOUSE | HICF_LEAVING;
        ::SendMessageA(frame, WM_NOTIFY, hot.hdr.idFrom, reinterpret_cast<LPARAM>(&hot));
        EXPECT_EQ(status.GetShownText(), "other.lrx  (1 files)");

        RECT area, client;
        ::GetClientRect(frame, &area);
        ::GetWindowRect(app.Frame->GetClientWindow()->GetHandle(), &client);
        ::MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&client), 2);
        EXPECT_EQ(client.top, app.Frame->GetControlBar()->Metrics().Thickness());
        EXPECT_EQ(client.bottom, area.bottom - status.Height());
        EXPECT_EQ(client.right, area.right);
        EXPECT_GT(client.bottom, client.top);
    });
    app.RunSteps();
}

}  // namespace
}  // namespace lrx::fw::test
