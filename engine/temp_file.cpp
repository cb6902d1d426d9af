#include "temp_file.h"

#include <atomic>
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
#include <unistd.h>
#endif

namespace lrx {
namespace {

// Process-wide like the rest of the engine's state: one operation writes at
// most one temporary file at a time. Constant-initialised, so a signal
// handler never meets it half-built.
struct InProgress {
    char path[kMaxPathLength + 1];
    volatile std::sig_atomic_t set;
};
constinit InProgress inProgress{};

void SetInProgress(const std::string& path) {
    inProgress.set = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    if (path.empty() || path.size() > kMaxPathLength) return;
    std::memcpy(inProgress.path, path.c_str(), path.size() + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    inProgress.set = 1;
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
#endif

}  // namespace

std::string MakeTempName(const std::string& siblingPath) {
    const SplitPath parts = SplitFilePath(siblingPath);
    const std::string folder = parts.drive + parts.directory;
#ifdef _WIN32
    if (folder.size() + 14 > kMaxPathLength) return {};
    char path[MAX_PATH];
    if (GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "lrx", 0, path) == 0) return {};
    return path;
#else
    std::string pattern = folder + ".lrx-XXXXXX";
    if (pattern.size() > kMaxPathLength) return {};
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

bool ReplaceFileAtomically(const std::string& source, const std::string& target) {
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
    const SplitPath parts = SplitFilePath(target);
    const std::string folder = parts.directory.empty() ? "." : parts.directory;
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
    return true;
#endif
}

const char* TempFileInProgress() {
    return inProgress.set ? inProgress.path : nullptr;
}

TempFileGuard::TempFileGuard(std::string path) : path_(std::move(path)) {
    SetInProgress(path_);
}

TempFileGuard::~TempFileGuard() {
    if (!path_.empty()) std::remove(path_.c_str());
    Keep();
}

void TempFileGuard::Keep() {
    path_.clear();
    SetInProgress(path_);
}

}  // namespace lrx
