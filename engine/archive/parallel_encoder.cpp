#include "parallel_encoder.h"

#include <cerrno>
#include <chrono>

namespace lrx {

ParallelEncoder::ParallelEncoder(const std::string& archivePath, std::vector<ReplayJob> jobs,
                                 const TFileInfo& stamp, unsigned threads,
                                 const std::atomic<bool>& cancelled)
    : archivePath_(archivePath),
      jobs_(std::move(jobs)),
      stamp_(stamp),
      cancelled_(cancelled),
      lookahead_(2 * static_cast<std::size_t>(threads)),
      slots_(lookahead_) {
    for (unsigned i = 0; i < threads && i < jobs_.size(); ++i) {
        workers_.emplace_back([this] { Work(); });
    }
}

ParallelEncoder::~ParallelEncoder() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

void ParallelEncoder::Work() {
    codec::CodecContext ctx;  // each worker its own codec state
    WorkerSink progress(cancelled_);
    for (;;) {
        std::size_t index;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] {
                return stopping_ || nextToTake_ >= jobs_.size() ||
                       nextToTake_ < appended_ + lookahead_;
            });
            if (stopping_ || nextToTake_ >= jobs_.size()) return;
            index = nextToTake_++;
        }
        // The slot's file is made once and rewritten for every replay that
        // passes through the slot: creating and removing a file per replay
        // costs more than encoding a small one.
        Slot& slot = slots_[index % lookahead_];
        Failure failure;
        errno = 0;
        if (slot.file.path().empty()) slot.file = TempFileGuard(MakeTempName(archivePath_));
        int result = LRX_CREATING_TEMP_FILE;
        if (!slot.file.path().empty()) {
            FileStream output(slot.file.path().c_str(), "wb", kArchiveBufferSize);
            // The worker's file is read back at once and never kept: the
            // archive it goes into is the one synced.
            if (output.IsOpen()) {
                result = EncodeReplayEntry(output, jobs_[index].replayPath, jobs_[index].entryName,
                                           stamp_, ctx, progress, failure);
                errno = 0;
                if (!output.Close() && result == LRX_OK) result = LRX_CREATING_TEMP_FILE;
            }
        }
        if (result != LRX_OK) failure.Record(result, errno, {});
        {
            const std::lock_guard lock(mutex_);
            slot.failure = std::move(failure);
            slot.result = result;
        }
        changed_.notify_all();
    }
}

int ParallelEncoder::AppendNext(FileStream& output, OperationContext& ctx, Failure& failure) {
    std::unique_lock lock(mutex_);
    Slot& slot = slots_[appended_ % lookahead_];
    // A worker cannot ask the sink; this thread does it for all of them.
    while (!changed_.wait_for(lock, std::chrono::milliseconds(20),
                              [&] { return slot.result != -1; })) {
        if (ctx.CancelRequested()) return LRX_ABORTED;
    }
    lock.unlock();
    if (slot.result != LRX_OK) {
        failure = slot.failure;
        return slot.result;
    }
    if (ctx.CancelRequested()) return LRX_ABORTED;
    int result = LRX_OK;
    {
        errno = 0;
        FileStream encoded(slot.file.path().c_str(), "rb", kArchiveBufferSize);
        const int64_t length = encoded.IsOpen() ? encoded.Length() : -1;
        if (length < 0 || !CopyEntry(encoded, output, 0, length)) {
            result = failure.Record(LRX_CREATING_TEMP_FILE, errno, {});
        }
    }
    lock.lock();
    slot.result = -1;
    ++appended_;
    lock.unlock();
    changed_.notify_all();
    return result;
}

}  // namespace lrx
