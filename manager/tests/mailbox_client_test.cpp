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
    void SetStatusText(const std::string& text) override { log += "[" + text + "] "; }
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
    // What the engine does: write a report, which raises a change.
    void EngineReports(const std::string& text) { WriteMailbox(text); }

    MailboxClient client{*this};
    std::string mailbox;
    std::string log;
    int answer = 0;
    std::function<void()> onPump;
};

TEST(MailboxClient, ReportsQuestionsAndAnswers) {
    ScriptedDialog dialog;
    dialog.client.Setup();
    dialog.EngineReports("100");
    dialog.EngineReports("101Extracting a.rpl...");
    dialog.EngineReports("998C:\\out\\a very long folder name\\that goes on and on\\a.rpl");
    EXPECT_EQ(dialog.mailbox, "800");
    dialog.answer = 2;
    dialog.EngineReports("998/x/b.rpl");
    EXPECT_EQ(dialog.mailbox, "802");
    dialog.answer = 7;  // a dialog that failed: No, never a missing answer
    dialog.EngineReports("998/x/c.rpl");
    EXPECT_EQ(dialog.mailbox, "801");
    dialog.EngineReports("-3");
    EXPECT_EQ(dialog.log,
              "%0 %100 [Extracting a.rpl...] "
              "ask:C:\\out\\a very long folder name\\that goes on and on\\a.rpl "
              "ask:/x/b.rpl ask:/x/c.rpl ");
}

TEST(MailboxClient, AbortWaitsUntilTheEngineHasReadTheAnswer) {
    ScriptedDialog dialog;
    dialog.client.Setup();
    // The Abort click is handled in the pump of the answer's own change.
    bool clicked = false;
    dialog.onPump = [&] {
        if (dialog.mailbox == "800" && !clicked) {
            clicked = true;
            dialog.client.Abort();
        }
    };
    dialog.EngineReports("998/x/a.rpl");
    EXPECT_EQ(dialog.mailbox, "800");  // what the engine polls next
    EXPECT_TRUE(dialog.client.AbortWaiting());
    // A second question while the abort waits is answered No without asking.
    dialog.EngineReports("998/x/b.rpl");
    EXPECT_EQ(dialog.mailbox, "801");
    dialog.EngineReports("42");
    EXPECT_EQ(dialog.mailbox, "999");
    EXPECT_FALSE(dialog.client.AbortWaiting());
    EXPECT_EQ(dialog.log, "%0 ask:/x/a.rpl %42 ");
    // Without a question the abort is written at once.
    dialog.client.Abort();
    EXPECT_EQ(dialog.mailbox, "999");
}

}  // namespace
}  // namespace lrx::mgr::test
