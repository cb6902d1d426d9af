// The framework tests' main window and application.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

#include "application.h"
#include "frame.h"
#include "step_runner.h"
#include "test_resources.h"

namespace lrx::fw::test {

constexpr UINT CM_SHARED = 700;  // handled by the client, frame and application
constexpr UINT CM_FRAME_ONLY = 701;
constexpr UINT CM_APP_ONLY = 702;

// The main window of the tests: menu, accelerators, toolbar, status bar, and
// a count of every command that reached it.
class TTestFrame : public TDecoratedFrame {
  public:
    explicit TTestFrame(std::unique_ptr<TWindow> client)
        : TDecoratedFrame(nullptr, "Frame", std::move(client), true) {
        Attr.ExStyle |= WS_EX_ACCEPTFILES;
        Attr.W = 480;
        Attr.H = 320;
        AssignMenu(IDM_TEST);
        SetAccelerators(IDA_TEST);
        SetIcon(IDI_APP);
        SetIconSm(IDI_APP);
        Insert(std::make_unique<TStatusBar>(TStatusBar::CapsLock | TStatusBar::NumLock));
        auto bar = std::make_unique<TDockableControlBar>();
        bar->Insert(TButtonGadget{CM_NEW, CM_NEW});
        bar->Insert(TSeparatorGadget{});
        bar->Insert(TButtonGadget{CM_OPEN, CM_OPEN});
        Insert(std::make_unique<THarbor>())->Insert(std::move(bar));
    }
    static const TResponseTable& Table() {
        static constexpr TResponseEntry entries[] = {
            EvCommand<&TTestFrame::Count<CM_SHARED>>(CM_SHARED),
            EvCommand<&TTestFrame::Count<CM_FRAME_ONLY>>(CM_FRAME_ONLY),
            EvCommand<&TTestFrame::Count<CM_DISABLED>>(CM_DISABLED),
            EvCommand<&TTestFrame::Count<CM_ENABLED>>(CM_ENABLED),
            EvCommand<&TTestFrame::Count<CM_KEY_DISABLED>>(CM_KEY_DISABLED),
            EvCommand<&TTestFrame::Count<CM_KEY_ENABLED>>(CM_KEY_ENABLED),
            EvCommand<&TTestFrame::Count<CM_OPEN>>(CM_OPEN),
        };
        static constexpr TResponseTable table{entries, &TDecoratedFrame::Table};
        return table;
    }
    const TResponseTable& Responses() const override { return Table(); }

    std::map<UINT, int> Ran;

  private:
    template <UINT Id>
    void Count() {
        ++Ran[Id];
    }
};

// A step-running application whose main window is a TTestFrame around the
// client MakeClient makes, unless MakeMainWindow is replaced.
class TTestApp : public TStepRunner<TApplication> {
  public:
    TTestApp() : TStepRunner("FrameworkTest") {
        MakeMainWindow = [this] {
            auto frame = std::make_unique<TTestFrame>(MakeClient());
            Frame = frame.get();
            return frame;
        };
    }

    void InitMainWindow() override { SetMainWindow(MakeMainWindow()); }

    std::function<std::unique_ptr<TWindow>()> MakeClient = [] {
        return std::make_unique<TWindow>(nullptr);
    };
    std::function<std::unique_ptr<TWindow>()> MakeMainWindow;
    TTestFrame* Frame = nullptr;
};

}  // namespace lrx::fw::test
