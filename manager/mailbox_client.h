// The progress dialogs' side of the engine's mailbox. TZipProgress and
// TMultiZipProgress each own a MailboxClient and implement MailboxView on
// their controls:
//   SetupWindow           -> Setup()            (the mailbox gets "0")
//   ENChange              -> Changed(whole line 0 of the mailbox)
//   AbortClicked/Canceled -> Abort()            (Esc too)
// TMultiZipProgress::IndicateNext uses DropCounter for its gauge and text.
#pragma once

#include <string>
#include <string_view>

namespace lrx::mgr {

class MailboxView {
  public:
    virtual ~MailboxView() = default;

    // The percentage bar (Gauge or FileGauge), 0..100.
    virtual void SetPercent(int percent) = 0;
    // The status line (control 1801).
    virtual void SetStatusText(const std::string& text) = 0;
    // Runs TOverwriteDlg modally for the whole path: 0 Yes, 1 No, 2 Always
    // (anything else counts as No).
    virtual int AskOverwrite(const std::string& path) = 0;
    // Sets the mailbox text; like any change it calls Changed again, nested.
    virtual void WriteMailbox(const std::string& text) = 0;
    // The application's PumpWaitingMessages.
    virtual void PumpWaitingMessages() = 0;
};

// The leading decimal number of a mailbox text as atol reads it (blanks, a
// sign, digits; none reads 0), clamped to 32 bits instead of overflowing.
long MailboxNumber(std::string_view text);

class MailboxClient {
  public:
    explicit MailboxClient(MailboxView& view) : view_(view) {}

    void Setup();
    // 0..100 sets the bar, 101 the status line (the text after "101"), 998
    // asks about the path after "998" and writes 800, 801 or 802 (999 after
    // an abort, without asking); anything else changes nothing. Then pumps
    // the waiting messages.
    void Changed(std::string_view text);
    // Writes "999" and holds the abort for the rest of this dialog's engine
    // calls: the engine reports with plain writes and reads the mailbox only
    // at its polls, so every later report is followed by "999" again and
    // every later question is answered 999 (one still on the screen too).
    // Once a question is answered, until the Changed that asked it returns
    // and the engine reads the answer, the answer stays; the abort follows
    // the next report.
    void Abort();
    bool Aborted() const { return aborted_; }
    bool QuestionPending() const { return question_; }

  private:
    void Write(const char* text);

    MailboxView& view_;
    bool question_ = false;
    bool aborted_ = false;
    bool holdsAbort_ = false;  // the latest change was "999"
};

// Files done of a drop: TMultiZipProgress's TotalGauge and remaining-files line.
class DropCounter {
  public:
    explicit DropCounter(int fileTotal) : total_(fileTotal) {}
    int Total() const { return total_; }
    int Done() const { return done_; }
    // One more file done, whether it was added or not.
    void IndicateNext();
    // "Files left : %d".
    std::string FilesLeftText() const;

  private:
    int total_;
    int done_ = 0;
};

}  // namespace lrx::mgr
