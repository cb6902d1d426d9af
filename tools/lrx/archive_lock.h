// Two lrx runs changing one archive take turns. The lock must still mean
// something after the archive is replaced by rename, and must leave nothing
// behind: on Linux it is an advisory lock on the archive's folder (so changes
// to archives of one folder take turns), on Windows a named mutex made from
// the archive's full path. Both end with the process, however it ends.
#pragma once

#include <string>

namespace lrx::cli {

class ArchiveLock {
  public:
    enum class Outcome { Locked, Busy, Interrupted };

    ArchiveLock() = default;
    ~ArchiveLock();
    ArchiveLock(const ArchiveLock&) = delete;
    ArchiveLock& operator=(const ArchiveLock&) = delete;

    // Takes the lock for archive. When another process holds it: Busy at once
    // with wait false, or onWait() is called and the lock is awaited (a first
    // Ctrl+C ends the wait with Interrupted). A folder that cannot be opened
    // is not locked, and Locked is returned: the operation reports the error.
    template <typename OnWait>
    Outcome Acquire(const std::string& archive, bool wait, OnWait onWait) {
        if (TryLock(archive)) return Outcome::Locked;
        if (!wait) return Outcome::Busy;
        onWait();
        return Wait() ? Outcome::Locked : Outcome::Interrupted;
    }

  private:
    bool TryLock(const std::string& archive);
    bool Wait();

#ifdef _WIN32
    void* mutex_ = nullptr;
    bool owned_ = false;
#else
    int folder_ = -1;
#endif
};

}  // namespace lrx::cli
