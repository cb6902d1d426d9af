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

struct Ran {
    int disabled = 0, enabled = 0, keyDisabled = 0, keyEnabled = 0, open = 0;
};

class TCommandFrame : public TDecoratedFrame {
  public:
    explicit TCommandFrame(Ran& ran)
        : TDecoratedFrame(nullptr, "Frame", std::make_unique<TWindow>(nullptr), true), ran_(ran) {
        Attr.W = 480;
        Attr.H = 320;
        AssignMenu(IDM_TEST);
        SetAccelerators(IDA_TEST);
        SetIcon(IDI_APP);
        SetIconSm(IDI_APP);
        Insert(std::make_unique<TStatusBar>(TStatusBar::CapsLock | TStatusBar::NumLock));
        auto bar = std::make_unique<TControlBar>();
        bar->Insert(TButtonGadget{CM_NEW, CM_NEW});
        bar->Insert(TSeparatorGadget{});
        bar->Insert(TButtonGadget{CM_OPEN, CM_OPEN});
        Insert(std::move(bar));
    }
    static const TResponseTable& Table() {
        static constexpr TResponseEntry entries[] = {
            EvCommand<&TCommandFrame::CmDisabled>(CM_DISABLED),
            EvCommand<&TCommandFrame::CmEnabled>(CM_ENABLED),
            EvCommand<&TCommandFrame::CmKeyDisabled>(CM_KEY_DISABLED),
            EvCommand<&TCommandFrame::CmKeyEnabled>(CM_KEY_ENABLED),
            EvCommand<&TCommandFrame::CmOpen>(CM_OPEN),
        };
        static constexpr TResponseTable table{entries, &TDecoratedFrame::Table};
        return table;
    }
    const TResponseTable& Responses() const override { return Table(); }

  private:
    void CmDisabled() { ++ran_.disabled; }
    void CmEnabled() { ++ran_.enabled; }
    void CmKeyDisabled() { ++ran_.keyDisabled; }
    void CmKeyEnabled() { ++ran_.keyEnabled; }
    void CmOpen() { ++ran_.open; }
    Ran& ran_;
};

class TFrameApp : public TTestApp {
  public:
    Ran ran;
    TCommandFrame* frame = nullptr;
    TFrameApp() {
        MakeMainWindow = [this] {
            auto window = std::make_unique<TCommandFrame>(ran);
            frame = window.get();
            return window;
        };
    }
};

UINT MenuState(HWND frame, UINT id) {
    return ::GetMenuState(::GetMenu(frame), id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED);
}

void OpenPopup(HWND frame, int index) {
    ::SendMessageA(frame, WM_INITMENUPOPUP,
                   reinterpret_cast<WPARAM>(::GetSubMenu(::GetMenu(frame), index)),
                   MAKELPARAM(index, FALSE));
}

TEST(FrameworkFrame, EnablersFollowIntoMenuAndToolbarLazily) {
    TFrameApp app;
    app.Steps.push_back([&] {
        // Unknown to the table: enabled; toolbar buttons learn it in idle time.
        EXPECT_TRUE(app.frame->GetControlBar()->IsButtonEnabled(CM_NEW));
        app.CommandEnablers().Enable(CM_NEW, false);
        app.CommandEnablers().Enable(CM_DISABLED, false);
        HWND frame = app.frame->GetHandle();
        EXPECT_EQ(MenuState(frame, CM_NEW), 0u);  // nothing until the popup opens
        OpenPopup(frame, 0);
        OpenPopup(frame, 1);
        EXPECT_NE(MenuState(frame, CM_NEW), 0u);
        EXPECT_NE(MenuState(frame, CM_DISABLED), 0u);
        EXPECT_EQ(MenuState(frame, CM_OPEN), 0u);
        EXPECT_EQ(MenuState(frame, CM_ENABLED), 0u);
    });
    app.Steps.push_back([&] {
        EXPECT_FALSE(app.frame->GetControlBar()->IsButtonEnabled(CM_NEW));
        EXPECT_TRUE(app.frame->GetControlBar()->IsButtonEnabled(CM_OPEN));
        app.frame->EnableCommand(CM_NEW, true);
        OpenPopup(app.frame->GetHandle(), 0);
        EXPECT_EQ(MenuState(app.frame->GetHandle(), CM_NEW), 0u);
    });
    app.Steps.push_back([&] { EXPECT_TRUE(app.frame->GetControlBar()->IsButtonEnabled(CM_NEW)); });
    app.RunSteps();
}

TEST(FrameworkFrame, DisabledCommandsAreRefusedFromMenuAcceleratorAndToolbar) {
    TFrameApp app;
    app.Steps.push_back([&] {
        app.CommandEnablers().Enable(CM_DISABLED, false);
        app.CommandEnablers().Enable(CM_KEY_DISABLED, false);
        HWND frame = app.frame->GetHandle();
        ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(CM_DISABLED, 0), 0);
        ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(CM_ENABLED, 0), 0);
        ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(CM_KEY_DISABLED, 1), 0);
        // Keys through the loop's accelerator table.
        ::PostMessageA(frame, WM_KEYDOWN, VK_F5, 0);
        ::PostMessageA(frame, WM_KEYDOWN, VK_F6, 0);
        // A toolbar click on a disabled command, then on an enabled one.
        app.CommandEnablers().Enable(CM_OPEN, false);
        HWND bar = app.frame->GetControlBar()->GetHandle();
        ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(CM_OPEN, BN_CLICKED),
                       reinterpret_cast<LPARAM>(bar));
    });
    app.Steps.push_back([&] {
        app.CommandEnablers().Enable(CM_OPEN, true);
        HWND bar = app.frame->GetControlBar()->GetHandle();
        ::SendMessageA(app.frame->GetHandle(), WM_COMMAND, MAKEWPARAM(CM_OPEN, BN_CLICKED),
                       reinterpret_cast<LPARAM>(bar));
    });
    app.RunSteps();
    EXPECT_EQ(app.ran.disabled, 0);
    EXPECT_EQ(app.ran.enabled, 1);
    EXPECT_EQ(app.ran.keyDisabled, 0);
    EXPECT_EQ(app.ran.keyEnabled, 1);
    EXPECT_EQ(app.ran.open, 1);
}

TEST(FrameworkFrame, StatusBarShowsTextsAndHintsAndClientFillsTheRest) {
    TFrameApp app;
    app.Steps.push_back([&] {
        TStatusBar& status = *app.frame->GetStatusBar();
        HWND frame = app.frame->GetHandle();
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
        hot.hdr.hwndFrom = app.frame->GetControlBar()->GetHandle();
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
        ::GetWindowRect(app.frame->GetClientWindow()->GetHandle(), &client);
        ::MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&client), 2);
        EXPECT_EQ(client.top, app.frame->GetControlBar()->Height());
        EXPECT_EQ(client.bottom, area.bottom - status.Height());
        EXPECT_EQ(client.right, area.right);
        EXPECT_GT(client.bottom, client.top);

        EXPECT_NE(::SendMessageA(frame, WM_GETICON, ICON_BIG, 0), 0);
        EXPECT_NE(::SendMessageA(frame, WM_GETICON, ICON_SMALL, 0), 0);
        EXPECT_EQ(app.frame->GetCaption(), "Frame");
        app.frame->SetCaption("Frame - replays.lrx");
        char caption[64];
        ::GetWindowTextA(frame, caption, sizeof caption);
        EXPECT_STREQ(caption, "Frame - replays.lrx");
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
