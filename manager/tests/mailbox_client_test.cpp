#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "mailbox_client.h"

namespace lrx::mgr::test {
namespace {

// A dialog whose mailbox calls Changed on every write, as the edit control's
// EN_CHANGE does; onPump plays the clicks waiting in the queue, also in the
// overwrite question's modal loop.
class ScriptedDialog : public MailboxView {
  public:
    void SetPercent(int percent) override { log += "%" + std::to_string(percent) + " "; }
    void SetStatusText(const std::string& text) override { log += "status:" + text + " "; }
    int AskOverwrite(const std::string& path) override {
        log += "ask:" + path + " ";
        PumpWaitingMessages();
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

TEST(MailboxClient, AnAbortHoldsAgainstEveryLaterReportAndAnswersEveryLaterQuestion) {
    const std::pair<const char*, long> numbers[] = {
        {"801abc", 801}, {"  -7", -7}, {"abc", 0}, {"99999999999999999999", 2147483647}};
    for (const auto& [text, value] : numbers) EXPECT_EQ(MailboxNumber(text), value) << text;
    // The engine's reports in the order extraction makes them; Abort is
    // clicked once, in a pump while the mailbox holds clickAt. After each
    // report the mailbox holds what the engine's next poll reads.
    struct Case {
        std::vector<std::string> reports;
        std::string clickAt;
        std::vector<std::string> polled;
        std::string log;
    };
    const Case cases[] = {
        // During the status report, then that entry's question.
        {{"101Extracting a.rpl...", "998/x/a.rpl", "30"},
         "101Extracting a.rpl...",
         {"999", "999", "999"},
         "status:Extracting a.rpl... %30 "},
        // During the last percentage of an entry, then the next entry.
        {{"95", "100", "101Extracting b.rpl...", "5"},
         "100",
         {"95", "999", "999", "999"},
         "%95 %100 status:Extracting b.rpl... %5 "},
        // After answering Yes: the engine reads the answer first; then two reports.
        {{"998/x/a.rpl", "101Extracting b.rpl...", "998/x/b.rpl"},
         "800",
         {"800", "999", "999"},
         "ask:/x/a.rpl status:Extracting b.rpl... "},
        // While the question is up: it is answered with the abort.
        {{"998/x/a.rpl", "101Extracting b.rpl..."},
         "998/x/a.rpl",
         {"999", "999"},
         "ask:/x/a.rpl status:Extracting b.rpl... "},
        // No click: every question is asked.
        {{"998/x/a.rpl", "998/x/b.rpl"}, "", {"800", "800"}, "ask:/x/a.rpl ask:/x/b.rpl "},
    };
    for (const Case& c : cases) {
        ScriptedDialog dialog;
        dialog.client.Setup();
        dialog.onPump = [&] {
            if (dialog.mailbox == c.clickAt && !dialog.client.Aborted()) dialog.client.Abort();
        };
        std::vector<std::string> polled;
        for (const std::string& report : c.reports) {
            dialog.WriteMailbox(report);
            polled.push_back(dialog.mailbox);
        }
        EXPECT_EQ(polled, c.polled) << c.reports[0] << " " << c.clickAt;
        EXPECT_EQ(dialog.log, "%0 " + c.log) << c.reports[0] << " " << c.clickAt;
    }
    ScriptedDialog failed;
    failed.answer = 7;  // a dialog that failed: No, never a missing answer
    failed.WriteMailbox("998/x/z.rpl");
    EXPECT_EQ(failed.mailbox, "801");
    failed.client.Abort();  // no question: written at once
    EXPECT_EQ(failed.mailbox, "999");
}

}  // namespace
}  // namespace lrx::mgr::test
