// The caller's window as a progress sink: the mailbox protocol of the eight
// exports. Without a window every report goes nowhere, nothing is asked and
// nothing stops the operation.
#pragma once

#include "mailbox.h"
#include "progress_sink.h"

namespace lrx {

class MailboxSink final : public ProgressSink {
  public:
    explicit MailboxSink(HWND window) : mailbox_(window) {}

    // WM_SETFOCUS.
    void Start() override;
    // "101Adding NAME...", "101Updating NAME...", "101Extracting NAME...",
    // "101Deleting entries...".
    void Enter(Stage stage, const char* entry) override;
    // The number as text.
    void Percent(int percent) override;
    // The exports also keep a log on standard output: "Extracting NAME...
    // Done." and "ERROR : Unable to create NAME".
    void Finished(Stage stage, const char* entry) override;
    void Unwritable(const char* entry) override;
    // The mailbox reads 999.
    bool CancelRequested() override;
    bool CanAsk() const override { return mailbox_.window() != nullptr; }
    // "998PATH", then polls for 800, 801 or 802.
    OverwriteAnswer AskOverwrite(const std::string& path) override;

  private:
    Mailbox mailbox_;
};

}  // namespace lrx
