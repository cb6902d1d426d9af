// Scratch folders, byte-exact files and an ordinary user for tests.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace lrx::test {

using Bytes = std::vector<unsigned char>;

// A fresh, empty folder removed again when the object goes.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Full path of a file in the folder, as the engine takes it.
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);

void AppendU32(Bytes& bytes, uint32_t value);
void AppendU16(Bytes& bytes, uint16_t value);

// The 12-byte header of an archive of the given version.
Bytes ArchiveHeader(int32_t version = 100);
// A 32-byte record with only name and sizes set.
Bytes FileInfoBytes(const std::string& name, int32_t rawSize, int32_t packedSize);

// The local date and time to the minute (year, month, day, hour, minute):
// archives made across a change of it differ in their entries' stamps.
std::vector<int> LocalStamp();

// Ends the test program with a message when it is still running at the
// limit: a hang fails the run instead of stopping it.
class Watchdog {
  public:
    Watchdog(std::chrono::seconds limit, std::string what);
    ~Watchdog();

  private:
    std::promise<void> finished_;
    std::thread thread_;
};

// Runs work as an ordinary user, for whom permissions hold: on Linux in a
// child process, as nobody when the tests run as root (folder is handed to
// nobody first), with umask 022. Returns what work returned.
int AsOrdinaryUser(const std::filesystem::path& folder, const std::function<int()>& work);

// Inside such work: the result is the line of the first failed check.
#define LRX_CHECK(condition) \
    if (!(condition)) return __LINE__

}  // namespace lrx::test
