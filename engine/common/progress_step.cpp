#include "progress_step.h"

namespace lrx {

ProgressStep::ProgressStep(int64_t total) : step_(total / 100) {
    // A total under 100 has no whole step; such a replay runs without reports
    // (otherwise the threshold would never move and the loop below would spin).
    increment_ = step_ > 0 ? (10000 + step_ - 1) / step_ : 0;
    if (increment_ < 1) increment_ = 1;
    threshold_ = total - step_;
}

bool ProgressStep::AtUnitStart(int64_t remaining, ProgressSink& progress) {
    if (remaining < 1 || step_ <= 0 || remaining >= threshold_) return true;
    if (progress.CancelRequested()) return false;
    while (threshold_ > remaining) {
        threshold_ -= step_ * increment_;
        percent_ += increment_;
    }
    progress.Percent(static_cast<int>(percent_ < 100 ? percent_ : 100));
    return true;
}

}  // namespace lrx
