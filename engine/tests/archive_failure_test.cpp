// Add when the disk is full: 18, the archive untouched, no temporary file
// left. Linux only (fork, rlimit).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "lrxpack.h"
#include "sample_replays.h"
#include "test_files.h"

namespace lrx::test {
namespace {

namespace fs = std::filesystem;

// Runs work in a child whose files may not grow past limit bytes.
int WithFileSizeLimit(rlim_t limit, const std::function<int()>& work) {
    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit rl{limit, limit};
        setrlimit(RLIMIT_FSIZE, &rl);
        _exit(work());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int CountFiles(const fs::path& folder) {
    int count = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++count;
    return count;
}

TEST(ArchiveFailures, DiskFullDuringAddLeavesArchiveUntouched) {
    ScratchDir dir;
    const std::string archive = dir / "a.lrx";
    const std::string small = dir / "small.rpl";
    const std::string large = dir / "large.rpl";
    WriteFile(small, SampleReplay(1, 2000));
    WriteFile(large, SampleReplay(2, 4000));
    ASSERT_EQ(
        sJTU(const_cast<char*>(archive.c_str()), const_cast<char*>(small.c_str()), nullptr, false),
        0);
    const Bytes before = ReadFile(archive);

    // The copy of the kept entries runs out of room.
    const int result = WithFileSizeLimit(before.size() / 2, [&] {
        return sJTU(const_cast<char*>(archive.c_str()), const_cast<char*>(large.c_str()), nullptr,
                    false);
    });
    EXPECT_EQ(result, LRX_CREATING_TEMP_FILE);
    EXPECT_EQ(ReadFile(archive), before);
    EXPECT_EQ(CountFiles(dir.path()), 3);

    // A new archive that runs out of room while encoding fails with the
    // codec's writing code and leaves nothing behind either.
    const std::string fresh = dir / "fresh.lrx";
    EXPECT_EQ(WithFileSizeLimit(4096,
                                [&] {
                                    return sJTU(const_cast<char*>(fresh.c_str()),
                                                const_cast<char*>(large.c_str()), nullptr, false);
                                }),
              LRX_WRITING_POSITION_DATA);
    EXPECT_FALSE(fs::exists(fresh));
    EXPECT_EQ(CountFiles(dir.path()), 3);
}

}  // namespace
}  // namespace lrx::test
