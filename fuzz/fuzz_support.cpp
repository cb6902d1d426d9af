#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
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

}  // namespace lrx::fuzz
