// What the fuzz targets share: the check that turns a broken promise into a
// crash the fuzzer keeps, and scratch folders for the archive target.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lrx::fuzz {

using Bytes = std::vector<unsigned char>;

// Prints what went wrong and aborts, so libFuzzer (or the corpus replay)
// reports the input.
[[noreturn]] void Fail(const char* what);

inline void Check(bool holds, const char* what) {
    if (!holds) Fail(what);
}

// Makes a new folder named PREFIX-XXXXXX for one run's files, in memory
// (/dev/shm) where it can be written: the engine flushes every file to disk,
// which a memory file system keeps cheap.
std::string MakeScratchFolder(const char* prefix);

}  // namespace lrx::fuzz
