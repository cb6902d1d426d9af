#include "bench_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "replay_generator.h"

extern char** environ;

namespace lrx::bench {
namespace {

std::vector<char*> ArgvOf(std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    return argv;
}

}  // namespace

ChildRun RunChild(const std::vector<std::string>& args) {
    std::vector<std::string> all{"/proc/self/exe", "--child"};
    all.insert(all.end(), args.begin(), args.end());
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) all[0].assign(self, static_cast<std::size_t>(n));

    ChildRun run;
    int fds[2];
    if (pipe(fds) != 0) return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    pid_t pid;
    std::vector<char*> argv = ArgvOf(all);
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        return run;
    }
    std::string output;
    char buffer[256];
    ssize_t got;
    while ((got = read(fds[0], buffer, sizeof buffer)) > 0)
        output.append(buffer, static_cast<std::size_t>(got));
    close(fds[0]);
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return run;
    std::istringstream line(output);
    double value;
    while (line >> value) run.values.push_back(value);
    // The last number is the child's own peak.
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && !run.values.empty() &&
             run.values.back() > 0;
    if (run.ok) {
        run.peakKiB = static_cast<long>(run.values.back());
        run.values.pop_back();
    }
    return run;
}

// The peak resident memory of this process image. wait4's ru_maxrss is no
// use here: a spawned child's count starts from its parent's peak.
long PeakResidentKiB() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, status)) {
        if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1) break;
    }
    std::fclose(status);
    return kib;
}

void ReportToParent(const std::vector<double>& values) {
    for (double v : values) std::printf("%.9g ", v);
    std::printf("%ld\n", PeakResidentKiB());
    std::fflush(stdout);
}

CommandRun RunTimedCommand(const std::vector<std::string>& command, const std::string& stdoutPath) {
    std::vector<std::string> args = command;
    std::vector<char*> argv = ArgvOf(args);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!stdoutPath.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, stdoutPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    CommandRun run;
    const Clock::time_point start = Clock::now();
    pid_t pid;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return run;
    run.started = true;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return run;
    run.wallSeconds = SecondsSince(start);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    };
    run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    return run;
}

bool RunCommand(const std::vector<std::string>& command) {
    return RunTimedCommand(command).Succeeded();
}

int64_t WriteRaceReplay(const std::string& path, uint64_t seed, int cars, double megabytes) {
    // A race frame is 9 bytes per car plus a few sparse records; measure one
    // short replay and scale the frame count from it.
    replaygen::GeneratorOptions options;
    options.profile = replaygen::Profile::Race;
    options.seed = seed;
    options.cars = cars;
    options.frames = 1000;
    const double perFrame =
        (static_cast<double>(replaygen::GenerateReplay(options).size()) - 2970) / 1000;
    options.frames = static_cast<int>(megabytes * kMB / perFrame);
    const std::vector<unsigned char> replay = replaygen::GenerateReplay(options);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return -1;
    const bool written = std::fwrite(replay.data(), 1, replay.size(), file) == replay.size();
    if (std::fclose(file) != 0 || !written) return -1;
    return static_cast<int64_t>(replay.size());
}

std::filesystem::path ProgramDir() {
    return std::filesystem::canonical("/proc/self/exe").parent_path();
}

std::filesystem::path DefaultScratchDir(const std::string& name) {
    return ProgramDir().parent_path() / "bench-scratch" / name;
}

int64_t FileSize(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return -1;
    std::fseek(file, 0, SEEK_END);
    const int64_t size = ftello(file);
    std::fclose(file);
    return size;
}

bool SameContents(const std::string& a, const std::string& b) {
    std::FILE* fa = std::fopen(a.c_str(), "rb");
    std::FILE* fb = std::fopen(b.c_str(), "rb");
    bool same = fa && fb;
    std::vector<char> ba(1 << 20), bb(1 << 20);
    while (same) {
        const std::size_t na = std::fread(ba.data(), 1, ba.size(), fa);
        const std::size_t nb = std::fread(bb.data(), 1, bb.size(), fb);
        same = na == nb && std::memcmp(ba.data(), bb.data(), na) == 0;
        if (na < ba.size()) break;
    }
    if (fa) std::fclose(fa);
    if (fb) std::fclose(fb);
    return same;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

int WithoutStdout(const std::function<int()>& work) {
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    const int result = work();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(null);
    close(saved);
    return result;
}

}  // namespace lrx::bench
