// What the benchmark programs share: child processes whose peak memory is
// measured on their own, timing, scratch files and generated replays.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace lrx::bench {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The result a child reports back: a few numbers on one line of its standard
// output, and its peak resident memory.
struct ChildRun {
    bool ok = false;
    std::vector<double> values;
    long peakKiB = 0;  // VmHWM of the child's program image
};

// Runs this program again as `PROGRAM --child ARGS...` in a fresh process, so
// its memory holds nothing of the parent's; the child prints its numbers with
// ReportToParent, which adds its peak resident memory. A child that does no
// work ("--child baseline", which must call ReportToParent({})) gives the
// program's own footprint.
ChildRun RunChild(const std::vector<std::string>& args);
void ReportToParent(const std::vector<double>& values);

// How a command ran: the clock on the wall from start to exit, and the CPU
// time (user + system) the process used, as wait4 reports it.
struct CommandRun {
    bool started = false;  // false: not found or not executable
    int exitCode = -1;     // -1 when it died by a signal
    double wallSeconds = 0;
    double cpuSeconds = 0;
    bool Succeeded() const { return started && exitCode == 0; }
};

// Runs a command (no shell; looked up in PATH when it has no slash) and
// waits. With stdoutPath its standard output goes to that file (truncated).
CommandRun RunTimedCommand(const std::vector<std::string>& argv,
                           const std::string& stdoutPath = {});

// Runs a command (no shell) and waits; true when it exited with 0.
bool RunCommand(const std::vector<std::string>& argv);

// Runs work with standard output sent to the null device (extraction prints
// a line per entry; a parent reads only the child's numbers) and returns its
// result.
int WithoutStdout(const std::function<int()>& work);

// Writes a race-profile replay of about the given size; returns its length.
int64_t WriteRaceReplay(const std::string& path, uint64_t seed, int cars, double megabytes);

// The folder this program sits in (build/<build>/bin), and a scratch folder
// of the given name beside it: build/<build>/bench-scratch/NAME.
std::filesystem::path ProgramDir();
std::filesystem::path DefaultScratchDir(const std::string& name);

int64_t FileSize(const std::string& path);
bool SameContents(const std::string& a, const std::string& b);

// Median of a few timings (sorted copy).
double Median(std::vector<double> values);

inline constexpr double kMB = 1e6;

}  // namespace lrx::bench
