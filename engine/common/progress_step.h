// Percentage reports while one replay is encoded or decoded, or while a
// delete copies the entries it keeps. Every report covers at least one
// percent and at least 10000 bytes, and is preceded by a poll so an abort
// request takes effect.
#pragma once

#include <cstdint>

#include "progress_sink.h"

namespace lrx {

class ProgressStep {
  public:
    // total: the bytes the units will cover (of a replay, or of kept entries).
    explicit ProgressStep(int64_t total);

    // Called at the start of each unit with the bytes still to process.
    // Returns false when the sink asked for a stop.
    bool AtUnitStart(int64_t remaining, ProgressSink& progress);

  private:
    int64_t step_;
    int64_t increment_;
    int64_t threshold_;
    int64_t percent_ = 0;
};

}  // namespace lrx
