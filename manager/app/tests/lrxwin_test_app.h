// LRXWin's application under test, in-process: the real frame, list window
// and dialogs, with steps run one at a time whenever the program goes idle
// and the main window closed after the last. A watchdog ends a hung run.
// Prompts are answered through the framework's prompt seam.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "lrx_window.h"
#include "lrxwin_app.h"

namespace lrx::mgr::test {

class TLRXWinTestApp : public TLRXWinApp {
  public:
    using Step = std::function<void()>;

    TLRXWinTestApp() { nCmdShow = SW_SHOWNORMAL; }
    ~TLRXWinTestApp() override {
        if (watchdog_) ::KillTimer(nullptr, watchdog_);
    }

    static const fw::TResponseTable& Table() {
        static constexpr fw::TResponseEntry entries[] = {
            fw::EvMessage<&TLRXWinTestApp::EvTimer>(WM_TIMER),
        };
        static constexpr fw::TResponseTable table{entries, &TLRXWinApp::Table};
        return table;
    }
    const fw::TResponseTable& Responses() const override { return Table(); }

    void InitMainWindow() override {
        TLRXWinApp::InitMainWindow();
        GetMainWindow()->Attr.W = 640;
        GetMainWindow()->Attr.H = 480;
        watchdog_ = ::SetTimer(nullptr, 0, 30000, nullptr);
    }

    bool IdleAction(long idleCount) override {
        TLRXWinApp::IdleAction(idleCount);
        if (!Steps.empty()) {
            Step step = std::move(Steps.front());
            Steps.pop_front();
            step();
            return true;
        }
        if (!closing_ && Frame()) {
            closing_ = true;
            ::PostMessageA(Frame(), WM_CLOSE, 0, 0);
        }
        return false;
    }

    void RunSteps() {
        Run();
        EXPECT_FALSE(timedOut_) << "the run hung and was ended by the watchdog";
        EXPECT_TRUE(Steps.empty()) << Steps.size() << " step(s) never ran";
    }

    HWND Frame() const { return GetMainWindow() ? GetMainWindow()->GetHandle() : nullptr; }
    TLRXWindow& List() const { return *ListWindow(); }

    std::deque<Step> Steps;

  private:
    LRESULT EvTimer(WPARAM id, LPARAM) {
        if (id == watchdog_ && watchdog_) {
            timedOut_ = true;
            ::KillTimer(nullptr, watchdog_);
            watchdog_ = 0;
            if (Frame()) ::DestroyWindow(Frame());
        }
        return 0;
    }

    UINT_PTR watchdog_ = 0;
    bool closing_ = false;
    bool timedOut_ = false;
};

}  // namespace lrx::mgr::test
