// Everything one operation (add, delete, extract, list, read, test) carries:
// where it reports, the codec state of the entry in hand, the flag that
// stops its worker threads, and the record of what failed. Each call builds
// its own, so operations on different archives can run at once.
#pragma once

#include <atomic>

#include "codec_context.h"
#include "failure.h"
#include "progress_sink.h"

namespace lrx {

struct OperationContext {
    explicit OperationContext(ProgressSink& sink) : progress(sink) {}
    OperationContext(const OperationContext&) = delete;
    OperationContext& operator=(const OperationContext&) = delete;

    ProgressSink& progress;
    codec::CodecContext codec;
    // Set once the sink asked for a stop; workers, which must not call the
    // sink, read it instead.
    std::atomic<bool> cancelled{false};
    Failure failure;

    bool CancelRequested() {
        if (!cancelled.load(std::memory_order_relaxed) && progress.CancelRequested()) {
            cancelled.store(true, std::memory_order_relaxed);
        }
        return cancelled.load(std::memory_order_relaxed);
    }
};

}  // namespace lrx
