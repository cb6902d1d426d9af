// A test application: runs a list of steps, one each time the message loop
// goes idle (so everything the previous step posted has been handled), then
// closes its main window. A watchdog thread timer ends a run that hangs.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>

#include "application.h"

namespace lrx::fw::test {

class TTestApp : public TApplication {
  public:
    using Step = std::function<void()>;

    TTestApp() : TApplication("FrameworkTest") { nCmdShow = SW_SHOWNORMAL; }

    static const TResponseTable& Table() {
        static constexpr TResponseEntry entries[] = {
            EvMessage<&TTestApp::EvTimer>(WM_TIMER),
        };
        static constexpr TResponseTable table{entries, &TApplication::Table};
        return table;
    }
    const TResponseTable& Responses() const override { return Table(); }

    std::function<std::unique_ptr<TWindow>()> MakeMainWindow;
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
