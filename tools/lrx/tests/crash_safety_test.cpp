// lrx add and lrx delete killed at random moments: the archive is always the
// old one or a complete new one. Linux only (fork, SIGKILL).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "lrxpack.h"
#include "sample_replays.h"
#include "test_files.h"

namespace lrx::test {
namespace {

namespace fs = std::filesystem;

pid_t Spawn(const std::vector<std::string>& args) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        freopen("/dev/null", "w", stdout);
        freopen("/dev/null", "w", stderr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

int RunToEnd(const std::vector<std::string>& args) {
    int status = 0;
    waitpid(Spawn(args), &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Every entry decodes completely.
bool ArchiveIsComplete(const std::string& archive, const std::string& scratch) {
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    int mode = 2;
    char* none[] = {nullptr};
    const std::string folder = scratch + "/";
    return MFqc(const_cast<char*>(archive.c_str()), const_cast<char*>(folder.c_str()), mode,
                nullptr, true, 0, none) == LRX_OK;
}

TEST(CrashSafety, KilledAddsAndDeletesLeaveTheOldOrANewArchive) {
    ScratchDir dir;
    const std::string lrx = LRX_TOOL_PATH;
    const std::string archive = dir / "big.lrx";
    std::vector<std::string> replays;
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        replays.push_back(dir / ("r" + std::to_string(seed) + ".rpl"));
        WriteFile(replays.back(), SampleReplay(seed, 12000, 20));
        ASSERT_EQ(RunToEnd({lrx, "--quiet", "add", archive, replays.back()}), 0);
    }
    ASSERT_GT(fs::file_size(archive), 1'000'000u);
    const std::string extra = dir / "extra.rpl";
    WriteFile(extra, SampleReplay(99, 12000, 20));

    std::mt19937 random(12345);
    int killed = 0;
    for (int round = 0; round < 24; ++round) {
        const Bytes before = ReadFile(archive);
        const bool adding = round % 2 == 0;
        const pid_t pid = adding ? Spawn({lrx, "--quiet", "add", archive, extra})
                                 : Spawn({lrx, "delete", archive, "extra.rpl"});
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
        killed += kill(pid, SIGKILL) == 0;
        int status = 0;
        waitpid(pid, &status, 0);

        const Bytes after = ReadFile(archive);
        if (after != before) {
            EXPECT_TRUE(ArchiveIsComplete(archive, dir / "check")) << "round " << round;
        }
        // Bring the archive to a known state for the next round.
        if (adding)
            RunToEnd({lrx, "--quiet", "add", archive, extra});
        else
            RunToEnd({lrx, "delete", archive, "extra.rpl"});
        // The killed run may leave its temporary file (lrx leaves it); the
        // run that completed leaves none.
        int temporary = 0;
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(".lrx-", 0) == 0) {
                ++temporary;
                fs::remove(entry.path());
            }
        }
        EXPECT_LE(temporary, 1) << "round " << round;
    }
    EXPECT_GT(killed, 0);
    EXPECT_TRUE(ArchiveIsComplete(archive, dir / "check"));
}

}  // namespace
}  // namespace lrx::test
