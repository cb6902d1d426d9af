// The mailbox protocol: reports into the caller's edit control and polls of
// what the caller wrote back (abort requests, overwrite answers).
#pragma once

#include <cstdint>
#include <string>

#include "progress_sink.h"
#include "window_seam.h"

namespace lrx {

inline constexpr long kAbortRequest = 999;
inline constexpr long kAnswerYes = 800;
inline constexpr long kAnswerNo = 801;
inline constexpr long kAnswerAlways = 802;

// Reads a mailbox text the way atol does: blanks, an optional sign, digits.
long ParseMailboxNumber(const char* text);

class Mailbox {
  public:
    explicit Mailbox(HWND window = nullptr) : window_(window) {}

    HWND window() const { return window_; }

    // WM_SETFOCUS to the window; nothing without one.
    void Focus() const;
    // WM_SETTEXT to the mailbox control; nothing without a window.
    void Report(const char* text) const;
    // EM_GETLINE of line 0, read as a number; 0 without a window.
    long Poll() const;
    // Whether the window is still there; false without one.
    bool Exists() const;

  private:
    HWND window_;
};

// Sends "998PATH" with the whole path and polls until the window answers 800,
// 801 or 802; an abort request, or a window that is gone and can never
// answer, ends the wait with Abort.
OverwriteAnswer AskOverwrite(const Mailbox& mailbox, const std::string& destinationPath);

}  // namespace lrx
