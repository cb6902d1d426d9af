#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_window.h"
#include "mailbox.h"
#include "mailbox_sink.h"
#include "progress_step.h"

namespace lrx {
namespace {

// Runs the progress step over units of one byte and collects every report.
std::vector<int> ReportsForTotal(int32_t total) {
    HostWindow window;
    std::vector<int> reports;
    window.OnMailboxChange([&](HostWindow& w) { reports.push_back(std::stoi(w.MailboxText())); });
    MailboxSink sink(window.handle());
    ProgressStep progress(total);
    for (int32_t remaining = total; remaining > 0; --remaining) {
        EXPECT_TRUE(progress.AtUnitStart(remaining, sink));
    }
    return reports;
}

std::vector<int> Sequence(int from, int by, int to, std::vector<int> then = {}) {
    std::vector<int> values;
    for (int v = from; v <= to; v += by) values.push_back(v);
    values.insert(values.end(), then.begin(), then.end());
    return values;
}

TEST(ProgressStep, ReportsAtLeastOnePercentAndTenThousandBytes) {
    EXPECT_EQ(ReportsForTotal(200000), Sequence(5, 5, 100));
    EXPECT_EQ(ReportsForTotal(150000), Sequence(7, 7, 98, {100}));
    EXPECT_EQ(ReportsForTotal(5000000), Sequence(1, 1, 99));  // threshold reaches 0 first
    EXPECT_EQ(ReportsForTotal(12345), (std::vector<int>{82, 100}));
    for (int32_t total : {0, 1, 99}) EXPECT_TRUE(ReportsForTotal(total).empty()) << total;
}

TEST(ProgressStep, AbortIsReadBeforeAReport) {
    HostWindow window;
    int reports = 0;
    window.SetMailboxText("999");
    window.OnMailboxChange([&](HostWindow&) { ++reports; });
    MailboxSink sink(window.handle());
    ProgressStep progress(200000);
    EXPECT_TRUE(progress.AtUnitStart(200000, sink));  // no report due yet: no poll
    EXPECT_FALSE(progress.AtUnitStart(150000, sink));
    EXPECT_EQ(reports, 0);
}

TEST(MailboxNumber, ReadsLikeAtol) {
    const std::pair<const char*, long> cases[] = {{"801", 801},
                                                  {"801 and more", 801},
                                                  {"  -12x", -12},
                                                  {"+7", 7},
                                                  {"abc", 0},
                                                  {"", 0},
                                                  {"99999999999999999999999", 0x7FFFFFFF}};
    for (const auto& [text, number] : cases) EXPECT_EQ(ParseMailboxNumber(text), number) << text;

    HostWindow window;
    Mailbox mailbox(window.handle());
    window.SetMailboxText("802\n999");  // only the first line counts
    EXPECT_EQ(mailbox.Poll(), 802);
    window.SetMailboxText(std::string(1000, '7'));  // longer than the poll buffer
    EXPECT_EQ(mailbox.Poll(), 0x7FFFFFFF);
}

#ifndef _WIN32
// A window whose user answers only on the fourth look, after other texts.
struct SlowAnswerWindow : LrxWindow {
    int polls = 0;
    static LRESULT Proc(LrxWindow* w, int, unsigned message, WPARAM, LPARAM lParam) {
        auto* self = static_cast<SlowAnswerWindow*>(w);
        if (message != EM_GETLINE) return 0;
        const std::string text = ++self->polls < 4 ? "0" : "800";
        std::copy(text.begin(), text.end(), reinterpret_cast<char*>(lParam));
        return static_cast<LRESULT>(text.size());
    }
};

TEST(Mailbox, OverwriteQuestionPollsUntilAnAnswerArrives) {
    SlowAnswerWindow window;
    window.proc = &SlowAnswerWindow::Proc;
    EXPECT_EQ(AskOverwrite(Mailbox(&window), "x"), OverwriteAnswer::Yes);
    EXPECT_EQ(window.polls, 4);
}
#endif

}  // namespace
}  // namespace lrx
