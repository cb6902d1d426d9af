#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "mailbox_client.h"

namespace lrx::mgr::test {
namespace {

// A dialog whose mailbox calls Changed on every write, as the edit control's
// EN_CHANGE does; onPump plays the clicks waiting in the queue.
class ScriptedDialog : public MailboxView {
  public:
    void SetPercent(int percent) override { log += "%" + std::to_string(percent) + " "; }
    void SetStatusText(const std::string&) override {}
    int AskOverwrite(const std::string& path) override {
        log += "ask:" + path + " ";
        return answer;
    }
    void WriteMailbox(const std::string& text) override {
        mailbox = text;
        client.Changed(text);
    }
    void PumpWaitingMessages() override {
        if (onPump) onPump();
    }

    MailboxClient client{*this};
    std::string mailbox, log;
    int answer = 0;
    std::function<void()> onPump;
};

TEST(MailboxClient, AbortWaitsUntilTheEngineHasReadTheAnswer) {
    const std::pair<const char*, long> numbers[] = {
        {"801abc", 801}, {"  -7", -7}, {"abc", 0}, {"99999999999999999999", 2147483647}};
    for (const auto& [text, value] : numbers) EXPECT_EQ(MailboxNumber(text), value) << text;
    ScriptedDialog dialog;
    dialog.answer = 7;  // a dialog that failed: No, never a missing answer
    dialog.WriteMailbox("998/x/z.rpl");
    EXPECT_EQ(dialog.mailbox, "801");
    dialog.answer = 0;
    // The Abort click is handled in the pump of the answer's own change.
    dialog.onPump = [&] {
        if (dialog.mailbox == "800" && !dialog.client.AbortWaiting()) dialog.client.Abort();
    };
    dialog.WriteMailbox("998/x/a.rpl");
    EXPECT_EQ(dialog.mailbox, "800");  // what the engine polls next
    // A second question while the abort waits is answered No without asking.
    dialog.WriteMailbox("998/x/b.rpl");
    EXPECT_EQ(dialog.mailbox, "801");
    dialog.WriteMailbox("42");
    EXPECT_EQ(dialog.mailbox, "999");
    EXPECT_EQ(dialog.log, "ask:/x/z.rpl ask:/x/a.rpl %42 ");
    dialog.onPump = nullptr;
    dialog.client.Abort();  // no question: written at once
    EXPECT_EQ(dialog.mailbox, "999");
}

}  // namespace
}  // namespace lrx::mgr::test
