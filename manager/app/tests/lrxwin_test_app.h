// LRXWin's application in-process for tests: the real frame, list window and
// dialogs; steps run one at a time whenever the program goes idle, then the
// main window closes; once the 30 s watchdog has fired, the steps left are
// dropped and the run fails. Every prompt is recorded
// and answered through the prompt seam (IDCANCEL unless `Answer` says).
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <vector>

#include "lrx_window.h"
#include "lrxwin_app.h"
#include "prompt.h"
#include "test_files.h"

namespace lrx::mgr::test {

class TLRXWinTestApp : public TLRXWinApp {
  public:
    TLRXWinTestApp() { nCmdShow = SW_SHOWNORMAL; }

    bool IdleAction(long idleCount) override {
        TLRXWinApp::IdleAction(idleCount);
        if (!watchdog_) watchdog_ = ::SetTimer(nullptr, 0, 30000, nullptr);
        MSG timeout;
        if (::PeekMessageA(&timeout, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE)) Steps.clear();
        if (!Steps.empty()) {
            auto step = std::move(Steps.front());
            Steps.pop_front();
            step();
            return true;
        }
        if (Frame()) ::DestroyWindow(Frame());
        return false;
    }
    void RunSteps() {
        Run();
        ::KillTimer(nullptr, watchdog_);
        EXPECT_TRUE(Steps.empty()) << "the run hung and was ended by the watchdog";
    }

    HWND Frame() const { return GetMainWindow() ? GetMainWindow()->GetHandle() : nullptr; }
    TLRXWindow& List() const { return *ListWindow(); }
    std::string Caption() const { return GetMainWindow()->GetCaption(); }

    std::deque<std::function<void()>> Steps;

  private:
    UINT_PTR watchdog_ = 0;
};

// The colours of `rect`'s pixels in `dc`, row by row.
inline std::vector<COLORREF> PixelsOf(HDC dc, const RECT& rect) {
    std::vector<COLORREF> pixels;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) pixels.push_back(::GetPixel(dc, x, y));
    }
    return pixels;
}

// A scratch folder as the current one (LRXWin.ini lives there) and the
// prompts of the test.
class LRXWinTest : public ::testing::Test {
  protected:
    LRXWinTest()
        : old_(std::filesystem::current_path()),
          answerer_([this](fw::TPrompt& prompt) -> std::optional<int> {
              Prompts.push_back(prompt);
              return Answer ? Answer(prompt) : std::optional<int>(IDCANCEL);
          }) {
        std::filesystem::current_path(scratch.path());
    }
    ~LRXWinTest() override { std::filesystem::current_path(old_); }

    lrx::test::ScratchDir scratch;
    std::vector<fw::TPrompt> Prompts;
    std::function<std::optional<int>(fw::TPrompt&)> Answer;

  private:
    std::filesystem::path old_;
    fw::TScopedPromptAnswerer answerer_;
};

}  // namespace lrx::mgr::test
