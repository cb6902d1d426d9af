// Everything one operation (add, delete, extract, list, read, test) carries:
// where it reports, the codec state of the entry in hand, the flag that
// stops its worker threads, and the record of what failed. Each call builds
// its own, so operations on different archives can run at once.
#pragma once

#include <atomic>
#include <string>

#include "codec_context.h"
#include "failure.h"
#include "progress_sink.h"

namespace lrx {

// The caller's sink as the operation's own thread uses it: a stop it asks for
// is kept in the flag, which the workers read instead of the sink.
class CancelLatch final : public ProgressSink {
  public:
    CancelLatch(ProgressSink& sink, std::atomic<bool>& cancelled)
        : sink_(sink), cancelled_(cancelled) {}
    void Start() override { sink_.Start(); }
    void Enter(Stage stage, const char* entry) override { sink_.Enter(stage, entry); }
    void Resume(const char* entry) override { sink_.Resume(entry); }
    void Percent(int percent) override { sink_.Percent(percent); }
    void Finished(Stage stage, const char* entry) override { sink_.Finished(stage, entry); }
    void Unwritable(const char* entry) override { sink_.Unwritable(entry); }
    bool CancelRequested() override {
        if (!cancelled_.load(std::memory_order_relaxed) && sink_.CancelRequested()) {
            cancelled_.store(true, std::memory_order_relaxed);
        }
        return cancelled_.load(std::memory_order_relaxed);
    }
    bool StopAsked() const override {
        if (sink_.StopAsked()) cancelled_.store(true, std::memory_order_relaxed);
        return cancelled_.load(std::memory_order_relaxed);
    }
    bool CanAsk() const override { return sink_.CanAsk(); }
    OverwriteAnswer AskOverwrite(const std::string& path) override {
        return sink_.AskOverwrite(path);
    }

  private:
    ProgressSink& sink_;
    std::atomic<bool>& cancelled_;
};

// What a worker thread reports to: nothing, and it stops once the operation
// is cancelled.
class WorkerSink final : public ProgressSink {
  public:
    explicit WorkerSink(const std::atomic<bool>& cancelled) : cancelled_(cancelled) {}
    bool CancelRequested() override { return cancelled_.load(std::memory_order_relaxed); }

  private:
    const std::atomic<bool>& cancelled_;
};

struct OperationContext {
    OperationContext(ProgressSink& sink, int call) : progress(sink, cancelled) {
        failure.call = call;
    }
    OperationContext(const OperationContext&) = delete;
    OperationContext& operator=(const OperationContext&) = delete;

    // Set once the sink asked for a stop; declared before the latch that sets it.
    std::atomic<bool> cancelled{false};
    CancelLatch progress;
    codec::CodecContext codec;
    Failure failure;

    bool CancelRequested() { return progress.CancelRequested(); }
    // After a report: whether it asked for a stop (the window is not polled).
    bool StopAsked() const { return progress.StopAsked(); }
    // Records a failure (unless one is recorded already) and returns its code.
    int Fail(int code, int systemError, std::string path, std::string entry = {},
             std::size_t item = kNoItem, int detail = 0) {
        return failure.Record(code, systemError, std::move(path), std::move(entry), item, detail);
    }
};

}  // namespace lrx
