#include "archive_lock.h"

#include "entry_name.h"
#include "interrupt.h"
#include "path_facts.h"

#ifdef _WIN32
#include <windows.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace lrx::cli {

#ifdef _WIN32

ArchiveLock::~ArchiveLock() {
    Release();
}

void ArchiveLock::Release() {
    if (!mutex_) return;
    if (owned_) ReleaseMutex(mutex_);
    CloseHandle(mutex_);
    mutex_ = nullptr;
    owned_ = false;
}

ArchiveLock::Outcome ArchiveLock::Lock(const std::string& archive, bool wait) {
    if (!mutex_) {
        char full[MAX_PATH];
        const DWORD length =
            GetFullPathNameA(ResolveLinks(archive).c_str(), sizeof full, full, nullptr);
        if (length == 0 || length >= sizeof full) {
            why_ = "its full path is too long";
            return Outcome::Unlocked;
        }
        // Mutex names allow no backslash and are limited in length: a hash of
        // the path as Windows compares it (ignoring case) names the archive.
        uint64_t hash = 14695981039346656037ull;
        for (const char* p = full; *p; ++p) {
            hash =
                (hash ^ static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(*p)))) *
                1099511628211ull;
        }
        char name[64];
        std::snprintf(name, sizeof name, "Local\\lrx-archive-%016llx",
                      static_cast<unsigned long long>(hash));
        mutex_ = CreateMutexA(nullptr, FALSE, name);
        if (!mutex_) {
            why_ = "no mutex for it";
            return Outcome::Unlocked;
        }
    }
    for (;;) {
        const DWORD result = WaitForSingleObject(mutex_, wait ? 200 : 0);
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
            owned_ = true;
            return Outcome::Locked;
        }
        if (result == WAIT_FAILED) {
            why_ = "its mutex cannot be waited for";
            return Outcome::Unlocked;
        }
        if (!wait) return Outcome::Busy;
        if (InterruptRequested()) return Outcome::Interrupted;
    }
}

#else

namespace {

// 0 once held; EWOULDBLOCK when another holds it and wait is false; EINTR
// when a first Ctrl+C ended the wait (the handler is installed without
// restart); another errno when no lock can be had there.
int Flock(int fd, bool wait) {
    while (flock(fd, wait ? LOCK_EX : LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR) return errno;
        if (InterruptRequested()) return EINTR;
    }
    return 0;
}

bool IsFileAt(int fd, const std::string& path) {
    struct stat held {
    }, named{};
    return fstat(fd, &held) == 0 && stat(path.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

}  // namespace

ArchiveLock::~ArchiveLock() {
    Release();  // closing releases the locks
}

void ArchiveLock::Release() {
    if (file_ >= 0) close(file_);
    if (folder_ >= 0) close(folder_);
    file_ = folder_ = -1;
}

ArchiveLock::Outcome ArchiveLock::Lock(const std::string& archive, bool wait) {
    Release();
    auto heldByAnother = [this](int result) {
        Release();
        return result == EINTR ? Outcome::Interrupted : Outcome::Busy;
    };
    const std::string target = ResolveLinks(archive);
    const SplitPath parts = SplitFilePath(target);
    const std::string folder = parts.directory.empty() ? "." : parts.directory;
    int folderResult = 0;
    folder_ = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_ < 0) {
        folderResult = errno;
    } else {
        folderResult = Flock(folder_, wait);
        if (folderResult == EWOULDBLOCK || folderResult == EINTR)
            return heldByAnother(folderResult);
    }
    const bool folderLocked = folderResult == 0;
    for (;;) {
        // Opened without waiting: the archive may be a FIFO, which the
        // operation refuses.
        file_ = open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        struct stat info {};
        if (file_ < 0) {
            // No archive yet: only the folder lock covers its creation. A
            // missing folder, or an archive that cannot be read, is refused
            // by the operation itself.
            if (errno != ENOENT || folderLocked || folderResult == ENOENT) return Outcome::Locked;
            why_ = "its folder cannot be read (" + std::string(std::strerror(folderResult)) +
                   ") and it does not exist yet";
            return Outcome::Unlocked;
        }
        if (fstat(file_, &info) != 0 || !S_ISREG(info.st_mode)) return Outcome::Locked;
        const int fileResult = Flock(file_, wait);
        if (fileResult == EWOULDBLOCK || fileResult == EINTR) return heldByAnother(fileResult);
        if (fileResult != 0) {
            if (folderLocked) return Outcome::Locked;
            why_ = std::strerror(fileResult);
            return Outcome::Unlocked;
        }
        // Another lrx may have replaced the archive while this one waited:
        // the lock on the old file then guards nothing.
        if (IsFileAt(file_, target)) return Outcome::Locked;
        close(file_);
        file_ = -1;
    }
}

#endif

}  // namespace lrx::cli
