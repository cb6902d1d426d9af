// The application's message loop: idle calls and their repetition, what
// counts as new work, pumping from inside a handler, ProcessAppMsg and
// CanClose. (Thread timers reaching the application are the patch program's
// window test.)
#include <gtest/gtest.h>

#include <vector>

#include "application.h"
#include "test_app.h"

namespace lrx::fw::test {
namespace {

constexpr UINT WM_NEW_WORK = WM_USER + 1;
constexpr UINT WM_PUMP = WM_USER + 2;
constexpr UINT WM_PUMPED = WM_USER + 3;
constexpr UINT WM_EATEN = WM_USER + 4;

class TCountingWindow : public TWindow {
  public:
    TCountingWindow() : TWindow(nullptr, "Loop") {}
    static const TResponseTable& Table() {
        static constexpr TResponseEntry entries[] = {
            EvMessage<&TCountingWindow::EvNewWork>(WM_NEW_WORK),
            EvMessage<&TCountingWindow::EvPump>(WM_PUMP),
            EvMessage<&TCountingWindow::EvPumped>(WM_PUMPED),
            EvMessage<&TCountingWindow::EvEaten>(WM_EATEN),
        };
        static constexpr TResponseTable table{entries, &TWindow::Table};
        return table;
    }
    const TResponseTable& Responses() const override { return Table(); }

    std::vector<long>* trail = nullptr;
    int pumped = 0;
    int pumpedInsideHandler = -1;
    int eaten = 0;

  private:
    void EvNewWork() { trail->push_back(-1); }
    void EvPump() {
        for (int i = 0; i < 3; ++i) PostMessage(WM_PUMPED);
        GetApplication()->PumpWaitingMessages();
        pumpedInsideHandler = pumped;
    }
    void EvPumped() { ++pumped; }
    void EvEaten() { ++eaten; }
};

// Records every idle call; asks for more until count 3.
class TIdleApp : public TApplication {
  public:
    std::vector<long> trail;
    TCountingWindow* window = nullptr;
    int rounds = 0;

    void InitMainWindow() override {
        auto w = std::make_unique<TCountingWindow>();
        window = w.get();
        window->trail = &trail;
        SetMainWindow(std::move(w));
    }
    bool IdleAction(long count) override {
        trail.push_back(count);
        if (count < 3) return true;
        HWND main = window->GetHandle();
        if (++rounds == 1) {
            // Churn first, then real work: only the second restarts idling.
            ::PostMessageA(main, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
            ::PostMessageA(main, WM_PAINT, 0, 0);
            ::PostMessageA(main, WM_NEW_WORK, 0, 0);
        } else {
            ::PostMessageA(main, WM_CLOSE, 0, 0);
        }
        return false;
    }
};

TEST(FrameworkLoop, IdleRepeatsWhileAskedAndRestartsOnlyForNewWork) {
    TIdleApp app;
    app.nCmdShow = SW_SHOWNORMAL;
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(app.trail, (std::vector<long>{0, 1, 2, 3, -1, 0, 1, 2, 3}));
}

class TFilterApp : public TTestApp {
  public:
    TCountingWindow* window = nullptr;
    int seen = 0;
    bool refuseClose = true;

    TFilterApp() {
        MakeMainWindow = [this] {
            auto w = std::make_unique<TCountingWindow>();
            window = w.get();
            return w;
        };
    }
    bool ProcessAppMsg(MSG& msg) override {
        if (msg.message != WM_EATEN) return TTestApp::ProcessAppMsg(msg);
        ++seen;
        return seen == 1;  // consume only the first
    }
    bool CanClose() override {
        if (refuseClose) {
            refuseClose = false;
            return false;
        }
        return TTestApp::CanClose();
    }
};

TEST(FrameworkLoop, PumpingFromAHandlerProcessAppMsgAndCanClose) {
    TFilterApp app;
    app.Steps.push_back([&] { app.window->PostMessage(WM_PUMP); });
    app.Steps.push_back([&] {
        app.window->PostMessage(WM_EATEN);
        app.window->PostMessage(WM_EATEN);
        app.window->PostMessage(WM_CLOSE);  // refused once
    });
    app.Steps.push_back([&] { EXPECT_TRUE(::IsWindow(app.window->GetHandle())); });
    app.RunSteps();
    EXPECT_EQ(app.window->pumpedInsideHandler, 3);
    EXPECT_EQ(app.seen, 2);
    EXPECT_EQ(app.window->eaten, 1);
    EXPECT_FALSE(app.refuseClose);
    EXPECT_EQ(app.window->GetHandle(), nullptr);
}

}  // namespace
}  // namespace lrx::fw::test
