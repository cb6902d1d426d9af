#include "test_files.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <utility>

#ifdef _WIN32
#include <process.h>
#else
#include <grp.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace lrx::test {

ScratchDir::ScratchDir() {
    static std::atomic<int> counter{0};
#ifdef _WIN32
    const int pid = _getpid();
#else
    const int pid = getpid();
#endif
    path_ = std::filesystem::temp_directory_path() /
            ("lrx-test-" + std::to_string(pid) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

Watchdog::Watchdog(std::chrono::seconds limit, std::string what)
    : thread_([limit, what = std::move(what), finished = finished_.get_future()] {
          if (finished.wait_for(limit) == std::future_status::ready) return;
          std::fprintf(stderr, "%s: still running after %lld s, stopped\n", what.c_str(),
                       static_cast<long long>(limit.count()));
          std::fflush(stderr);
          std::_Exit(EXIT_FAILURE);
      }) {}

Watchdog::~Watchdog() {
    finished_.set_value();
    thread_.join();
}

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void AppendU32(Bytes& bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void AppendU16(Bytes& bytes, uint16_t value) {
    bytes.push_back(static_cast<unsigned char>(value));
    bytes.push_back(static_cast<unsigned char>(value >> 8));
}

Bytes ArchiveHeader(int32_t version) {
    Bytes bytes;
    for (int32_t field : {version, -100, 12}) AppendU32(bytes, static_cast<uint32_t>(field));
    return bytes;
}

Bytes FileInfoBytes(const std::string& name, int32_t rawSize, int32_t packedSize) {
    Bytes bytes(name.begin(),
                name.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(name.size(), 14)));
    bytes.resize(14, 0);
    AppendU32(bytes, static_cast<uint32_t>(rawSize));
    AppendU32(bytes, static_cast<uint32_t>(packedSize));
    bytes.resize(32, 0);
    return bytes;
}

int AsOrdinaryUser(const std::filesystem::path& folder, const std::function<int()>& work) {
#ifdef _WIN32
    (void)folder;
    return work();
#else
    constexpr uid_t kNobody = 65534;
    const bool root = geteuid() == 0;
    if (root) {
        if (chown(folder.c_str(), kNobody, kNobody) != 0) return -1;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
            if (lchown(entry.path().c_str(), kNobody, kNobody) != 0) return -1;
        }
    }
    // The answer comes back through shared memory: exit codes stop at 255.
    void* shared =
        mmap(nullptr, sizeof(int), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED) return -1;
    int* answer = static_cast<int*>(shared);
    *answer = -2;  // the child died before it answered
    const pid_t pid = fork();
    if (pid == 0) {
        if (root && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
            _exit(1);
        }
        umask(022);
        *answer = work();
        _exit(0);
    }
    waitpid(pid, nullptr, 0);
    const int result = *answer;
    munmap(shared, sizeof(int));
    return result;
#endif
}

std::vector<int> LocalStamp() {
    const std::time_t now = std::time(nullptr);
    const std::tm* t = std::localtime(&now);
    return {t->tm_year + 1900, t->tm_mon + 1, t->tm_mday, t->tm_hour, t->tm_min};
}

}  // namespace lrx::test
