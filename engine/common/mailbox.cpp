#include "mailbox.h"

#include <cstdlib>
#include <cstring>

#include "lrxpack.h"

namespace lrx {
namespace {

// Long enough for "998" and a full path; the window may hold more, EM_GETLINE
// truncates to the capacity we give it.
constexpr int kPollCapacity = 300;

}  // namespace

long ParseMailboxNumber(const char* text) {
    // std::atol is undefined on overflow; clamp instead so any text is safe.
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (value < 1'000'000'000'000LL) value = value * 10 + (*p - '0');
    }
    if (value > 0x7FFFFFFF) value = 0x7FFFFFFF;
    return static_cast<long>(negative ? -value : value);
}

void Mailbox::Focus() const {
    if (window_) SendMessageA(window_, WM_SETFOCUS, 0, 0);
}

void Mailbox::Report(const char* text) const {
    if (window_) {
        SendDlgItemMessageA(window_, LRX_MAILBOX_ID, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }
}

bool Mailbox::Exists() const {
    return window_ && IsWindow(window_);
}

long Mailbox::Poll() const {
    if (!window_) return 0;
    char buffer[kPollCapacity + 1] = {};
    // EM_GETLINE takes the capacity in the buffer's first 16-bit word.
    const uint16_t capacity = kPollCapacity;
    std::memcpy(buffer, &capacity, sizeof capacity);
    LRESULT copied = SendDlgItemMessageA(window_, LRX_MAILBOX_ID, EM_GETLINE, 0,
                                         reinterpret_cast<LPARAM>(buffer));
    if (copied < 0) copied = 0;
    if (copied > kPollCapacity) copied = kPollCapacity;
    buffer[copied] = '\0';
    return ParseMailboxNumber(buffer);
}

OverwriteAnswer AskOverwrite(const Mailbox& mailbox, const std::string& destinationPath) {
    mailbox.Report(("998" + destinationPath).c_str());
    for (;;) {
        if (!mailbox.Exists()) return OverwriteAnswer::Abort;
        switch (mailbox.Poll()) {
            case kAbortRequest:
                return OverwriteAnswer::Abort;
            case kAnswerYes:
                return OverwriteAnswer::Yes;
            case kAnswerNo:
                return OverwriteAnswer::No;
            case kAnswerAlways:
                return OverwriteAnswer::Always;
            default:
                break;
        }
    }
}

}  // namespace lrx
