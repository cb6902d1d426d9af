// Runs a test's steps inside a program's real message loop: one step each
// time the loop goes idle (so what the previous step posted has been
// handled), then closes the main window. A watchdog thread timer ends a run
// that hangs. Shared by the framework's tests and the programs' window tests.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <deque>
#include <functional>

namespace lrx::fw::test {

template <class App>
class TStepRunner : public App {
  public:
    using App::App;

    std::deque<std::function<void()>> Steps;

    int RunSteps(UINT limitMs = 20000) {
        this->nCmdShow = SW_SHOWNORMAL;
        watchdog_ = ::SetTimer(nullptr, 0, limitMs, nullptr);
        const int result = this->Run();
        ::KillTimer(nullptr, watchdog_);
        EXPECT_FALSE(timedOut_) << "the run hung and was ended by the watchdog";
        EXPECT_TRUE(Steps.empty()) << Steps.size() << " step(s) never ran";
        return result;
    }

    bool IdleAction(long idleCount) override {
        if (App::IdleAction(idleCount)) return true;
        if (!Steps.empty()) {
            const std::function<void()> step = std::move(Steps.front());
            Steps.pop_front();
            step();
            return true;
        }
        if (!closing_ && this->GetMainWindow() && this->GetMainWindow()->GetHandle()) {
            closing_ = true;
            this->GetMainWindow()->PostMessage(WM_CLOSE);
        }
        return false;
    }

    bool ProcessAppMsg(MSG& msg) override {
        if (msg.message != WM_TIMER || msg.hwnd || !watchdog_ || msg.wParam != watchdog_) {
            return App::ProcessAppMsg(msg);
        }
        timedOut_ = true;
        ::KillTimer(nullptr, watchdog_);
        watchdog_ = 0;
        if (this->GetMainWindow() && this->GetMainWindow()->GetHandle()) {
            ::DestroyWindow(this->GetMainWindow()->GetHandle());
        }
        return true;
    }

  private:
    UINT_PTR watchdog_ = 0;
    bool timedOut_ = false;
    bool closing_ = false;
};

}  // namespace lrx::fw::test
