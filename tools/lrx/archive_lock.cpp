#include "archive_lock.h"

#include "entry_name.h"
#include "interrupt.h"

#ifdef _WIN32
#include <windows.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace lrx::cli {

#ifdef _WIN32

ArchiveLock::~ArchiveLock() {
    if (!mutex_) return;
    if (owned_) ReleaseMutex(mutex_);
    CloseHandle(mutex_);
}

bool ArchiveLock::TryLock(const std::string& archive) {
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(archive.c_str(), sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full) return owned_ = true;  // nothing to lock by
    // Mutex names allow no backslash and are limited in length: a hash of
    // the path as Windows compares it (ignoring case) names the archive.
    uint64_t hash = 14695981039346656037ull;
    for (const char* p = full; *p; ++p) {
        hash = (hash ^ static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(*p)))) *
               1099511628211ull;
    }
    char name[64];
    std::snprintf(name, sizeof name, "Local\\lrx-archive-%016llx",
                  static_cast<unsigned long long>(hash));
    mutex_ = CreateMutexA(nullptr, FALSE, name);
    if (!mutex_) return owned_ = true;
    const DWORD result = WaitForSingleObject(mutex_, 0);
    owned_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    return owned_;
}

bool ArchiveLock::Wait() {
    while (!InterruptRequested()) {
        const DWORD result = WaitForSingleObject(mutex_, 200);
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) return owned_ = true;
    }
    return false;
}

#else

ArchiveLock::~ArchiveLock() {
    if (folder_ >= 0) close(folder_);  // releases the lock
}

bool ArchiveLock::TryLock(const std::string& archive) {
    const SplitPath parts = SplitFilePath(archive);
    const std::string folder = parts.directory.empty() ? "." : parts.directory;
    folder_ = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_ < 0) return true;
    return flock(folder_, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
}

bool ArchiveLock::Wait() {
    // Ctrl+C interrupts the wait (the handler is installed without restart).
    while (flock(folder_, LOCK_EX) != 0) {
        if (errno != EINTR) return true;  // cannot lock: go on as TryLock does
        if (InterruptRequested()) return false;
    }
    return true;
}

#endif

}  // namespace lrx::cli
