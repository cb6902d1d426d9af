// Replays encoded on several threads into temporary files beside the
// archive, handed to the one thread that writes the archive in their order,
// so the archive is byte for byte the one a single thread writes. Workers
// run at most a few replays ahead of the writer, each slot of that window a
// temporary file of its own: the files on disk stay few whatever the number
// of replays.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "archive_ops.h"
#include "operation_context.h"
#include "temp_file.h"

namespace lrx {

struct ReplayJob {
    std::string replayPath;
    std::string entryName;
};

class ParallelEncoder {
  public:
    // The workers stop early once cancelled is set.
    ParallelEncoder(const std::string& archivePath, std::vector<ReplayJob> jobs,
                    const TFileInfo& stamp, unsigned threads, const std::atomic<bool>& cancelled);
    ~ParallelEncoder();  // stops the workers and removes what they wrote
    ParallelEncoder(const ParallelEncoder&) = delete;
    ParallelEncoder& operator=(const ParallelEncoder&) = delete;

    // Waits for the next job (taken in order from 0), asking ctx whether to
    // stop meanwhile, and appends its entry and record to output. A failure
    // is the worker's, as it recorded it there, into failure.
    int AppendNext(FileStream& output, OperationContext& ctx, Failure& failure);

  private:
    struct Slot {
        TempFileGuard file{""};
        int result = -1;  // -1 while the worker is at it
        Failure failure;  // what went wrong, errno taken on the worker's thread
    };
    void Work();

    std::string archivePath_;
    std::vector<ReplayJob> jobs_;
    TFileInfo stamp_;
    const std::atomic<bool>& cancelled_;
    std::size_t lookahead_;
    std::vector<Slot> slots_;  // a ring: job i goes through slot i % lookahead_
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t nextToTake_ = 0;
    std::size_t appended_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace lrx
