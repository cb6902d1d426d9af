// Path texts of the patch applier. Patch files and the registry speak in
// Windows paths (drive letters, backslashes); these rules are plain text work
// so they behave the same on every build.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kqp {

// Target paths live in a buffer of this many bytes, terminating zero included.
inline constexpr std::size_t kTargetPathBufferSize = 262;

// The last component of a path: what follows the last backslash, slash or
// drive colon.
std::string FileNamePart(std::string_view path);

// The folder a registry value names, taking the value as a file's path: the
// drive (letter and colon) if any, then everything up to and including the
// last backslash or slash. "C:\GAMES\X\RUN.EXE" gives "C:\GAMES\X\",
// "C:\GAMES\X" gives "C:\GAMES\", "RUN.EXE" gives "".
std::string DirectoryPart(std::string_view path);

// Whether a record's name stays inside the directory it is appended to: not
// empty, not absolute, no drive or stream colon, no component that Windows
// would turn into "." or ".." or into nothing (trailing dots and spaces are
// dropped there), no device name.
bool IsSafeRecordName(std::string_view name);

// The directory (one trailing backslash dropped), one backslash, the name.
// None when the result does not fit kTargetPathBufferSize.
std::optional<std::string> TargetPath(std::string_view directory, std::string_view name);

}  // namespace kqp
