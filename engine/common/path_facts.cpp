#include "path_facts.h"

#include "lrxpack_api.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace lrx {

#ifdef _WIN32

namespace {

PathKind KindOf(DWORD attributes, bool followLinks) {
    if (!followLinks && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return PathKind::Link;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::Folder;
    if (attributes & FILE_ATTRIBUTE_DEVICE) return PathKind::Other;
    return PathKind::File;
}

int64_t SizeOf(DWORD high, DWORD low) {
    return static_cast<int64_t>(static_cast<uint64_t>(high) << 32 | low);
}

// A handle for asking about the file a path leads to, without any right to
// read or write it.
HANDLE OpenForQuery(const std::string& path) {
    return CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

PathFacts LookAt(const std::string& path, bool followLinks) {
    PathFacts facts;
    if (!followLinks) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return facts;
        facts.kind = KindOf(data.dwFileAttributes, false);
        facts.size = SizeOf(data.nFileSizeHigh, data.nFileSizeLow);
        return facts;
    }
    const HANDLE file = OpenForQuery(path);
    if (file == INVALID_HANDLE_VALUE) return facts;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(file, &info)) {
        facts.kind = GetFileType(file) == FILE_TYPE_DISK ? KindOf(info.dwFileAttributes, true)
                                                         : PathKind::Other;
        facts.size = SizeOf(info.nFileSizeHigh, info.nFileSizeLow);
        facts.names = info.nNumberOfLinks;
    }
    CloseHandle(file);
    return facts;
}

int NonFileAt(const std::string& path, bool followLinks) {
    const DWORD attributes = GetFileAttributesA((followLinks ? ResolveLinks(path) : path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return 0;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return LRX_PATH_FOLDER;
    if (attributes & FILE_ATTRIBUTE_DEVICE) return LRX_PATH_DEVICE;
    return 0;
}

std::string ResolveLinks(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return path;
    }
    // A link that leads nowhere stays as it is: the rename then replaces it.
    const HANDLE file = OpenForQuery(path);
    if (file == INVALID_HANDLE_VALUE) return path;
    char final[MAX_PATH + 8];
    const DWORD length = GetFinalPathNameByHandleA(file, final, sizeof final,
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(file);
    if (length == 0 || length >= sizeof final) return path;
    std::string resolved(final, length);
    // The answer comes as \\?\C:\... or \\?\UNC\server\share\...
    if (resolved.rfind("\\\\?\\UNC\\", 0) == 0) return "\\" + resolved.substr(7);
    if (resolved.rfind("\\\\?\\", 0) == 0) return resolved.substr(4);
    return resolved;
}

#else

PathFacts LookAt(const std::string& path, bool followLinks) {
    struct stat info {};
    if ((followLinks ? stat(path.c_str(), &info) : lstat(path.c_str(), &info)) != 0) return {};
    PathFacts facts;
    facts.kind = S_ISREG(info.st_mode)   ? PathKind::File
                 : S_ISDIR(info.st_mode) ? PathKind::Folder
                 : S_ISLNK(info.st_mode) ? PathKind::Link
                                         : PathKind::Other;
    facts.size = info.st_size;
    facts.names = static_cast<int64_t>(info.st_nlink);
    return facts;
}

int NonFileAt(const std::string& path, bool followLinks) {
    // stat itself follows: links of /dev/fd and /proc lead to pipes no path names.
    struct stat info {};
    if ((followLinks ? stat(path.c_str(), &info) : lstat(path.c_str(), &info)) != 0) return 0;
    if (S_ISDIR(info.st_mode)) return LRX_PATH_FOLDER;
    if (S_ISFIFO(info.st_mode)) return LRX_PATH_FIFO;
    if (S_ISSOCK(info.st_mode)) return LRX_PATH_SOCKET;
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return LRX_PATH_DEVICE;
    return 0;
}

std::string ResolveLinks(const std::string& path) {
    std::string current = path;
    // The system gives up on longer chains too; the open then says why.
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        char target[4096];
        const ssize_t length = readlink(current.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target) return current;
        std::string next(target, static_cast<std::size_t>(length));
        // A relative target is relative to the link's own folder.
        if (next[0] != '/') {
            const std::size_t slash = current.rfind('/');
            next =
                (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) + next;
        }
        current = next;
    }
    return current;
}

#endif

const char* NonFileText(int kind) {
    switch (kind) {
        case LRX_PATH_FOLDER:
            return "a folder";
        case LRX_PATH_FIFO:
            return "a FIFO";
        case LRX_PATH_SOCKET:
            return "a socket";
        case LRX_PATH_DEVICE:
            return "a device";
        default:
            return nullptr;
    }
}

}  // namespace lrx
