// Times the lrx tool against the zstd tool on one large race replay, each
// command a process of its own as a user would run it, all in one run and
// interleaved trial by trial so that every ratio meets the same load:
//   - lrx extract -c ARCHIVE ENTRY against zstd -d -c REPLAY.zst (the same
//     replay packed by zstd -3), both writing to the null device;
//   - lrx test ARCHIVE against lrx extract -c;
//   - lrx add of the replay into a new archive against zstd -3 -q -f -o.
// For each command the best of N trials by the wall clock and, separately,
// by the CPU time (user + system) of the child process.
//
//   tool_bench [--dir DIR] [--mb 77] [--trials 5] [--lrx PATH] [--zstd PATH] [REPLAY]
//
// Without REPLAY it writes a race replay of 40 cars and about 77 MB. Its
// files go into DIR (default build/<this build>/bench-scratch/tool) and are
// removed at the end. lrx is the one beside this program unless given.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "bench_support.h"

using namespace lrx::bench;
namespace fs = std::filesystem;

namespace {

const char* const kEntry = "race.rpl";  // the replay's name in the scratch folder and archive

// The files this run makes, removed however it ends; the folder too when
// nothing else is left in it.
struct ScratchFiles {
    fs::path dir;
    std::vector<std::string> paths;
    std::string Add(const std::string& name) {
        paths.push_back((dir / name).string());
        std::error_code ignored;
        fs::remove(paths.back(), ignored);
        return paths.back();
    }
    ~ScratchFiles() {
        std::error_code ignored;
        for (const std::string& path : paths) fs::remove(path, ignored);
        fs::remove(dir, ignored);
    }
};

std::string LoadAverage() {
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    file >> one >> five >> fifteen;
    return file ? one + " " + five + " " + fifteen : "unknown";
}

// The best trial of one command, by each measure on its own.
struct Best {
    double wall = 1e300, cpu = 1e300;
    void Add(const CommandRun& run) {
        wall = std::min(wall, run.wallSeconds);
        cpu = std::min(cpu, run.cpuSeconds);
    }
};

std::string Joined(const std::vector<std::string>& argv) {
    std::string text;
    for (const std::string& arg : argv) text += (text.empty() ? "" : " ") + arg;
    return text;
}

// Runs a command with its standard output to stdoutPath; says what failed.
bool Run(const std::vector<std::string>& argv, const std::string& stdoutPath, CommandRun& run) {
    run = RunTimedCommand(argv, stdoutPath);
    if (run.Succeeded()) return true;
    if (!run.started) {
        std::fprintf(stderr, "tool_bench: cannot run %s\n", argv[0].c_str());
    } else {
        std::fprintf(stderr, "tool_bench: `%s` exited with %d\n", Joined(argv).c_str(),
                     run.exitCode);
    }
    return false;
}

// A timed trial: after a sync, so that one command's dirty pages are not
// written back during the next one.
bool Trial(const std::vector<std::string>& argv, Best& best) {
    sync();
    CommandRun run;
    if (!Run(argv, "/dev/null", run)) return false;
    best.Add(run);
    return true;
}

// Runs a command once with its output into a file and compares that with
// the replay.
bool GivesReplay(const std::vector<std::string>& argv, const std::string& out,
                 const std::string& replay) {
    CommandRun run;
    if (!Run(argv, out, run)) return false;
    if (SameContents(out, replay)) return true;
    std::fprintf(stderr, "tool_bench: `%s` does not give back the replay\n", Joined(argv).c_str());
    return false;
}

double MB(const std::string& path) {
    return static_cast<double>(FileSize(path)) / kMB;
}

void PrintRow(const char* command, const Best& best, double replayMB) {
    std::printf("| %-34s | %8.3f | %8.3f | %8.1f | %8.1f |\n", command, best.wall, best.cpu,
                replayMB / best.wall, replayMB / best.cpu);
}

void PrintRatio(const char* what, const Best& a, const Best& b) {
    std::printf("| %-34s | %6.2f | %6.2f |\n", what, a.wall / b.wall, a.cpu / b.cpu);
}

int Usage() {
    std::fprintf(stderr,
                 "usage: tool_bench [--dir DIR] [--mb 77] [--trials 5] [--lrx PATH] [--zstd PATH] "
                 "[REPLAY]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    ScratchFiles scratch{DefaultScratchDir("tool"), {}};
    double megabytes = 77;
    int trials = 5;
    std::string lrx = (ProgramDir() / "lrx").string(), zstd = "zstd", given;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--dir" && hasValue) {
            scratch.dir = argv[++i];
        } else if (arg == "--mb" && hasValue) {
            megabytes = std::atof(argv[++i]);
        } else if (arg == "--trials" && hasValue) {
            trials = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--lrx" && hasValue) {
            lrx = argv[++i];
        } else if (arg == "--zstd" && hasValue) {
            zstd = argv[++i];
        } else if (arg.rfind("-", 0) != 0 && given.empty()) {
            given = arg;
        } else {
            return Usage();
        }
    }
    if (!RunTimedCommand({zstd, "-V"}, "/dev/null").Succeeded()) {
        std::fprintf(stderr,
                     "tool_bench: the zstd tool is not installed (%s not found); install it or "
                     "pass --zstd PATH\n",
                     zstd.c_str());
        return 1;
    }
    if (!RunTimedCommand({lrx, "--version"}, "/dev/null").Succeeded()) {
        std::fprintf(stderr, "tool_bench: cannot run %s; build the lrx target or pass --lrx PATH\n",
                     lrx.c_str());
        return 1;
    }
    std::printf("load average at start: %s\n", LoadAverage().c_str());
    std::fflush(stdout);

