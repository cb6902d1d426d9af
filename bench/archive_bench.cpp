// Times the archive operations against plain file copies and measures their
// peak memory:
//   - adding a 1 MB replay to archives of 10, 100 and 1000 MB, next to `cp`
//     of the same archive, and `cp` followed by `sync` of the copy (add makes
//     its new archive durable before it replaces the old one);
//   - listing an archive of 10,000 entries;
//   - peak resident memory of adding and extracting one 200 MB replay, each
//     in a child process, beyond a child that does nothing.
//
//   archive_bench [--dir DIR] [--sizes 10,100,1000] [--trials N] [--big-mb SIZE]
//
// Archives are built by writing packed entries back to back (with names of
// their own) rather than by adding them one by one. DIR defaults to
// build/<this build>/bench-scratch/archive and is emptied at the end.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "lrxpack.h"
#include "replay_generator.h"

using namespace lrx::bench;
namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

namespace {

Bytes ReadAll(const std::string& path) {
    Bytes bytes(static_cast<std::size_t>(FileSize(path)));
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return {};
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    bytes.resize(got);
    return bytes;
}

bool Add(const std::string& archive, const std::string& replay) {
    return sJTU(const_cast<char*>(archive.c_str()), const_cast<char*>(replay.c_str()), nullptr,
                false) == LRX_OK;
}

// One packed entry (data and record) as the engine writes it.
Bytes PackedEntry(const fs::path& dir, const std::string& replay) {
    const std::string archive = (dir / "one.lrx").string();
    fs::remove(archive);
    if (!Add(archive, replay)) return {};
    Bytes bytes = ReadAll(archive);
    fs::remove(archive);
    return bytes.size() > 12 ? Bytes(bytes.begin() + 12, bytes.end()) : Bytes{};
}

// An archive of entries copied from one packed entry, each renamed, until
// it holds at least minBytes (or exactly count entries when count > 0).
bool BuildArchive(const std::string& path, Bytes entry, double minBytes, int count) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const unsigned char header[12] = {0x64, 0, 0, 0, 0x9C, 0xFF, 0xFF, 0xFF, 0x0C, 0, 0, 0};
    bool ok = std::fwrite(header, 1, sizeof header, file) == sizeof header;
    double size = sizeof header;
    char* name = reinterpret_cast<char*>(entry.data() + entry.size() - 32);
    for (int i = 0; ok && (count > 0 ? i < count : size < minBytes); ++i) {
        std::memset(name, 0, 14);
        std::snprintf(name, 14, "f%06d.rpl", i % 1000000);
        ok = std::fwrite(entry.data(), 1, entry.size(), file) == entry.size();
        size += static_cast<double>(entry.size());
    }
    return std::fclose(file) == 0 && ok;
}

// --child baseline | add ARCHIVE REPLAY | extract ARCHIVE FOLDER/: prints seconds.
int ChildMain(int argc, char** argv) {
    const std::string what = argc > 0 ? argv[0] : "";
    if (what == "baseline") {
        ReportToParent({});
        return 0;
    }
    if (argc != 3) return 2;
    const Clock::time_point start = Clock::now();
    int result;
    if (what == "add") {
        result = sJTU(argv[1], argv[2], nullptr, false);
    } else {
        result = WithoutStdout([&] {
            int mode = 2;
            return MFqc(argv[1], argv[2], mode, nullptr, true, 0, nullptr);
        });
    }
    if (result != LRX_OK) return 1;
    ReportToParent({SecondsSince(start)});
    return 0;
}

// Seconds of one piece of work, started with nothing waiting to be written
// back; negative when the work failed.
template <typename Work>
double TimeOnce(Work work) {
    sync();
    const Clock::time_point start = Clock::now();
    if (!work()) return -1;
    return SecondsSince(start);
}

struct Timings {
    std::vector<double> seconds;
    bool failed = false;
    void Add(double s) {
        if (s < 0) failed = true;
        seconds.push_back(s);
    }
    double Median() const { return lrx::bench::Median(seconds); }
    double Best() const { return *std::min_element(seconds.begin(), seconds.end()); }
};

