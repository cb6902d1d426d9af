// Temporary files beside their target, and the atomic replacement that puts a
// finished file in the target's place with the permissions the target had.
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
// returns its path; empty when none could be made. Only its owner may read it
// until it replaces its target.
std::string MakeTempName(const std::string& siblingPath);

// Whether anything (a file, a folder) exists under path, readable or not.
bool PathExists(const std::string& path);

// Whether an existing file may be written as an ordinary open for writing
// would allow: its mode on Linux, its read-only attribute on Windows.
bool IsWritableFile(const std::string& path);

// Flushes an open output stream to the disk and closes it; false when any of
// that failed (the data may not be complete).
bool CloseDurably(FileStream& stream);

// Renames source over target in one step; the target is either the old file
// or the new one, never missing. The new file takes the old one's mode (and,
// where allowed, its owner and group), or for a new target the mode an
// ordinary create gives. A read-only target is refused. False leaves both as
// they were.
// With syncFolder false the caller syncs the folder itself (SyncFolderOf), once
// for many renames.
bool ReplaceFileAtomically(const std::string& source, const std::string& target,
                           bool syncFolder = true);

// Puts source under target's name where nothing has that name yet, in one
// step: a file that appeared there meanwhile is never replaced. The file gets
// the mode an ordinary create gives. False leaves both as they were; errno is
// EEXIST when something has the name.
bool MoveToNewName(const std::string& source, const std::string& target);

// Makes the renames in the folder of path durable; nothing on Windows, where
// each rename is written through.
void SyncFolderOf(const std::string& path);

// Asks the system to start writing an open stream's data to the disk without
// waiting, so the syncs that follow for many files overlap. False when the
// stream could not be flushed.
bool StartWriteback(FileStream& stream);

// One of the temporary files being written right now, or null.
const char* TempFileInProgress();

// Removes every temporary file being written right now. Safe to call from a
// signal handler: a tool that ends on a second interrupt calls it so no
// half-written file stays behind.
void RemoveTempFilesInProgress();

// Removes its file when it goes out of scope, unless Keep() was called. While
// it holds a file, RemoveTempFilesInProgress() removes it (up to 64 at once).
class TempFileGuard {
  public:
    explicit TempFileGuard(std::string path);
    ~TempFileGuard();
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;
    TempFileGuard(TempFileGuard&& other) noexcept;
    TempFileGuard& operator=(TempFileGuard&& other) noexcept;  // removes its own file first

    const std::string& path() const { return path_; }
    void Keep();

  private:
    std::string path_;
    int slot_ = -1;
};

}  // namespace lrx
