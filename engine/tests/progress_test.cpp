#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_window.h"
#include "mailbox.h"
#include "progress_step.h"

namespace lrx {
namespace {

// Runs the progress step over units of one byte and collects every report.
std::vector<int> ReportsForTotal(int32_t total) {
    HostWindow window;
    std::vector<int> reports;
    window.OnMailboxChange([&](HostWindow& w) { reports.push_back(std::stoi(w.MailboxText())); });
    Mailbox mailbox(window.handle());
    ProgressStep progress(total);
    for (int32_t remaining = total; remaining > 0; --remaining) {
        EXPECT_TRUE(progress.AtUnitStart(remaining, mailbox));
    }
    return reports;
}

std::vector<int> Sequence(int from, int by, int to) {
    std::vector<int> values;
    for (int v = from; v <= to; v += by) values.push_back(v);
    return values;
}

TEST(ProgressStep, ReportsAtLeastOnePercentAndTenThousandBytes) {
    std::vector<int> expected = Sequence(5, 5, 100);
    EXPECT_EQ(ReportsForTotal(200000), expected);

    expected = Sequence(7, 7, 98);
    expected.push_back(100);
    EXPECT_EQ(ReportsForTotal(150000), expected);

    EXPECT_EQ(ReportsForTotal(5000000), Sequence(1, 1, 99));  // threshold reaches 0 first
    EXPECT_EQ(ReportsForTotal(12345), (std::vector<int>{82, 100}));
}

TEST(ProgressStep, TinyTotalsRunToTheEndSilently) {
    for (int32_t total : {0, 1, 99}) EXPECT_TRUE(ReportsForTotal(total).empty()) << total;
}

TEST(ProgressStep, AbortIsReadBeforeAReport) {
    HostWindow window;
    int reports = 0;
    window.OnMailboxChange([&](HostWindow&) { ++reports; });
    window.SetMailboxText("999");
    reports = 0;
    Mailbox mailbox(window.handle());
    ProgressStep progress(200000);
    EXPECT_TRUE(progress.AtUnitStart(200000, mailbox));  // no report due yet: no poll
    EXPECT_FALSE(progress.AtUnitStart(150000, mailbox));
    EXPECT_EQ(reports, 0);
}

TEST(ProgressStep, NoWindowMeansNoPollAndNoAbort) {
    Mailbox none;
    ProgressStep progress(200000);
    for (int32_t remaining = 200000; remaining > 0; remaining -= 1000) {
        EXPECT_TRUE(progress.AtUnitStart(remaining, none));
    }
}

TEST(MailboxNumber, ReadsLikeAtol) {
    EXPECT_EQ(ParseMailboxNumber("801"), 801);
    EXPECT_EQ(ParseMailboxNumber("801 and more"), 801);
    EXPECT_EQ(ParseMailboxNumber("  -12x"), -12);
    EXPECT_EQ(ParseMailboxNumber("+7"), 7);
    EXPECT_EQ(ParseMailboxNumber("abc"), 0);
    EXPECT_EQ(ParseMailboxNumber(""), 0);
    EXPECT_EQ(ParseMailboxNumber("99999999999999999999999"), 0x7FFFFFFF);
}

TEST(Mailbox, PollReadsOnlyTheFirstLineWithinCapacity) {
    HostWindow window;
    Mailbox mailbox(window.handle());
    window.SetMailboxText("802\n999");
    EXPECT_EQ(mailbox.Poll(), 802);
    window.SetMailboxText(std::string(1000, '7'));  // longer than the poll buffer
    EXPECT_EQ(mailbox.Poll(), 0x7FFFFFFF);
}

TEST(Mailbox, OverwriteQuestionIsAnsweredInTheHandler) {
    HostWindow window;
    std::vector<std::string> seen;
    window.OnMailboxChange([&](HostWindow& w) {
        seen.push_back(w.MailboxText());
        if (w.MailboxText().rfind("998", 0) == 0) w.SetMailboxText("802 always");
    });
    Mailbox mailbox(window.handle());
    EXPECT_EQ(AskOverwrite(mailbox, "/tmp/x.rpl"), OverwriteAnswer::Always);
    EXPECT_EQ(seen, (std::vector<std::string>{"998/tmp/x.rpl", "802 always"}));
}

#ifndef _WIN32
// A window whose user answers only on the fourth look, after other texts.
struct SlowAnswerWindow : LrxWindow {
    int polls = 0;
    static LRESULT Proc(LrxWindow* w, int, unsigned message, WPARAM, LPARAM lParam) {
        auto* self = static_cast<SlowAnswerWindow*>(w);
        if (message != EM_GETLINE) return 0;
        const char* text = ++self->polls < 4 ? "0" : "800";
        std::size_t n = std::char_traits<char>::length(text);
        std::copy(text, text + n, reinterpret_cast<char*>(lParam));
        return static_cast<LRESULT>(n);
    }
};

TEST(Mailbox, OverwriteQuestionPollsUntilAnAnswerArrives) {
    SlowAnswerWindow window;
    window.proc = &SlowAnswerWindow::Proc;
    EXPECT_EQ(AskOverwrite(Mailbox(&window), "x"), OverwriteAnswer::Yes);
    EXPECT_EQ(window.polls, 4);
}
#endif

TEST(Mailbox, FocusAndReportsSkipANullWindow) {
    Mailbox none;
    none.Focus();
    none.Report("50");
    EXPECT_EQ(none.Poll(), 0);

    HostWindow window;
    Mailbox mailbox(window.handle());
    mailbox.Focus();
    mailbox.Report("101Adding a.rpl...");
    EXPECT_EQ(window.FocusCount(), 1);
    EXPECT_EQ(window.MailboxText(), "101Adding a.rpl...");
}

}  // namespace
}  // namespace lrx
