// Times whole replay collections, side by side in one run:
//   - 400 race replays added into a new archive with 1 and N jobs, against
//     `tar cf - | zstd -3` of the same files (and that followed by a sync of
//     the result: add makes its archive durable);
//   - one replay added to an archive of 1,000 entries, against cp + sync of
//     that archive;
//   - the 400 extracted with 1 and N jobs, against `zstd -d | tar x` (and
//     that followed by a sync of the folder: extraction syncs its files);
//   - the peak resident memory of each engine run, beyond a child that does
//     nothing.
//
//   collection_bench [--dir DIR] [--replays 400] [--kb 370] [--jobs N] [--trials 3]
//
// Every engine run is a child process of its own; every step starts after a
// sync. DIR defaults to build/<this build>/bench-scratch/collection.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "lrxpack_api.h"

using namespace lrx::bench;
namespace fs = std::filesystem;

namespace {

// --child baseline | add ARCHIVE JOBS REPLAY... | extract ARCHIVE FOLDER/ JOBS
int ChildMain(int argc, char** argv) {
    const std::string what = argc > 0 ? argv[0] : "";
    if (what == "baseline") {
        ReportToParent({});
        return 0;
    }
    if (argc < 4) return 2;
    const Clock::time_point start = Clock::now();
    int result;
    lrx_failure failure;
    if (what == "add") {
        const lrx_add_options options{static_cast<unsigned>(std::atoi(argv[2])), 0, 0};
        result = lrx_add(argv[1], argv + 3, static_cast<std::size_t>(argc - 3), &options, nullptr,
                         &failure);
    } else {
        const lrx_extract_options options{static_cast<unsigned>(std::atoi(argv[3])),
                                          LRX_OVERWRITE_ALWAYS};
        result = lrx_extract(argv[1], argv[2], nullptr, 0, &options, nullptr, &failure);
    }
    if (result != LRX_OK) return 1;
    ReportToParent({SecondsSince(start)});
    return 0;
}

bool Shell(const std::string& command) {
    return RunCommand({"sh", "-c", command});
}

struct Step {
    std::vector<double> seconds;
    long peakKiB = 0;
    bool failed = false;
    void Add(double s) {
        if (s < 0) failed = true;
        seconds.push_back(s);
    }
    double Median() const { return failed ? -1 : lrx::bench::Median(seconds); }
};

double TimeCommand(const std::string& command) {
    sync();
    const Clock::time_point start = Clock::now();
    return Shell(command) ? SecondsSince(start) : -1;
}

double TimeChild(const std::vector<std::string>& args, long& peakKiB) {
    sync();
    const ChildRun run = RunChild(args);
    if (!run.ok || run.values.empty()) return -1;
    peakKiB = std::max(peakKiB, run.peakKiB);
    return run.values[0];
}

void PrintRow(const char* what, const Step& step, double reference, long baselineKiB) {
    std::printf("| %-34s | %7.3f | %6.2f |", what, step.Median(), step.Median() / reference);
    if (step.peakKiB > 0) {
        std::printf(" %8.2f |\n", static_cast<double>(step.peakKiB - baselineKiB) / 1024.0);
    } else {
        std::printf("        - |\n");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--child") return ChildMain(argc - 2, argv + 2);

    fs::path dir = DefaultScratchDir("collection");
    int count = 400, trials = 3;
    double kb = 370;
    unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--dir" && hasValue) {
            dir = argv[++i];
        } else if (arg == "--replays" && hasValue) {
            count = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--kb" && hasValue) {
            kb = std::atof(argv[++i]);
        } else if (arg == "--jobs" && hasValue) {
            jobs = static_cast<unsigned>(std::max(1, std::atoi(argv[++i])));
        } else if (arg == "--trials" && hasValue) {
            trials = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr,
                         "usage: collection_bench [--dir DIR] [--replays 400] [--kb 370] "
                         "[--jobs N] [--trials 3]\n");
            return 2;
        }
    }
    fs::remove_all(dir);
    const fs::path replays = dir / "r";
    fs::create_directories(replays);
    const auto path = [&](const std::string& name) { return (dir / name).string(); };
    std::vector<std::string> names;
    int64_t total = 0;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "race%03d.rpl", i);
        names.push_back((replays / name).string());
        const int64_t size = WriteRaceReplay(names.back(), 100 + i, 12 + i % 12, kb / 1000);
        if (size < 0) return 1;
        total += size;
    }
    const std::string j1 = "1", jN = std::to_string(jobs);
    std::printf("%d race replays, %.1f MB; %d trials (median); N = %u jobs\n\n", count,
                static_cast<double>(total) / kMB, trials, jobs);

    long baselineKiB = 0;
    {
        const ChildRun baseline = RunChild({"baseline"});
        if (!baseline.ok) return 1;
        baselineKiB = baseline.peakKiB;
    }
    const std::string archive = path("all.lrx"), tarZst = path("all.tar.zst");
    const std::string out = path("out") + "/";
    Step tarZstd, tarZstdSync, add1, addN, unTar, unTarSync, extract1, extractN, cpSync, addOne;
    const auto addArgs = [&](const std::string& jobsText) {
        std::vector<std::string> args{"add", archive, jobsText};
        args.insert(args.end(), names.begin(), names.end());
        return args;
    };
    const std::string tarCommand =
        "tar cf - -C '" + dir.string() + "' r | zstd -q -3 -f -o '" + tarZst + "'";
    const std::string untarCommand = "rm -rf '" + out + "' && mkdir -p '" + out +
                                     "' && zstd -q -d -c '" + tarZst + "' | tar xf - -C '" + out +
                                     "'";
    for (int t = 0; t < trials; ++t) {
        tarZstd.Add(TimeCommand(tarCommand));
        tarZstdSync.Add(TimeCommand(tarCommand + " && sync '" + tarZst + "'"));
        fs::remove(archive);
        add1.Add(TimeChild(addArgs(j1), add1.peakKiB));
        fs::remove(archive);
        addN.Add(TimeChild(addArgs(jN), addN.peakKiB));

        unTar.Add(TimeCommand(untarCommand));
        unTarSync.Add(TimeCommand(untarCommand + " && sync -f '" + out + "r'"));
        fs::remove_all(out);
        fs::create_directories(out);
        extract1.Add(TimeChild({"extract", archive, out, j1}, extract1.peakKiB));
        fs::remove_all(out);
        fs::create_directories(out);
        extractN.Add(TimeChild({"extract", archive, out, jN}, extractN.peakKiB));
    }
    for (const std::string& name : names) {
        if (!SameContents(name, out + fs::path(name).filename().string())) {
            std::printf("extracted %s differs\n", name.c_str());
            return 1;
        }
    }
    const double archiveMB = static_cast<double>(FileSize(archive)) / kMB;

    // One replay into an archive of 1,000 entries: the collection added
    // again and again under new names.
    const std::string thousand = path("thousand.lrx"), copy = path("copy.lrx");
    {
        fs::remove(thousand);
        std::vector<std::string> args{"add", thousand, jN};
        for (int i = 0; i < 1000; ++i) {
            const std::string name = path("k" + std::to_string(i) + ".rpl");
            fs::create_hard_link(names[static_cast<std::size_t>(i % count)], name);
            args.push_back(name);
        }
        long ignored = 0;
        if (TimeChild(args, ignored) < 0) return 1;
        for (int i = 0; i < 1000; ++i) fs::remove(path("k" + std::to_string(i) + ".rpl"));
    }
    for (int t = 0; t < trials; ++t) {
        cpSync.Add(TimeCommand("cp '" + thousand + "' '" + copy + "' && sync '" + copy + "'"));
        fs::remove(copy);
        const std::string one = path("one" + std::to_string(t) + ".rpl");
        fs::copy_file(names[0], one);
        addOne.Add(TimeChild({"add", thousand, j1, one}, addOne.peakKiB));
    }
    const double thousandMB = static_cast<double>(FileSize(thousand)) / kMB;

    std::printf("adding the %d into a new archive (%.1f MB; tar.zst %.1f MB)\n\n", count, archiveMB,
                static_cast<double>(FileSize(tarZst)) / kMB);
    std::printf("| %-34s | seconds | ratio  | peak MiB |\n", "step");
    std::printf("|------------------------------------|--------:|-------:|---------:|\n");
    PrintRow("tar + zstd -3", tarZstd, tarZstd.Median(), 0);
    PrintRow("tar + zstd -3, sync", tarZstdSync, tarZstd.Median(), 0);
    PrintRow("add -j 1", add1, tarZstd.Median(), baselineKiB);
    PrintRow(("add -j " + jN).c_str(), addN, tarZstd.Median(), baselineKiB);
    std::printf("\nextracting the %d\n\n", count);
    std::printf("| %-34s | seconds | ratio  | peak MiB |\n", "step");
    std::printf("|------------------------------------|--------:|-------:|---------:|\n");
    PrintRow("zstd -d + tar x", unTar, unTar.Median(), 0);
    PrintRow("zstd -d + tar x, sync", unTarSync, unTar.Median(), 0);
    PrintRow("extract -j 1", extract1, unTar.Median(), baselineKiB);
    PrintRow(("extract -j " + jN).c_str(), extractN, unTar.Median(), baselineKiB);
    std::printf("\none replay into an archive of 1,000 entries (%.1f MB)\n\n", thousandMB);
    std::printf("| %-34s | seconds | ratio  | peak MiB |\n", "step");
    std::printf("|------------------------------------|--------:|-------:|---------:|\n");
    PrintRow("cp ARCHIVE COPY, sync COPY", cpSync, cpSync.Median(), 0);
    PrintRow("add -j 1 of one replay", addOne, cpSync.Median(), baselineKiB);
    std::printf("\npeak MiB: beyond the %.1f MiB of an idle child\n",
                static_cast<double>(baselineKiB) / 1024.0);
    fs::remove_all(dir);
    const bool failed = tarZstd.failed || add1.failed || addN.failed || unTar.failed ||
                        extract1.failed || extractN.failed || cpSync.failed || addOne.failed;
    return failed ? 1 : 0;
}
