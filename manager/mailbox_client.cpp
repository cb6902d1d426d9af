#include "mailbox_client.h"

#include <climits>
#include <cstdint>

namespace lrx::mgr {
namespace {

constexpr long kStatusReport = 101;
constexpr long kQuestion = 998;
constexpr long kAbortRequest = 999;
constexpr const char* kAbortText = "999";
constexpr int kAnswerBase = 800;
constexpr int kAnswerNo = 1;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

}  // namespace

long MailboxNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT32_MAX) value = INT32_MAX;
    }
    return static_cast<long>(negative ? -value : value);
}

void MailboxClient::Setup() {
    Write("0");
}

void MailboxClient::Write(const char* text) {
    view_.WriteMailbox(text);
}

void MailboxClient::Changed(std::string_view line) {
    // Our own writes below change the mailbox the caller may have read from.
    const std::string text(line);
    const long value = MailboxNumber(text);
    holdsAbort_ = value == kAbortRequest;
    // The engine waits for the answer, so no second question can come while
    // one is pending; the answer's own change only passes through here.
    const bool asks = value == kQuestion && !question_;
    if (value >= 0 && value <= 100) {
        view_.SetPercent(static_cast<int>(value));
    } else if (value == kStatusReport) {
        view_.SetStatusText(text.substr(3));
    } else if (asks) {
        question_ = true;
        int answer = aborted_ ? kAnswerNo : view_.AskOverwrite(text.substr(3));
        if (answer < 0 || answer > 2) answer = kAnswerNo;
        // An abort made before or while the question was up answers it.
        Write(aborted_ ? kAbortText : std::to_string(kAnswerBase + answer).c_str());
    }
    view_.PumpWaitingMessages();
    if (asks) {
        // The engine reads the answer once this change has returned; an abort
        // clicked meanwhile follows its next report.
        question_ = false;
    } else if (aborted_ && !question_ && !holdsAbort_) {
        // The report has just overwritten the abort (unless the pump wrote it
        // again), and the engine reads the mailbox only at its next poll.
        Write(kAbortText);
    }
}

void MailboxClient::Abort() {
    aborted_ = true;
    if (!question_) Write(kAbortText);
}

void DropCounter::IndicateNext() {
    ++done_;
}

std::string DropCounter::FilesLeftText() const {
    return "Files left : " + std::to_string(total_ - done_);
}

}  // namespace lrx::mgr
