#include "fuzz_support.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace lrx::fuzz {

void Fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

std::string MakeScratchFolder(const char* prefix) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path tmp = fs::is_directory("/dev/shm", error) && access("/dev/shm", W_OK) == 0
                             ? fs::path("/dev/shm")
                             : fs::temp_directory_path();
    std::string pattern = (tmp / (std::string(prefix) + "-XXXXXX")).string();
    Check(mkdtemp(pattern.data()) != nullptr, "cannot make a scratch folder");
    return pattern;
}

MemoryInput::MemoryInput(const unsigned char* data, std::size_t size)
    // fmemopen refuses a buffer of length 0; an empty file reads the same.
    : file_(size > 0 ? fmemopen(const_cast<unsigned char*>(data), size, "rb")
                     : std::fopen("/dev/null", "rb")) {
    Check(file_ != nullptr, "cannot open a memory stream");
}

MemoryInput::~MemoryInput() {
    std::fclose(file_);
}

MemoryOutput::MemoryOutput() : file_(open_memstream(&data_, &size_)) {
    Check(file_ != nullptr, "cannot open a memory stream");
}

MemoryOutput::~MemoryOutput() {
    std::fclose(file_);
    std::free(data_);
}

Bytes MemoryOutput::Contents() {
    Check(std::fflush(file_) == 0, "cannot flush a memory stream");
    return Bytes(data_, data_ + size_);
}

}  // namespace lrx::fuzz
