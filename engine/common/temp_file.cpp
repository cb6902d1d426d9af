#include "temp_file.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <vector>

#include "entry_name.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace lrx {
namespace {

// Process-wide like the rest of the engine's state: the temporary files being
// written right now, a few at once when replays are encoded in parallel or
// extracted in a group. Constant-initialised and lock-free, so a signal
// handler never meets it half-built.
constexpr int kInProgressSlots = 64;
enum SlotState : int { kFree, kFilling, kSet };
struct InProgress {
    char path[kMaxPathLength + 1];
    std::atomic<int> state;
};
constinit InProgress inProgress[kInProgressSlots]{};

// Claims a slot for path; -1 when the path does not fit or all are taken.
int SetInProgress(const std::string& path) {
    if (path.empty() || path.size() > kMaxPathLength) return -1;
    for (int i = 0; i < kInProgressSlots; ++i) {
        int expected = kFree;
        if (!inProgress[i].state.compare_exchange_strong(expected, kFilling)) continue;
        std::memcpy(inProgress[i].path, path.c_str(), path.size() + 1);
        inProgress[i].state.store(kSet);
        return i;
    }
    return -1;
}

void ClearInProgress(int slot) {
    if (slot >= 0) inProgress[slot].state.store(kFree);
}

#ifndef _WIN32
// What open(..., 0666) would give a new file.
mode_t CreationMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

void TakePermissions(const std::string& file, const std::string& target) {
    struct stat old {};
    if (stat(target.c_str(), &old) != 0) {
        chmod(file.c_str(), CreationMode());
        return;
    }
    // Owner first: a change of owner clears the set-id bits that chmod sets.
    if (chown(file.c_str(), old.st_uid, old.st_gid) != 0) {
        [[maybe_unused]] const int groupOnly =
            chown(file.c_str(), static_cast<uid_t>(-1), old.st_gid);
    }
    chmod(file.c_str(), old.st_mode & 07777);
}

// Renames without replacing; false with errno set, EEXIST when the name is
// taken. Where the kernel or file system cannot (EINVAL, ENOSYS), a hard link
// does the same: it too fails on a taken name. Where hard links are missing
// as well (EPERM, EOPNOTSUPP: some FAT or FUSE mounts) only a check before
// the rename is left.
bool RenameWithoutReplacing(const char* source, const char* target) {
#if defined(__linux__) && defined(SYS_renameat2)
    constexpr unsigned kRenameNoReplace = 1;  // RENAME_NOREPLACE, part of the kernel's ABI
    if (syscall(SYS_renameat2, AT_FDCWD, source, AT_FDCWD, target, kRenameNoReplace) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) return false;
#endif
    if (link(source, target) == 0) {
        unlink(source);
        return true;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS) return false;
    struct stat info {};
    if (lstat(target, &info) == 0) {
        errno = EEXIST;
        return false;
    }
    return std::rename(source, target) == 0;
}
#endif

}  // namespace

std::string MakeTempName(const std::string& siblingPath) {
    const SplitPath parts = SplitFilePath(siblingPath);
    const std::string folder = parts.drive + parts.directory;
#ifdef _WIN32
    if (folder.size() + 14 > kMaxPathLength) {
        errno = ENAMETOOLONG;
        return {};
    }
    char path[MAX_PATH];
    if (GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "lrx", 0, path) == 0) {
        errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
        return {};
    }
    return path;
#else
    std::string pattern = folder + ".lrx-XXXXXX";
    if (pattern.size() > kMaxPathLength) {
        errno = ENAMETOOLONG;
        return {};
    }
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = mkstemp(buffer.data());
    if (fd < 0) return {};
    close(fd);
    return buffer.data();
#endif
}

bool PathExists(const std::string& path) {
#ifdef _WIN32
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
#else
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
#endif
}

bool IsWritableFile(const std::string& path) {
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_READONLY);
#else
    return access(path.c_str(), W_OK) == 0;
#endif
}

bool CloseDurably(FileStream& stream) {
    if (!stream.IsOpen()) return false;
    bool ok = std::fflush(stream.get()) == 0;
#ifdef _WIN32
    ok = ok && _commit(_fileno(stream.get())) == 0;
#else
    ok = ok && fsync(fileno(stream.get())) == 0;
#endif
    return stream.Close() && ok;
}

bool StartWriteback(FileStream& stream) {
    if (!stream.IsOpen() || std::fflush(stream.get()) != 0) return false;
#ifdef __linux__
    sync_file_range(fileno(stream.get()), 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    return true;
}

void SyncFolderOf([[maybe_unused]] const std::string& path) {
#ifndef _WIN32
    const SplitPath parts = SplitFilePath(path);
    const std::string folder = parts.directory.empty() ? "." : parts.directory;
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
#endif
}

bool ReplaceFileAtomically(const std::string& source, const std::string& target,
                           [[maybe_unused]] bool syncFolder) {
    // Checked here as well as by the operations: a rename replaces a
    // read-only file as readily as any other.
    if (PathExists(target) && !IsWritableFile(target)) return false;
#ifdef _WIN32
    return MoveFileExA(source.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    TakePermissions(source, target);
    if (std::rename(source.c_str(), target.c_str()) != 0) return false;
    // Make the rename itself durable: sync the folder that holds both names.
    if (syncFolder) SyncFolderOf(target);
    return true;
#endif
}

bool MoveToNewName(const std::string& source, const std::string& target) {
#ifdef _WIN32
    if (MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) errno = EEXIST;
    return false;
#else
    chmod(source.c_str(), CreationMode());
    if (!RenameWithoutReplacing(source.c_str(), target.c_str())) return false;
    SyncFolderOf(target);
    return true;
#endif
}

const char* TempFileInProgress() {
    for (const InProgress& slot : inProgress) {
        if (slot.state.load() == kSet) return slot.path;
    }
    return nullptr;
}

void RemoveTempFilesInProgress() {
    for (const InProgress& slot : inProgress) {
        if (slot.state.load() != kSet) continue;
#ifdef _WIN32
        DeleteFileA(slot.path);
#else
        unlink(slot.path);
#endif
    }
}

TempFileGuard::TempFileGuard(std::string path)
    : path_(std::move(path)), slot_(SetInProgress(path_)) {}

TempFileGuard::TempFileGuard(TempFileGuard&& other) noexcept
    : path_(std::move(other.path_)), slot_(other.slot_) {
    other.path_.clear();
    other.slot_ = -1;
}

TempFileGuard& TempFileGuard::operator=(TempFileGuard&& other) noexcept {
    if (this == &other) return *this;
    if (!path_.empty()) std::remove(path_.c_str());
    Keep();
    path_ = std::move(other.path_);
    slot_ = other.slot_;
    other.path_.clear();
    other.slot_ = -1;
    return *this;
}

TempFileGuard::~TempFileGuard() {
    if (!path_.empty()) std::remove(path_.c_str());
    Keep();
}

void TempFileGuard::Keep() {
    path_.clear();
    ClearInProgress(slot_);
    slot_ = -1;
}

}  // namespace lrx
