// Follows the engine's reports in lrx's mailbox window: draws a progress bar
// on the terminal, answers overwrite questions, and turns Ctrl+C into the
// engine's abort request.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "host_window.h"

namespace lrx::cli {

enum class Answer { Yes, No, Always };

class ProgressDisplay {
  public:
    using AskFunction = std::function<Answer(const std::string& path)>;

    // draw: whether to draw on the terminal at all.
    ProgressDisplay(HostWindow& window, bool draw, std::FILE* terminal = stderr);
    ~ProgressDisplay();

    // Called for every overwrite question; without one the answer is No.
    void SetAsk(AskFunction ask) { ask_ = std::move(ask); }
    // Output that shares the terminal (the engine's own lines on stdout): kept
    // back while the bar is shown and let out when the bar is erased.
    void HoldBackWhileDrawing(std::FILE* output);
    // Erases the bar before other output.
    void Clear();

  private:
    void OnChange(HostWindow& window);
    void Draw(bool force);

    HostWindow& window_;
    bool draw_;
    std::FILE* terminal_;
    std::FILE* heldOutput_ = nullptr;
    AskFunction ask_;
    std::string status_;
    int percent_ = 0;
    bool shown_ = false;
    std::chrono::steady_clock::time_point lastDraw_{};
};

// Asks on the terminal until it gets y, n or a (any case); end of input is No.
Answer AskOnTerminal(const std::string& path, std::FILE* in, std::FILE* out);

}  // namespace lrx::cli
