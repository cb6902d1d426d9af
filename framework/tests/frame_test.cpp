// The decorated frame: enablers applied to menu and toolbar and enforced on
// commands, hints in the status bar, layout, and a dialog as its client.
#include <gtest/gtest.h>

#include <string>

#include "controls.h"
#include "dialog.h"
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

TEST(FrameworkFrame, EnablersFollowIntoMenuAndToolbarLazily) {
    TTestApp app;
    app.Steps.push_back([&] {
        // Unknown to the table: enabled; toolbar buttons learn it in idle time.
        EXPECT_TRUE(app.Frame->GetControlBar()->IsButtonEnabled(CM_NEW));
        app.CommandEnablers().Enable(CM_NEW, false);
        app.CommandEnablers().Enable(CM_DISABLED, false);
        HWND frame = app.Frame->GetHandle();
        EXPECT_EQ(MenuState(frame, CM_NEW), 0u);  // nothing until the popup opens
        OpenPopup(frame, 0);
        OpenPopup(frame, 1);
        EXPECT_NE(MenuState(frame, CM_NEW), 0u);
        EXPECT_NE(MenuState(frame, CM_DISABLED), 0u);
        EXPECT_EQ(MenuState(frame, CM_OPEN), 0u);
        EXPECT_EQ(MenuState(frame, CM_ENABLED), 0u);
    });
    app.Steps.push_back([&] {
        EXPECT_FALSE(app.Frame->GetControlBar()->IsButtonEnabled(CM_NEW));
        EXPECT_TRUE(app.Frame->GetControlBar()->IsButtonEnabled(CM_OPEN));
        app.Frame->EnableCommand(CM_NEW, true);
        OpenPopup(app.Frame->GetHandle(), 0);
        EXPECT_EQ(MenuState(app.Frame->GetHandle(), CM_NEW), 0u);
    });
    app.Steps.push_back([&] { EXPECT_TRUE(app.Frame->GetControlBar()->IsButtonEnabled(CM_NEW)); });
    app.RunSteps();
}

TEST(FrameworkFrame, DisabledCommandsAreRefusedFromMenuAcceleratorAndToolbar) {
    TTestApp app;
    app.Steps.push_back([&] {
        app.CommandEnablers().Enable(CM_DISABLED, false);
        app.CommandEnablers().Enable(CM_KEY_DISABLED, false);
        HWND frame = app.Frame->GetHandle();
        ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(CM_DISABLED, 0), 0);
        ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(CM_ENABLED, 0), 0);
        ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(CM_KEY_DISABLED, 1), 0);
        // Keys through the loop's accelerator table.
        ::PostMessageA(frame, WM_KEYDOWN, VK_F5, 0);
        ::PostMessageA(frame, WM_KEYDOWN, VK_F6, 0);
        // A toolbar click on a disabled command, then on an enabled one.
        app.CommandEnablers().Enable(CM_OPEN, false);
        HWND bar = app.Frame->GetControlBar()->GetHandle();
        ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(CM_OPEN, BN_CLICKED),
                       reinterpret_cast<LPARAM>(bar));
    });
    app.Steps.push_back([&] {
        app.CommandEnablers().Enable(CM_OPEN, true);
        HWND bar = app.Frame->GetControlBar()->GetHandle();
        ::SendMessageA(app.Frame->GetHandle(), WM_COMMAND, MAKEWPARAM(CM_OPEN, BN_CLICKED),
                       reinterpret_cast<LPARAM>(bar));
    });
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
        EXPECT_EQ(client.top, app.Frame->GetControlBar()->Height());
        EXPECT_EQ(client.bottom, area.bottom - status.Height());
        EXPECT_EQ(client.right, area.right);
        EXPECT_GT(client.bottom, client.top);
    });
    app.RunSteps();
}

// A dialog serving as the frame's client, as a wizard uses it.
class TWizard : public TDialog {
  public:
    TWizard() : TDialog(nullptr, IDD_CLIENT), Info(this, IDC_INFO), Gauge(this, IDC_CLIENT_GAUGE) {}
    static const TResponseTable& Table() {
        static constexpr TResponseEntry entries[] = {
            EvCommand<&TWizard::CmNext>(IDC_NEXT),
            EvCommand<&TWizard::CmOkIgnored>(IDOK),
            EvCommand<&TWizard::CmClose>(IDC_CANCEL),
        };
        static constexpr TResponseTable table{entries, &TDialog::Table};
        return table;
    }
    const TResponseTable& Responses() const override { return Table(); }

    bool IdleAction(long idleCount) override {
        TDialog::IdleAction(idleCount);
        ++idleCalls;
        return false;
    }

    TStatic Info;
    TGauge Gauge;
    int nexts = 0;
    int idleCalls = 0;

  private:
    void CmNext() { ++nexts; }
    void CmOkIgnored() {}
    void CmClose() { CloseWindow(IDCANCEL); }
};

TEST(FrameworkFrame, ADialogClientSizesTheFrameAndClosingItEndsTheProgram) {
    TTestApp app;
    TWizard* wizard = nullptr;
    app.MakeMainWindow = [&] {
        auto client = std::make_unique<TWizard>();
        wizard = client.get();
        auto frame = std::make_unique<TDecoratedFrame>(nullptr, "Wizard", std::move(client));
        frame->Attr.Style = (frame->Attr.Style & ~(WS_THICKFRAME | WS_MAXIMIZEBOX)) | WS_CAPTION;
        frame->ShrinkToClient = true;
        return frame;
    };
    app.Steps.push_back([&] {
        HWND frame = app.GetMainWindow()->GetHandle();
        HWND dialog = wizard->GetHandle();
        EXPECT_EQ(::GetParent(dialog), frame);
        EXPECT_TRUE(::GetWindowLongPtrA(dialog, GWL_STYLE) & WS_CHILD);
        EXPECT_FALSE(::GetWindowLongPtrA(dialog, GWL_STYLE) & WS_CAPTION);
        RECT area, client;
        ::GetClientRect(frame, &area);
        ::GetWindowRect(dialog, &client);
        EXPECT_EQ(area.right, client.right - client.left);
        EXPECT_EQ(area.bottom, client.bottom - client.top);
        EXPECT_EQ(wizard->Info.GetText(), "This is an info window");
        EXPECT_GT(wizard->idleCalls, 0);  // the frame passes idle time to its client
        // Enter presses the default button; the OK command does not close.
        ::PostMessageA(wizard->Info.GetHandle(), WM_KEYDOWN, VK_RETURN, 0);
        ::SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    app.Steps.push_back([&] {
        EXPECT_EQ(wizard->nexts, 1);
        EXPECT_TRUE(wizard->GetHandle());
        ::SendMessageA(::GetDlgItem(wizard->GetHandle(), IDC_CANCEL), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(app.RunSteps(), 0);  // the loop ended with the frame
    EXPECT_EQ(app.GetMainWindow()->GetHandle(), nullptr);
}

}  // namespace
}  // namespace lrx::fw::test
