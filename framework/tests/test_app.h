// A test application: runs a list of steps, one each time the message loop
// goes idle (so everything the previous step posted has been handled), then
// closes its main window. A watchdog thread timer ends a run that hangs.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>

#include "application.h"
#include "frame.h"
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
        auto bar = std::make_unique<TControlBar>();
        bar->Insert(TButtonGadget{CM_NEW, CM_NEW});
        bar->Insert(TSeparatorGadget{});
        bar->Insert(TButtonGadget{CM_OPEN, CM_OPEN});
        Insert(std::move(bar));
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

class TTestApp : public TApplication {
  public:
    using Step = std::function<void()>;

    TTestApp() : TApplication("FrameworkTest") {
        nCmdShow = SW_SHOWNORMAL;
        MakeMainWindow = [this] {
            auto frame = std::make_unique<TTestFrame>(MakeClient());
            Frame = frame.get();
            return frame;
        };
    }

    static const TResponseTable& Table() {
        static constexpr TResponseEntry entries[] = {
            EvMessage<&TTestApp::EvTimer>(WM_TIMER),
        };
        static constexpr TResponseTable table{entries, &TApplication::Table};
        return table;
    }
    const TResponseTable& Responses() const override { return Table(); }

    std::function<std::unique_ptr<TWindow>()> MakeClient = [] {
        return std::make_unique<TWindow>(nullptr);
    };
    std::function<std::unique_ptr<TWindow>()> MakeMainWindow;  // a TTestFrame unless replaced
    TTestFrame* Frame = nullptr;
    std::deque<Step> Steps;
    bool TimedOut = false;

    int RunSteps() {
        const int result = Run();
        EXPECT_FALSE(TimedOut) << "the run hung and was ended by the watchdog";
        EXPECT_TRUE(Steps.empty()) << Steps.size() << " step(s) never ran";
        return result;
    }

    void InitMainWindow() override {
        SetMainWindow(MakeMainWindow());
        watchdog_ = ::SetTimer(nullptr, 0, 10000, nullptr);
    }

    bool IdleAction(long idleCount) override {
        TApplication::IdleAction(idleCount);
        if (!Steps.empty()) {
            Step step = std::move(Steps.front());
            Steps.pop_front();
            step();
            return true;
        }
        if (!closing_ && GetMainWindow() && GetMainWindow()->GetHandle()) {
            closing_ = true;
            GetMainWindow()->PostMessage(WM_CLOSE);
        }
        return false;
    }

    ~TTestApp() override {
        if (watchdog_) ::KillTimer(nullptr, watchdog_);
    }

  protected:
    LRESULT EvTimer(WPARAM id, LPARAM) {
        if (id == watchdog_ && watchdog_) {
            TimedOut = true;
            ::KillTimer(nullptr, watchdog_);
            watchdog_ = 0;
            if (GetMainWindow() && GetMainWindow()->GetHandle()) {
                ::DestroyWindow(GetMainWindow()->GetHandle());
            }
        }
        return 0;
    }

  private:
    UINT_PTR watchdog_ = 0;
    bool closing_ = false;
};

}  // namespace lrx::fw::test
