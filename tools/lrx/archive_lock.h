// Two lrx runs changing one archive take turns. The lock must still mean
// something after the archive is replaced by rename, and must leave nothing
// behind: on Linux it is an advisory lock on the archive's folder (so changes
// to archives of one folder take turns) and one on the archive itself, which
// is re-checked to be the archive still once it is held: an lrx that cannot
// read the folder, or reaches the archive by another name, meets the others
// there. On Windows it is a named mutex made from the archive's full path.
// All end with the process, however it ends. Links are followed: the lock is
// on the file that changes.
#pragma once

#include <string>

namespace lrx::cli {

class ArchiveLock {
  public:
    // Unlocked: no lock can be taken here (a folder lrx cannot read and no
    // archive in it yet, or a file system without locks); why() says why. The
    // caller says so and goes on.
    enum class Outcome { Locked, Busy, Interrupted, Unlocked };

    ArchiveLock() = default;
    ~ArchiveLock();
    ArchiveLock(const ArchiveLock&) = delete;
    ArchiveLock& operator=(const ArchiveLock&) = delete;

    // Takes the lock for archive. When another process holds it: Busy at once
    // with wait false, or onWait() is called and the lock is awaited (a first
    // Ctrl+C ends the wait with Interrupted).
    template <typename OnWait>
    Outcome Acquire(const std::string& archive, bool wait, OnWait onWait) {
        const Outcome outcome = Lock(archive, false);
        if (outcome != Outcome::Busy || !wait) return outcome;
        onWait();
        return Lock(archive, true);
    }

    const std::string& why() const { return why_; }

  private:
    Outcome Lock(const std::string& archive, bool wait);
    void Release();

    std::string why_;
#ifdef _WIN32
    void* mutex_ = nullptr;
    bool owned_ = false;
#else
    int folder_ = -1;
    int file_ = -1;
#endif
};

}  // namespace lrx::cli
