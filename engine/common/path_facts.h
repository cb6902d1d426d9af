// What the system says about a path without opening it (opening a FIFO
// blocks until a writer comes), and where a chain of symbolic links ends.
#pragma once

#include <cstdint>
#include <string>

namespace lrx {

// Other: a FIFO, socket or device, nothing a replay or archive can be.
enum class PathKind { Missing, File, Folder, Link, Other };

struct PathFacts {
    PathKind kind = PathKind::Missing;
    int64_t size = 0;
    int64_t names = 1;  // hard links to the file, counting this one
};

// With followLinks false a symbolic link is reported as a Link.
PathFacts LookAt(const std::string& path, bool followLinks);

// LRX_PATH_FOLDER, _FIFO, _SOCKET or _DEVICE (lrxpack_api.h) for what is
// there but is no file (or where links lead, with followLinks); 0 for a
// file, a link not followed, or nothing.
int NonFileAt(const std::string& path, bool followLinks);
// "a folder", "a FIFO", "a socket" or "a device"; null for anything else.
const char* NonFileText(int kind);
// The same as text.
inline const char* NonFileKind(const std::string& path, bool followLinks) {
    return NonFileText(NonFileAt(path, followLinks));
}

// The path that symbolic links starting at path lead to, so a rename can
// replace the file and leave the links as they are. A link to a missing file
// leads to that file's path; path itself when it is no link.
std::string ResolveLinks(const std::string& path);

}  // namespace lrx