    fs::create_directories(scratch.dir);
    std::error_code same;
    if (!given.empty() && fs::equivalent(given, scratch.dir / kEntry, same)) {
        std::fprintf(stderr, "tool_bench: REPLAY must not be %s in the scratch folder\n", kEntry);
        return 2;
    }
    // The replay under a name the archive can hold (at most 13 bytes).
    const std::string replay = scratch.Add(kEntry);
    if (given.empty()) {
        if (WriteRaceReplay(replay, 77, 40, megabytes) < 0) return 1;
    } else {
        std::error_code linked;
        fs::create_hard_link(given, replay, linked);
        if (linked && !fs::copy_file(given, replay)) return 1;
    }
    const std::string zst = scratch.Add("race.rpl.zst"), archive = scratch.Add("race.lrx");
    const std::string added = scratch.Add("added.lrx"), addedZst = scratch.Add("added.zst");
    const std::string out = scratch.Add("check.out");

    // The packed files, and every command's output checked once.
    CommandRun run;
    if (!Run({zstd, "-3", "-q", "-f", "-o", zst, replay}, "/dev/null", run) ||
        !Run({lrx, "add", archive, replay}, "/dev/null", run) ||
        !GivesReplay({lrx, "extract", "-c", archive, kEntry}, out, replay) ||
        !GivesReplay({zstd, "-d", "-c", zst}, out, replay) ||
        !Run({lrx, "test", archive}, "/dev/null", run)) {
        return 1;
    }
    fs::remove(out);

    Best extract, unzstd, test, add, pack;
    for (int t = 0; t < trials; ++t) {
        fs::remove(added);
        fs::remove(addedZst);
        if (!Trial({lrx, "extract", "-c", archive, kEntry}, extract) ||
            !Trial({zstd, "-d", "-c", zst}, unzstd) || !Trial({lrx, "test", archive}, test) ||
            !Trial({lrx, "add", added, replay}, add) ||
            !Trial({zstd, "-3", "-q", "-f", "-o", addedZst, replay}, pack)) {
            return 1;
        }
    }
    if (FileSize(added) != FileSize(archive) || FileSize(addedZst) != FileSize(zst)) {
        std::fprintf(stderr, "tool_bench: the timed runs packed the replay differently\n");
        return 1;
    }

    const double replayMB = MB(replay);
    std::printf("replay %.1f MB; %s %.1f MB (%.1f%%); %s %.1f MB (%.1f%%)\n", replayMB,
                fs::path(archive).filename().c_str(), MB(archive), 100 * MB(archive) / replayMB,
                fs::path(zst).filename().c_str(), MB(zst), 100 * MB(zst) / replayMB);
    std::printf("lrx: %s; zstd: %s; best of %d trials, interleaved\n\n", lrx.c_str(), zstd.c_str(),
                trials);
    std::printf("| %-34s | wall s   | CPU s    | MB/s     | CPU MB/s |\n", "command");
    std::printf(
        "|------------------------------------|---------:|---------:|---------:|---------:|\n");
    PrintRow("lrx extract -c ARCHIVE ENTRY", extract, replayMB);
    PrintRow("zstd -d -c REPLAY.zst", unzstd, replayMB);
    PrintRow("lrx test ARCHIVE", test, replayMB);
    PrintRow("lrx add NEW.lrx REPLAY", add, replayMB);
    PrintRow("zstd -3 -q -f -o NEW.zst REPLAY", pack, replayMB);
    std::printf("\n| %-34s | wall   | CPU    |\n", "ratio");
    std::printf("|------------------------------------|-------:|-------:|\n");
    PrintRatio("lrx extract -c / zstd -d -c", extract, unzstd);
    PrintRatio("lrx test / lrx extract -c", test, extract);
    PrintRatio("lrx add / zstd -3", add, pack);
    std::printf(
        "\nMB/s: MB (10^6 bytes) of replay a second; CPU: user + system time of the "
        "command\n");
    std::printf("load average at end: %s\n", LoadAverage().c_str());
    return 0;
}
