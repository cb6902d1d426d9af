#include "progress_step.h"

#include <cstdio>

namespace lrx {

ProgressStep::ProgressStep(int64_t total) : step_(total / 100) {
    // A total under 100 has no whole step; such a replay runs without reports
    // (otherwise the threshold would never move and the loop below would spin).
    increment_ = step_ > 0 ? (10000 + step_ - 1) / step_ : 0;
    if (increment_ < 1) increment_ = 1;
    threshold_ = total - step_;
}

bool ProgressStep::AtUnitStart(int64_t remaining, const Mailbox& mailbox) {
    if (remaining < 1 || step_ <= 0 || remaining >= threshold_) return true;
    if (mailbox.Poll() == kAbortRequest) return false;
    while (threshold_ > remaining) {
        threshold_ -= step_ * increment_;
        percent_ += increment_;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(percent_ < 100 ? percent_ : 100));
    mailbox.Report(text);
    return true;
}

}  // namespace lrx
