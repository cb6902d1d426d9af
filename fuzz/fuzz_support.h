// What the fuzz targets share: the check that turns a broken promise into a
// crash the fuzzer keeps, and C streams over memory, since the codec reads
// and writes FILE* streams.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
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

// A read-only stream over bytes the caller keeps alive.
class MemoryInput {
  public:
    MemoryInput(const unsigned char* data, std::size_t size);
    ~MemoryInput();
    MemoryInput(const MemoryInput&) = delete;
    MemoryInput& operator=(const MemoryInput&) = delete;
    std::FILE* get() const { return file_; }

  private:
    std::FILE* file_;
};

// A write-only stream that collects what is written.
class MemoryOutput {
  public:
    MemoryOutput();
    ~MemoryOutput();
    MemoryOutput(const MemoryOutput&) = delete;
    MemoryOutput& operator=(const MemoryOutput&) = delete;
    std::FILE* get() const { return file_; }
    // Everything written so far.
    Bytes Contents();

  private:
    std::FILE* file_;
    char* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace lrx::fuzz
