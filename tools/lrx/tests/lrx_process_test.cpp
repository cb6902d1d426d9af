// lrx run as a user runs it: killed at random moments, stopped by Ctrl+C,
// racing another lrx, and failing for the reasons users meet. Linux only
// (fork, signals, a private mount for a full disk).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "interrupt.h"
#include "lrxpack.h"
#include "sample_replays.h"
#include "temp_file.h"
#include "test_files.h"

namespace lrx::test {
namespace {

namespace fs = std::filesystem;

const std::string kLrx = LRX_TOOL_PATH;

// Runs lrx with stdin from /dev/null and its output into files of the
// scratch folder; fullDisk first mounts a 4 KiB folder "small" there.
pid_t Spawn(const std::vector<std::string>& args, const ScratchDir& dir, bool fullDisk = false) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv{const_cast<char*>(kLrx.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (fullDisk && (unshare(CLONE_NEWNS) != 0 ||
                         mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                         mount("tmpfs", (dir / "small").c_str(), "tmpfs", 0, "size=4k") != 0)) {
            _exit(126);
        }
        freopen("/dev/null", "r", stdin);
        freopen((dir / "stdout").c_str(), "w", stdout);
        freopen((dir / "stderr").c_str(), "w", stderr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

int Wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunLrx(const std::vector<std::string>& args, const ScratchDir& dir, bool fullDisk = false) {
    return Wait(Spawn(args, dir, fullDisk));
}

std::string Text(const std::string& path) {
    const Bytes bytes = fs::exists(path) ? ReadFile(path) : Bytes{};
    return std::string(bytes.begin(), bytes.end());
}

int TemporaryFiles(const ScratchDir& dir, bool remove) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        if (entry.path().filename().string().rfind(".lrx-", 0) != 0) continue;
        ++count;
        if (remove) fs::remove(entry.path());
    }
    return count;
}

TEST(LrxProcess, KilledAddsAndDeletesLeaveTheOldOrANewArchive) {
    ScratchDir dir;
    const std::string archive = dir / "big.lrx", extra = dir / "extra.rpl",
                      extra2 = dir / "extra2.rpl";
    std::vector<std::string> add{"-q", "add", archive};
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        add.push_back(dir / ("r" + std::to_string(seed) + ".rpl"));
        WriteFile(add.back(), SampleReplay(seed, 12000, 20));
    }
    ASSERT_EQ(RunLrx(add, dir), 0);
    WriteFile(extra, SampleReplay(99, 12000, 20));
    WriteFile(extra2, SampleReplay(98, 12000, 20));
    std::mt19937 random(12345);
#ifdef __SANITIZE_ADDRESS__
    const int rounds = 6;  // each round runs lrx three times, slow under the sanitizers
#else
    const int rounds = 24;
#endif
    for (int round = 0; round < rounds; ++round) {
        const Bytes before = ReadFile(archive);
        const std::vector<std::string> args =
            round % 2 == 0
                ? std::vector<std::string>{"-q", "add", "-j", "2", archive, extra, extra2}
                : std::vector<std::string>{"delete", archive, "extra.rpl", "extra2.rpl"};
        const pid_t pid = Spawn(args, dir);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
        kill(pid, SIGKILL);
        Wait(pid);
        if (ReadFile(archive) != before) {  // the complete new one: both or neither extra
            EXPECT_EQ(RunLrx({"test", archive}, dir), 0) << round;
            const std::string listed = (RunLrx({"list", archive}, dir), Text(dir / "stdout"));
            EXPECT_EQ(listed.find("extra.rpl") == std::string::npos,
                      listed.find("extra2.rpl") == std::string::npos)
                << round;
        }
        RunLrx(args, dir);  // the archive in a known state for the next round
        // Only SIGKILL leaves any: the new archive's and the encoders' four.
        EXPECT_LE(TemporaryFiles(dir, true), 5) << "round " << round;
    }
}

// Signals of one kind do not queue, so the two presses are raised inside.
TEST(LrxProcess, SecondCtrlCRemovesTheTemporaryFile) {
    ScratchDir dir;
    const pid_t pid = fork();
    if (pid == 0) {
        cli::InstallInterruptHandler();
        TempFileGuard inProgress(MakeTempName(dir / "a.lrx"));
        raise(SIGINT);
        raise(SIGINT);
        _exit(0);
    }
    EXPECT_EQ(Wait(pid), 130);
    EXPECT_EQ(TemporaryFiles(dir, false), 0);
}

int LockFolder(const std::string& folder) {  // as another lrx would hold it
    fs::create_directories(folder);
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    EXPECT_EQ(flock(fd, LOCK_EX), 0);
    return fd;
}

TEST(LrxProcess, ChangesToOneArchiveTakeTurns) {
    ScratchDir dir;
    const std::string archive = dir / "a.lrx";
    WriteFile(dir / "r.rpl", SampleReplay(1, 50));
    const int lock = LockFolder(dir.path());
    const pid_t waiting = Spawn({"add", archive, dir / "r.rpl"}, dir);
    const std::string message = archive + ": waiting for another lrx";
    for (int i = 0; i < 1000 && Text(dir / "stderr").find(message) == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_NE(Text(dir / "stderr").find(message), std::string::npos);
    EXPECT_FALSE(fs::exists(archive));
    close(lock);
    EXPECT_EQ(Wait(waiting), 0);
    EXPECT_TRUE(fs::exists(archive));
}

// Each message names the file it is about and the reason.
TEST(LrxProcess, MessagesNameTheFileAndTheReason) {
    ScratchDir dir;
    const std::string a = dir / "a.lrx", r = dir / "r.rpl", out = dir / "out", none = dir / "x.lrx",
                      folder = dir / "folder.lrx", v99 = dir / "v99.lrx", bad = dir / "bad.rpl",
                      small = dir / "small/a.lrx", locked = dir / "locked/a.lrx";
    WriteFile(r, SampleReplay(1, 300));
    ASSERT_EQ(RunLrx({"add", a, r}, dir), 0);
    Bytes bytes = ReadFile(a);
    bytes[0] = 99;
    WriteFile(v99, bytes);
    bytes = SampleReplay(1, 50);
    bytes[16 + 32 + 30] = 'z';  // a byte after the first driver name's end
    WriteFile(bad, bytes);
    for (const std::string& p : {folder, dir / "small", out}) fs::create_directories(p);
    WriteFile(dir / "out/r.rpl", {1});
    const int lock = LockFolder(dir / "locked");
    const std::string noFile = "No such file or directory";
    const struct {
        std::vector<std::string> args;
        int status;
        std::string file, reason;
    } cases[] = {
        {{"add", a, r, dir / "race2.rpl", r},
         21,
         dir / "race2.rpl",
         "cannot open replay: " + noFile},
        {{"add", "-j", "2", a, r, r}, 0, "warning: " + r, "named again later in the list"},
        {{"list", none}, 15, none, "cannot open archive: " + noFile},
        {{"extract", none}, 17, none, "cannot open archive: " + noFile},
        {{"list", folder}, 14, folder, "is a folder, not an archive"},
        {{"add", folder, r}, 14, folder, "is a folder, not an archive"},
        {{"test", v99}, 16, v99, "version mismatch: the archive is version 99, lrx reads 100"},
        {{"add", small, r}, 18, small, "cannot write the new archive: No space left on device"},
        {{"add", "-j", "2", small, r, bad},
         18,
         small,
         "cannot write the new archive: No space left on device"},
        {{"delete", a, "ghost.rpl"}, 65, a, "no entry named ghost.rpl"},
        {{"extract", "-c", a, "ghost.rpl"}, 65, a, "no entry named ghost.rpl"},
        {{"extract", "-d", out, a}, 0, out, "1 existing file not overwritten: no terminal to ask"},
        {{"add", "--no-wait", locked, r}, 75, locked, "another lrx is changing this archive"},
        {{"add", "--move", a, bad},
         0,
         "warning: " + bad,
         "extraction will not give back the same bytes"},
    };
    for (const auto& c : cases) {
        const int status = RunLrx(c.args, dir, c.file == small);
        if (status == 126) continue;  // no private mount without root
        EXPECT_EQ(status, c.status) << c.reason;
        EXPECT_NE(Text(dir / "stderr").find("lrx: " + c.file + ": " + c.reason), std::string::npos)
            << Text(dir / "stderr");
    }
    close(lock);
    EXPECT_EQ(ReadFile(dir / "out/r.rpl"), Bytes{1});
    EXPECT_TRUE(fs::exists(bad));  // --move kept it
}

}  // namespace
}  // namespace lrx::test
