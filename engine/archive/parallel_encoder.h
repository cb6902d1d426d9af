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
#include "temp_file.h"

namespace lrx {

struct ReplayJob {
    std::string replayPath;
    std::string entryName;
};

class ParallelEncoder {
  public:
    ParallelEncoder(const std::string& archivePath, std::vector<ReplayJob> jobs,
                    const TFileInfo& stamp, unsigned threads);
    ~ParallelEncoder();  // stops the workers and removes what they wrote
    ParallelEncoder(const ParallelEncoder&) = delete;
    ParallelEncoder& operator=(const ParallelEncoder&) = delete;

    // Waits for job index (taken in order from 0), polling window for an
    // abort meanwhile, and appends its entry and record to output.
    int AppendNext(FileStream& output, const Mailbox& window);

  private:
    struct Slot {
        TempFileGuard file{""};
        int result = -1;  // -1 while the worker is at it
        int systemError = 0;
    };
    void Work();

    std::string archivePath_;
    std::vector<ReplayJob> jobs_;
    TFileInfo stamp_;
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
