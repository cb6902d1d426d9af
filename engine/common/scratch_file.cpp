#include "scratch_file.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace lrx {

std::unique_ptr<std::FILE, FileCloser> OpenScratchFile() {
#ifdef _WIN32
    // tmpfile wants to write in the drive's root, which a user may not.
    char folder[MAX_PATH], path[MAX_PATH];
    const DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder || GetTempFileNameA(folder, "lrx", 0, path) == 0) {
        return nullptr;
    }
    return std::unique_ptr<std::FILE, FileCloser>(std::fopen(path, "w+bD"));
#else
    return std::unique_ptr<std::FILE, FileCloser>(std::tmpfile());
#endif
}

}  // namespace lrx
