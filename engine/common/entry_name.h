// Entry names: how a replay path becomes the name stored in the archive, and
// which stored names are safe to write into a destination folder.
#pragma once

#include <string>
#include <vector>

namespace lrx {

struct SplitPath {
    std::string drive;      // "C:" on Windows, or empty
    std::string directory;  // up to and including the last separator
    std::string name;       // file name without extension
    std::string extension;  // from the last dot of the file name, or empty
};

// Splits a path as this system reads it: on Windows after a drive colon, at
// backslashes and slashes; elsewhere at slashes only, so "x:race.rpl" or a
// backslash is part of the name there (and the name rule refuses it).
SplitPath SplitFilePath(const std::string& path);

// File name plus extension, ".rpl" when the path has none.
std::string EntryNameOf(const std::string& replayPath);

// The path the replay is read from: ".rpl" appended when it has no extension.
std::string ReplayFilePath(const std::string& replayPath);

// ASCII-only lower case, as stored in records.
std::string LowerAscii(std::string text);

// Compares ignoring the case of A to Z only.
bool SameEntryName(const char* a, const char* b);

// For each replay path, whether a later one in the list gives the same entry
// name and so takes its place in an add.
std::vector<bool> SupersededReplayPaths(const std::vector<std::string>& replayPaths);

// A name that names a plain file in a folder: not empty, not "." or "..", no
// separator of either kind, no colon, no control characters; on Windows also
// no device name and no trailing dot or space. Add refuses what extraction
// could not write back.
bool IsSafeEntryName(const char* name);

}  // namespace lrx
