// lrx run as a user runs it: killed at random moments, stopped by Ctrl+C,
// racing another lrx, and failing for the reasons users meet. Linux only
// (fork, signals, a private mount for a full disk).
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
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

enum class As { Caller, FullDisk, OrdinaryUser };

// Runs lrx in the scratch folder with stdin from /dev/null and its output
// into files there, or stdin and stderr on a terminal. FullDisk first mounts
// a 4 KiB folder "small" there; OrdinaryUser runs it as nobody when the
// tests run as root.
pid_t Spawn(const std::vector<std::string>& args, const ScratchDir& dir, As as = As::Caller,
            int terminal = -1) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv{const_cast<char*>(kLrx.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (as == As::FullDisk &&
            (unshare(CLONE_NEWNS) != 0 ||
             mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
             mount("tmpfs", (dir / "small").c_str(), "tmpfs", 0, "size=4k") != 0)) {
            _exit(126);
        }
        freopen("/dev/null", "r", stdin);
        freopen((dir / "stdout").c_str(), "w", stdout);
        freopen((dir / "stderr").c_str(), "w", stderr);
        if (terminal >= 0 && (dup2(terminal, 0) < 0 || dup2(terminal, 2) < 0)) _exit(125);
        if (chdir(dir.path().c_str()) != 0) _exit(124);
        constexpr uid_t kNobody = 65534;
        if (as == As::OrdinaryUser && geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
            _exit(126);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// The exit status; -1 for a signal, and -2 for an lrx still running after a
// minute, which is then killed: a test that would hang fails instead.
int Wait(pid_t pid) {
    int status = 0;
    for (int waited = 0; waitpid(pid, &status, WNOHANG) == 0; ++waited) {
        if (waited == 6000) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -2;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool StillRunning(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == 0;
}

int RunLrx(const std::vector<std::string>& args, const ScratchDir& dir, As as = As::Caller) {
    return Wait(Spawn(args, dir, as));
}

std::string Text(const std::string& path) {
    const Bytes bytes = fs::exists(path) ? ReadFile(path) : Bytes{};
    return std::string(bytes.begin(), bytes.end());
}

int TemporaryFiles(const fs::path& folder, bool remove) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
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
        EXPECT_LE(TemporaryFiles(dir.path(), true), 5) << "round " << round;
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
    EXPECT_EQ(TemporaryFiles(dir.path(), false), 0);
}

bool Running(pid_t pid) {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == 0;
}

// A pseudo-terminal for lrx's stdin and stderr; stopped, as Ctrl+S stops
// one, it holds lrx at its first progress line.
struct Terminal {
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    int slave = -1;
    explicit Terminal(bool stopped) {
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return;
        slave = open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (stopped) tcflow(slave, TCOOFF);
    }
    ~Terminal() {
        close(slave);
        close(master);
    }
};

// SIGTERM, SIGHUP and a single Ctrl+C stop add, extract and delete cleanly:
// nothing left behind, and the status shells expect, 128 plus the signal.
// lrx is held with its temporary files made, by a stopped terminal or by an
// overwrite question nobody answers, until the signal comes.
TEST(LrxProcess, SignalsStopCleanlyWithTheConventionalStatus) {
    ScratchDir dir;
    const std::string archive = dir / "a.lrx", fresh = dir / "b.lrx", out = dir / "out";
    std::vector<std::string> replays;
    for (const char* name : {"r1.rpl", "r2.rpl", "r3.rpl"}) {
        replays.push_back(dir / name);
        WriteFile(replays.back(), SampleReplay(static_cast<uint32_t>(replays.size()), 2000));
    }
    ASSERT_EQ(RunLrx({"-q", "add", archive, replays[0], replays[1], replays[2]}, dir), 0);
    fs::create_directories(out);
    WriteFile(out + "/r2.rpl", {1, 2, 3});  // asked about once r1's file is begun
    const Bytes before = ReadFile(archive);
    const struct {
        std::vector<std::string> args;
        int signal;
        fs::path folder;  // of its temporary files
        bool stopped;     // the terminal; else the question holds lrx
    } cases[] = {
        {{"add", "-j", "2", fresh, replays[0], replays[1], replays[2]}, SIGTERM, dir.path(), true},
        {{"extract", "-j", "2", "-d", out, archive}, SIGHUP, out, false},
        {{"delete", archive, "r1.rpl"}, SIGINT, dir.path(), true},
    };
    for (const auto& c : cases) {
        const Terminal terminal(c.stopped);
        const pid_t pid = Spawn(c.args, dir, As::Caller, terminal.slave);
        for (int i = 0; i < 2000 && TemporaryFiles(c.folder, false) == 0 && Running(pid); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        kill(pid, c.signal);
        // Let go, in case the signal came before lrx began to wait.
        tcflow(terminal.slave, TCOON);
        EXPECT_EQ(write(terminal.master, "n\n", 2), 2);
        EXPECT_EQ(Wait(pid), 128 + c.signal) << c.args[0];
        EXPECT_EQ(TemporaryFiles(c.folder, true), 0) << c.args[0];
    }
    EXPECT_FALSE(fs::exists(fresh));
    EXPECT_EQ(ReadFile(archive), before);
    EXPECT_EQ(ReadFile(out + "/r2.rpl"), (Bytes{1, 2, 3}));
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

// Gives folder and everything in it to nobody, who runs lrx As::OrdinaryUser.
void GiveToNobody(const fs::path& folder) {
    if (geteuid() != 0) return;
    ASSERT_EQ(lchown(folder.c_str(), 65534, 65534), 0);
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        ASSERT_EQ(lchown(entry.path().c_str(), 65534, 65534), 0);
    }
}

int LockArchiveFile(const std::string& archive) {  // as another lrx holds it
    const int fd = open(archive.c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_EQ(flock(fd, LOCK_EX), 0);
    return fd;
}

bool AwaitMessage(const ScratchDir& dir, const std::string& message) {
    for (int i = 0; i < 1000 && Text(dir / "stderr").find(message) == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return Text(dir / "stderr").find(message) != std::string::npos;
}

// In a folder lrx may write but not read (a drop box) the folder cannot be
// locked: lrx locks the archive itself, and once it holds that lock makes
// sure the file is the archive still.
TEST(LrxProcess, TurnsAreTakenInAFolderLrxCannotRead) {
    ScratchDir dir;
    const std::string box = dir / "box", archive = dir / "box/a.lrx", fresh = dir / "box/new.lrx",
                      other = dir / "box/other.lrx";
    fs::create_directories(box);
    std::vector<std::string> replays;
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        replays.push_back(dir / ("r" + std::to_string(seed) + ".rpl"));
        WriteFile(replays.back(), SampleReplay(seed, 50));
    }
    auto add = [](const std::string& to, const std::string& replay) {
        return sJTU(const_cast<char*>(to.c_str()), const_cast<char*>(replay.c_str()), nullptr,
                    false);
    };
    ASSERT_EQ(add(archive, replays[0]), 0);
    GiveToNobody(dir.path());
    chmod(box.c_str(), 0300);

    const int held = LockArchiveFile(archive);
    EXPECT_EQ(RunLrx({"add", "--no-wait", archive, replays[1]}, dir, As::OrdinaryUser), 75);
    EXPECT_NE(Text(dir / "stderr").find(archive + ": another lrx is changing this archive"),
              std::string::npos);
    const pid_t waiting = Spawn({"add", archive, replays[1]}, dir, As::OrdinaryUser);
    EXPECT_TRUE(AwaitMessage(dir, archive + ": waiting for another lrx"));
    // The holder puts its new archive in place and holds that one before it
    // lets go of the old file, as its next run would.
    fs::copy_file(archive, other);
    ASSERT_EQ(add(other, replays[2]), 0);
    GiveToNobody(dir.path());
    fs::rename(other, archive);
    const int next = LockArchiveFile(archive);
    close(held);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(StillRunning(waiting));
    close(next);
    EXPECT_EQ(Wait(waiting), 0);
    TFileInfoList* head = nullptr;
    ASSERT_EQ(wG4h(&head, const_cast<char*>(archive.c_str())), 0);
    std::vector<std::string> names;
    for (const TFileInfoList* node = head; node; node = node->next)
        names.push_back(node->info->name);
    AGGa(&head);
    EXPECT_EQ(names, (std::vector<std::string>{"r1.rpl", "r3.rpl", "r2.rpl"}));

    // Nothing there to lock yet: lrx says that it goes on without a lock.
    EXPECT_EQ(RunLrx({"add", fresh, replays[0]}, dir, As::OrdinaryUser), 0);
    EXPECT_NE(Text(dir / "stderr")
                  .find("lrx: " + fresh +
                        ": warning: cannot lock the archive: its folder cannot "
                        "be read (Permission denied) and it does not exist yet; should "
                        "another lrx create it at the same time, the later of the two stops "
                        "and changes nothing"),
              std::string::npos)
        << Text(dir / "stderr");
    chmod(box.c_str(), 0700);

    // Where the folder can be read its lock covers the new archive: nothing
    // to say. --move removes the replay named without its .rpl.
    const std::string plain = dir / "plain.lrx", race = dir / "race";
    fs::copy_file(replays[0], race + ".rpl");
    EXPECT_EQ(RunLrx({"add", "--move", plain, race}, dir), 0);
    EXPECT_EQ(Text(dir / "stderr"), "");
    EXPECT_EQ(Text(dir / "stdout"), "");
    EXPECT_TRUE(fs::exists(plain));
    EXPECT_FALSE(fs::exists(race + ".rpl"));
}

// Bytes the directory walk does not reach (a damaged data start, a cut file)
// are damage, with or without entries, counted apart from the entries.
TEST(LrxProcess, TestReportsBytesThatBelongToNoEntry) {
    ScratchDir dir;
    const std::string a = dir / "a.lrx";
    for (uint32_t seed : {1u, 2u}) {
        WriteFile(dir / ("r" + std::to_string(seed) + ".rpl"), SampleReplay(seed, 50));
    }
    ASSERT_EQ(RunLrx({"add", a, dir / "r1.rpl", dir / "r2.rpl"}, dir), 0);
    const Bytes sound = ReadFile(a);
    TFileInfoList* head = nullptr;
    ASSERT_EQ(wG4h(&head, const_cast<char*>(a.c_str())), 0);
    const int32_t second = head->next->offset;
    AGGa(&head);
    Bytes startsAtSecond = sound;
    for (int i = 0; i < 4; ++i) startsAtSecond[8 + i] = static_cast<unsigned char>(second >> 8 * i);
    const std::string note =
        "OK means an entry decodes cleanly, not that it is unchanged: the archive carries no "
        "checksum.\n";
    const std::string outside = "; the archive is damaged outside its entries.\n";
    const struct {
        Bytes bytes;
        int status;
        std::string report;
    } cases[] = {
        {sound, 0, "r1.rpl        OK\nr2.rpl        OK\n2 entries tested, 0 damaged.\n" + note},
        {ArchiveHeader(), 0, "0 entries tested, 0 damaged.\n" + note},
        {Bytes(sound.begin(), sound.begin() + 43), 66,
         "(archive)     DAMAGED: 31 bytes after the header belong to no entry\n"
         "0 entries tested, 0 damaged" +
             outside + note},
        {startsAtSecond, 66,
         "(archive)     DAMAGED: " + std::to_string(second - 12) +
             " bytes after the header belong to no entry\nr2.rpl        OK\n"
             "1 entry tested, 0 damaged" +
             outside + note},
    };
    for (const auto& c : cases) {
        WriteFile(a, c.bytes);
        EXPECT_EQ(RunLrx({"test", a}, dir), c.status) << c.report;
        EXPECT_EQ(Text(dir / "stdout"), c.report);
    }
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
    for (const std::string& p : {folder, dir / "small", out, dir / "links", dir / "x", dir / "y"}) {
        fs::create_directories(p);
    }
    WriteFile(dir / "out/r.rpl", {1});
    fs::create_symlink(dir / "gone.rpl", dir / "links/r.rpl");
    // Names only "/" separates; one without an extension; a long one in bytes.
    const std::string big = dir / "big.rpl", race = dir / "race",
                      long16 =
                          "\xc3\xa9\xc3\xa9"
                          "\xc3\xa9\xc3\xa9"
                          "\xc3\xa9\xc3\xa9.rpl";
    // Two replays of one name: with --move only the one stored goes.
    const std::string earlier = dir / "x/r.rpl", later = dir / "y/r.rpl";
    for (const std::string& copy : {dir / "x:race.rpl", race, earlier, later}) {
        fs::copy_file(r, copy);
    }
    WriteFile(big, SampleReplay(2, 3000));  // fills the small disk while it is packed
    // An archive with a name holding ESC, one holding r.rpl twice, and one in a pipe.
    const std::string evil = dir / "evil.lrx", twice = dir / "twice.lrx";
    bytes = ReadFile(a);
    Bytes doubled = bytes;
    doubled.insert(doubled.end(), bytes.begin() + 12, bytes.end());
    WriteFile(twice, doubled);
    const std::string escName = "a\x1b[2Jb.rpl";
    std::copy(escName.begin(), escName.end(), bytes.end() - 32);
    WriteFile(evil, bytes);
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    ASSERT_EQ(write(pipeEnds[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(pipeEnds[1]);
    const std::string piped = "/dev/fd/" + std::to_string(pipeEnds[0]);
    const int lock = LockFolder(dir / "locked");
    // Things that are no files, where an archive, a replay or an extracted
    // replay would be: refused at once, never opened (a FIFO would block).
    const std::string fifo = dir / "fifo.lrx", fifoReplay = dir / "fifo.rpl",
                      fifoOut = dir / "fifo-out", folderOut = dir / "folder-out";
    for (const std::string& p : {fifoOut, folderOut + "/r.rpl"}) fs::create_directories(p);
    for (const std::string& p : {fifo, fifoReplay, fifoOut + "/r.rpl"}) {
        ASSERT_EQ(mkfifo(p.c_str(), 0644), 0);
    }
    const std::string notAFile = "a FIFO, not a regular file";
    // Sparse, at the longest length the format addresses.
    const std::string huge = dir / "big.lrx";
    {
        const Bytes header = ArchiveHeader(), record = FileInfoBytes("big.rpl", 1, INT32_MAX - 47);
        std::ofstream out(huge, std::ios::binary);
        out.write(reinterpret_cast<const char*>(header.data()), 12);
        out.seekp(INT32_MAX - 35);
        out.write(reinterpret_cast<const char*>(record.data()), 32);
    }
    // A hard link, and an archive whose data start was damaged: the entry
    // is not found, and a rewrite would lose it.
    const std::string linked = dir / "linked.lrx", gap = dir / "gap.lrx";
    fs::copy_file(a, linked);
    fs::create_hard_link(linked, dir / "linked-too.lrx");
    bytes = ReadFile(a);
    bytes[11] = 0x7F;
    WriteFile(gap, bytes);
    const std::string gapReason =
        "damaged: its entries do not cover it, and rewriting it would lose the bytes no entry "
        "holds; not changed ('lrx test' shows them)";
    const std::string noFile = "No such file or directory";
    const struct {
        std::vector<std::string> args;
        int status;
        std::string file, reason;
        std::string out = "";  // on standard output
    } cases[] = {
        {{"add", a, r, dir / "race2.rpl", r},
         21,
         dir / "race2.rpl",
         "cannot open replay: " + noFile},
        {{"add", "--move", "-j", "2", a, earlier, later},
         0,
         "warning: " + earlier,
         "named again later in the list; the later one is added and this one kept"},
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
        {{"list", fifo}, 15, fifo, "cannot open archive: " + notAFile},
        {{"add", fifo, r}, 14, fifo, "cannot open archive: " + notAFile},
        {{"delete", fifo, "r.rpl"}, 14, fifo, "cannot open archive: " + notAFile},
        {{"test", fifo}, 14, fifo, "cannot open archive: " + notAFile},
        {{"add", a, fifoReplay}, 21, fifoReplay, "cannot open replay: " + notAFile},
        {{"extract", "-d", fifoOut, a},
         19,
         fifoOut + "/r.rpl",
         "cannot create replay: " + notAFile},
        {{"extract", "--overwrite", "always", "-d", folderOut, a},
         19,
         folderOut + "/r.rpl",
         "cannot create replay: a folder, not a regular file"},
        {{"add", "--move", huge, r},
         30,
         huge,
         "would grow past 2 GiB, the most an archive can hold; nothing added"},
        {{"add", linked, r},
         18,
         linked,
         "has other names (hard links), which a new archive in its place would part from it; "
         "not changed"},
        {{"add", gap, r}, 15, gap, gapReason},
        {{"delete", gap, "r.rpl"}, 15, gap, gapReason},
        {{"add", "--move", a, bad},
         0,
         "warning: " + bad,
         "extraction will not give back the same bytes"},
        {{"add", "--strict", a, bad}, 67, bad, "would not come back byte for byte"},
        {{"add", small, big}, 18, small, "cannot write the new archive: No space left on device"},
        {{"add", "--move", a, "x:race.rpl"},
         29,
         "x:race.rpl",
         "the name x:race.rpl is not allowed in an archive"},
        {{"add", a, race},
         21,
         race,
         "cannot open replay: " + race + ".rpl (.rpl is added to a name without one): " + noFile},
        {{"add", a, long16}, 28, long16, "Replay name too long (16 bytes, at most 13)"},
        {{"list", piped},
         15,
         piped,
         "cannot open archive: " + notAFile + "; save it to a file first"},
        {{"extract", "-d", dir / "links", a},
         19,
         dir / "links/r.rpl",
         "cannot create replay: a symbolic link to a missing file is in the way"},
        {{"extract", "-d", dir / "twice", twice},
         0,
         twice,
         "r.rpl is stored more than once; only the first copy was extracted"},
        // Names from an archive reach the terminal quoted.
        {{"extract", "-d", dir / "evil", evil},
         29,
         evil,
         "'a\\033[2Jb.rpl': stored name not allowed as a file name; not extracted",
         "ERROR : Unable to create 'a\\033[2Jb.rpl'"},
        {{"list", evil}, 0, "", "", "\n'a\\033[2Jb.rpl' "},
        {{"test", evil},
         66,
         "",
         "",
         "'a\\033[2Jb.rpl' DAMAGED: its name is not allowed as a file name; extract refuses it"},
    };
    for (const auto& c : cases) {
        const int status = RunLrx(c.args, dir, c.file == small ? As::FullDisk : As::Caller);
        if (status == 126) continue;  // no private mount without root
        EXPECT_EQ(status, c.status) << c.reason;
        const std::string err = Text(dir / "stderr"), out = Text(dir / "stdout");
        if (!c.file.empty()) {
            EXPECT_NE(err.find("lrx: " + c.file + ": " + c.reason), std::string::npos) << err;
        }
        EXPECT_NE(out.find(c.out), std::string::npos) << out;
        EXPECT_EQ((out + err).find('\x1b'), std::string::npos) << c.args[0];
    }
    close(lock);
    close(pipeEnds[0]);
    EXPECT_EQ(ReadFile(dir / "out/r.rpl"), Bytes{1});
    EXPECT_TRUE(fs::exists(bad));  // --move kept it
    EXPECT_TRUE(fs::exists(r));
    EXPECT_EQ(fs::file_size(huge), INT32_MAX - 3u);
    EXPECT_TRUE(fs::is_fifo(fifoOut + "/r.rpl"));
    EXPECT_EQ(ReadFile(gap), bytes);
    EXPECT_EQ(ReadFile(dir / "linked-too.lrx"), ReadFile(linked));
    EXPECT_TRUE(fs::exists(dir / "x:race.rpl"));
    EXPECT_TRUE(fs::exists(earlier));
    EXPECT_FALSE(fs::exists(later));

    // --move stops removing at the first replay it cannot remove, and names
    // the later ones it kept as well.
    const std::string m1 = dir / "ro/m1.rpl", m2 = dir / "ro/m2.rpl";
    fs::create_directories(dir / "ro");
    for (const std::string& m : {m1, m2}) fs::copy_file(r, m);
    fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::owner_exec);
    const int moved = AsOrdinaryUser(dir.path(), [&] {
        return RunLrx({"add", "--move", a, m1, m2}, dir);
    });
    EXPECT_EQ(moved, 20);
    EXPECT_NE(
        Text(dir / "stderr").find("lrx: " + m2 + ": stored, but kept: --move stopped at " + m1),
        std::string::npos)
        << Text(dir / "stderr");
}

}  // namespace
}  // namespace lrx::test
