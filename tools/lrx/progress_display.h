// Follows one engine call through its callbacks: draws a progress bar on the
// terminal, hands on each finished entry, answers overwrite questions, and
// turns Ctrl+C into a stop.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "lrxpack_api.h"

namespace lrx::cli {

enum class Answer { Yes, No, Always };

class ProgressDisplay {
  public:
    // What the bar says about the entry in hand ("" while deleting).
    using Label = std::function<std::string(const std::string& entry)>;
    using AskFunction = std::function<Answer(const std::string& path)>;
    using FinishedFunction = std::function<void(const std::string& entry)>;

    // draw: whether to draw on the terminal at all.
    ProgressDisplay(Label label, bool draw, std::FILE* terminal = stderr);
    ~ProgressDisplay();
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;

    // Called for every overwrite question; without one the answer is No.
    void SetAsk(AskFunction ask) { ask_ = std::move(ask); }
    // Called once an entry is done (extracted into place, or added).
    void SetFinished(FinishedFunction finished) { finished_ = std::move(finished); }
    // The callbacks to hand the engine; valid while the display lives.
    const lrx_callbacks* callbacks() const { return &callbacks_; }
    // Erases the bar before other output.
    void Clear();

  private:
    static int OnProgress(void* user, const char* entry, int percent);
    static int OnOverwrite(void* user, const char* path);
    void Draw(bool force);

    Label label_;
    bool draw_;
    std::FILE* terminal_;
    AskFunction ask_;
    FinishedFunction finished_;
    lrx_callbacks callbacks_;
    std::string entry_;
    std::string status_;
    int percent_ = 0;
    bool shown_ = false;
    std::chrono::steady_clock::time_point lastDraw_{};
};

// "Extracting r1.rpl..." for an entry, "Deleting entries..." for none.
ProgressDisplay::Label VerbLabel(const char* verb);

// Asks on the terminal until it gets y, n or a (any case); end of input is No.
Answer AskOnTerminal(const std::string& path, std::FILE* in, std::FILE* out);

}  // namespace lrx::cli