double MiB(long kib) {
    return static_cast<double>(kib) / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--child") return ChildMain(argc - 2, argv + 2);

    fs::path dir = DefaultScratchDir("archive");
    std::vector<double> sizesMB{10, 100, 1000};
    int trials = 3;
    double bigMB = 200;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--dir" && i + 1 < argc) {
            dir = argv[++i];
        } else if (arg == "--sizes" && i + 1 < argc) {
            sizesMB.clear();
            std::istringstream list(argv[++i]);
            std::string item;
            while (std::getline(list, item, ',')) sizesMB.push_back(std::atof(item.c_str()));
        } else if (arg == "--trials" && i + 1 < argc) {
            trials = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--big-mb" && i + 1 < argc) {
            bigMB = std::atof(argv[++i]);
        } else {
            std::fprintf(stderr,
                         "usage: archive_bench [--dir DIR] [--sizes 10,100,1000] [--trials N] "
                         "[--big-mb SIZE]\n");
            return 2;
        }
    }
    fs::create_directories(dir);
    const auto path = [&](const std::string& name) { return (dir / name).string(); };
    int status = 0;

    // Entries of a full race (a few MB of replay each) fill the big archives.
    const std::string filler = path("filler.rpl");
    const std::string added = path("added.rpl");
    if (WriteRaceReplay(filler, 5, 20, 6.0) < 0 || WriteRaceReplay(added, 6, 20, 1.0) < 0) return 1;
    const Bytes entry = PackedEntry(dir, filler);
    if (entry.empty()) return 1;
    std::printf("filler entry: %.2f MB packed; added replay: %.2f MB\n\n",
                static_cast<double>(entry.size()) / kMB,
                static_cast<double>(FileSize(added)) / kMB);

    std::printf(
        "seconds, median of %d trials (best in brackets); each step starts after a sync, and the\n"
        "steps of a trial run one after the other, trial by trial\n"
        "  add      sJTU of a 1 MB replay: copies every entry into a new file, packs the replay,\n"
        "           flushes the new file to disk, renames it over the archive, syncs the folder\n"
        "  cp       cp ARCHIVE COPY (the page cache only)\n"
        "  +sync    cp, then sync COPY (the copy on disk)\n"
        "  +replace cp, sync COPY, mv COPY ARCHIVE, sync FOLDER (what add does besides "
        "packing)\n\n",
        trials);
    std::printf(
        "| archive MB | entries | add           | cp            | cp+sync       | cp+sync+replace "
        "| add/(cp+sync) | add/cp |\n");
    std::printf(
        "|-----------:|--------:|--------------:|--------------:|--------------:|----------------:"
        "|--------------:|-------:|\n");
    for (double mb : sizesMB) {
        const std::string archive = path("big.lrx");
        const std::string copy = path("copy.lrx");
        if (!BuildArchive(archive, entry, mb * kMB, 0)) return 1;
        const double archiveMB = static_cast<double>(FileSize(archive)) / kMB;
        const int entries =
            static_cast<int>((FileSize(archive) - 12) / static_cast<int64_t>(entry.size()));
        Timings add, cp, cpSync, cpReplace;
        for (int t = 0; t < trials; ++t) {
            cp.Add(TimeOnce([&] { return RunCommand({"cp", archive, copy}); }));
            fs::remove(copy);
            cpSync.Add(TimeOnce([&] {
                return RunCommand({"cp", archive, copy}) && RunCommand({"sync", copy});
            }));
            fs::remove(copy);
            cpReplace.Add(TimeOnce([&] {
                return RunCommand({"cp", archive, copy}) && RunCommand({"sync", copy}) &&
                       RunCommand({"mv", copy, archive}) && RunCommand({"sync", dir.string()});
            }));
            // A new name each time, so every trial appends an entry.
            const std::string replay = path("new" + std::to_string(t) + ".rpl");
            fs::copy_file(added, replay, fs::copy_options::overwrite_existing);
            add.Add(TimeOnce([&] { return Add(archive, replay); }));
        }
        fs::remove(archive);
        if (add.failed || cp.failed || cpSync.failed || cpReplace.failed) {
            std::printf("| %10.0f | failed |\n", mb);
            status = 1;
            continue;
        }
        std::printf(
            "| %10.1f | %7d | %5.3f (%5.3f) | %5.3f (%5.3f) | %5.3f (%5.3f) | %6.3f (%6.3f) | "
            "%13.2f | %6.2f |\n",
            archiveMB, entries, add.Median(), add.Best(), cp.Median(), cp.Best(), cpSync.Median(),
            cpSync.Best(), cpReplace.Median(), cpReplace.Best(), add.Median() / cpSync.Median(),
            add.Median() / cp.Median());
        std::fflush(stdout);
    }

    // Listing: many small entries.
    {
        lrx::replaygen::GeneratorOptions options;
        options.profile = lrx::replaygen::Profile::Race;
        options.cars = 4;
        options.frames = 5;
        const std::string small = path("small.rpl");
        std::FILE* file = std::fopen(small.c_str(), "wb");
        const Bytes replay = lrx::replaygen::GenerateReplay(options);
        if (!file || std::fwrite(replay.data(), 1, replay.size(), file) != replay.size() ||
            std::fclose(file) != 0) {
            return 1;
        }
        const Bytes smallEntry = PackedEntry(dir, small);
        const std::string archive = path("many.lrx");
        if (smallEntry.empty() || !BuildArchive(archive, smallEntry, 0, 10000)) return 1;
        int listed = 0;
        Timings list;
        for (int t = 0; t < 5; ++t) {
            list.Add(TimeOnce([&] {
                TFileInfoList* head = nullptr;
                const bool ok = wG4h(&head, const_cast<char*>(archive.c_str())) == LRX_OK;
                listed = 0;
                for (const TFileInfoList* node = head; node; node = node->next) ++listed;
                AGGa(&head);
                return ok;
            }));
        }
        std::printf(
            "\nlist an archive of %d entries (%.1f MB): %.1f ms median, %.1f ms best of 5 (file in "
            "the page cache)\n",
            listed, static_cast<double>(FileSize(archive)) / kMB, list.Median() * 1000,
            list.Best() * 1000);
        fs::remove(archive);
        fs::remove(small);
    }

    // Peak memory of add and extract of one big replay.
    if (bigMB > 0) {
        const std::string big = path("big200.rpl");
        const std::string archive = path("one-big.lrx");
        const std::string out = path("out") + "/";
        fs::create_directories(out);
        const int64_t bigSize = WriteRaceReplay(big, 7, 20, bigMB);
        fs::remove(archive);
        const ChildRun baseline = RunChild({"baseline"});
        const ChildRun add = RunChild({"add", archive, big});
        const ChildRun extract = RunChild({"extract", archive, out});
        const bool same = SameContents(big, out + "big200.rpl");
        if (bigSize < 0 || !baseline.ok || !add.ok || !extract.ok || !same) {
            std::printf("\n%.0f MB replay: add or extract failed\n", bigMB);
            status = 1;
        } else {
            const double mb = static_cast<double>(bigSize) / kMB;
            std::printf("\none replay of %.1f MB (baseline child %.1f MiB):\n", mb,
                        MiB(baseline.peakKiB));
            std::printf(
                "  add to a new archive: %.2f s (%.0f MB/s), peak %.2f MiB beyond baseline\n",
                add.values.at(0), mb / add.values.at(0), MiB(add.peakKiB - baseline.peakKiB));
            std::printf(
                "  extract:              %.2f s (%.0f MB/s), peak %.2f MiB beyond baseline\n",
                extract.values.at(0), mb / extract.values.at(0),
                MiB(extract.peakKiB - baseline.peakKiB));
        }
    }
    fs::remove_all(dir);
    return status;
}
