// An owned C stream: closed when the owner goes, so every path that opens a
// file also closes it.
#pragma once

#include <cstdio>
#include <memory>

namespace kqp {

struct CFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

using CFile = std::unique_ptr<std::FILE, CFileCloser>;

inline CFile OpenCFile(const char* path, const char* mode) {
    return CFile(std::fopen(path, mode));
}

// Closes the stream now and says whether its last buffered bytes reached the
// file; an empty handle closes trivially.
inline bool CloseCFile(CFile& file) {
    if (!file) return true;
    return std::fclose(file.release()) == 0;
}

}  // namespace kqp
