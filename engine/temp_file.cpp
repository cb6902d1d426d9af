#include "temp_file.h"

#include <csignal>
#include <cstdio>
#include <vector>

#include "entry_name.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#endif

namespace lrx {
namespace {

char currentTempPath[kMaxPathLength + 1];
volatile std::sig_atomic_t currentTempPathSet = 0;

void SetCurrentTempPath(const std::string& path) {
    currentTempPathSet = 0;
    if (path.empty() || path.size() > kMaxPathLength) return;
    path.copy(currentTempPath, path.size());
    currentTempPath[path.size()] = '\0';
    currentTempPathSet = 1;
}

std::string Published(std::string path) {
    SetCurrentTempPath(path);
    return path;
}

}  // namespace

const char* CurrentTempFilePath() {
    return currentTempPathSet ? currentTempPath : "";
}

std::string MakeTempName(const std::string& siblingPath) {
    const SplitPath parts = SplitFilePath(siblingPath);
    const std::string folder = parts.drive + parts.directory;
#ifdef _WIN32
    if (folder.size() + 14 > kMaxPathLength) return {};
    char path[MAX_PATH];
    if (GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "lrx", 0, path) == 0) return {};
    return Published(path);
#else
    std::string pattern = folder + ".lrx-XXXXXX";
    if (pattern.size() > kMaxPathLength) return {};
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = mkstemp(buffer.data());
    if (fd < 0) return {};
    close(fd);
    return Published(buffer.data());
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
#ifdef _WIN32
    return MoveFileExA(source.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
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

void TempFileGuard::Keep() {
    path_.clear();
    SetCurrentTempPath({});
}

TempFileGuard::~TempFileGuard() {
    if (path_.empty()) return;
    // Removed before it stops being current: a signal in between finds it gone.
    std::remove(path_.c_str());
    SetCurrentTempPath({});
}

}  // namespace lrx
