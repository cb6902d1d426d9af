#include "fuzz_support.h"

#include <cstdlib>

namespace lrx::fuzz {

void Fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
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
