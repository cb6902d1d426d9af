// Temporary files beside their target, and the atomic replacement that puts a
// finished file in the target's place.
#pragma once

#include <string>

#include "file_stream.h"

namespace lrx {

#ifdef _WIN32
inline constexpr std::size_t kMaxPathLength = 259;  // MAX_PATH less the terminator
#else
inline constexpr std::size_t kMaxPathLength = 4095;
#endif

// Creates a new, empty, uniquely named file in the folder of siblingPath and
// returns its path; empty when none could be made.
std::string MakeTempName(const std::string& siblingPath);

// The temporary file this process is writing now, or "" when there is none:
// a signal handler may remove it before the process ends. Reading it is
// async-signal-safe (a fixed buffer, published by a flag).
const char* CurrentTempFilePath();

// Flushes an open output stream to the disk and closes it; false when any of
// that failed (the data may not be complete).
bool CloseDurably(FileStream& stream);

// Renames source over target in one step; the target is either the old file
// or the new one, never missing. False leaves both as they were.
bool ReplaceFileAtomically(const std::string& source, const std::string& target);

// Removes its file when it goes out of scope, unless Keep() was called.
class TempFileGuard {
  public:
    explicit TempFileGuard(std::string path) : path_(std::move(path)) {}
    ~TempFileGuard();
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;

    const std::string& path() const { return path_; }
    void Keep();

  private:
    std::string path_;
};

}  // namespace lrx
