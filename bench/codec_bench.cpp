// Packs and unpacks a set of race replays with the replay codec and with
// general-purpose codecs, file to file as the engine does, and prints one
// table: speed in MB/s of replay bytes, packed ratio, and the peak resident
// memory of each run beyond the program's own footprint. Every run is a
// child process of its own, so its peak is its own. A second table gives
// the replay codec's speed file to file and in memory, by the wall clock and
// by CPU time.
//
//   codec_bench [--dir DIR] [--mb TOTAL] [--big-mb SIZE] [--repeat N]
//               [--codecs lrx,zstd-3,...] [REPLAY...]
//
// Without replays it writes four race replays of TOTAL MB in all (default
// 64) into DIR (default build/<this build>/bench-scratch/codec), plus one
// replay of SIZE MB (default 200; 0 skips it) for the memory check.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "file_codecs.h"

using namespace lrx::bench;
namespace fs = std::filesystem;

namespace {

std::string PackedPath(const std::string& replay, const FileCodec& codec) {
    return replay + ".packed-" + codec.name + std::to_string(codec.level);
}

std::string UnpackedPath(const std::string& replay, const FileCodec& codec) {
    return replay + ".unpacked-" + codec.name + std::to_string(codec.level);
}

double CpuSeconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The best of repeat passes, by the clock on the wall and by the CPU time
// the process used (which other programs on the machine disturb less).
struct Best {
    double wall = 1e300, cpu = 1e300;
};

// --child encode|decode NAME LEVEL REPEAT FILE...: file to file; prints the
// best seconds, replay bytes, packed bytes and best CPU seconds. The outputs
// are deleted before every pass: writing over the same files again would
// wait for the kernel to write back the pages of the pass before.
// --child encode-mem|decode-mem lrx 0 REPEAT FILE...: the replay codec in
// memory, the same numbers.
int ChildMain(int argc, char** argv) {
    const std::string what = argc > 0 ? argv[0] : "";
    if (what == "baseline") {
        ReportToParent({});
        return 0;
    }
    if (argc < 5) return 2;
    FileCodec codec;
    if (!FindCodec(argv[1], std::atoi(argv[2]), codec)) return 2;
    const int repeat = std::max(1, std::atoi(argv[3]));
    const std::vector<std::string> files(argv + 4, argv + argc);
    const bool inMemory = what == "encode-mem" || what == "decode-mem";
    const bool encoding = what == "encode" || what == "encode-mem";

    std::vector<std::vector<unsigned char>> replays, packed, unpacked;
    if (inMemory) {
        if (codec.name != "lrx") return 2;
        for (const std::string& file : files) {
            replays.push_back(ReadWholeFile(file));
            packed.emplace_back();
            unpacked.emplace_back();
            if (!LrxPackInMemory(replays.back(), packed.back())) return 1;
        }
    }
    Best best;
    double raw = 0, packedBytes = 0;
    for (int pass = 0; pass < repeat; ++pass) {
        if (!inMemory) {
            for (const std::string& file : files) {
                fs::remove(encoding ? PackedPath(file, codec) : UnpackedPath(file, codec));
            }
        }
        raw = packedBytes = 0;
        const Clock::time_point start = Clock::now();
        const double cpuStart = CpuSeconds();
        for (std::size_t i = 0; i < files.size(); ++i) {
            const std::string& file = files[i];
            bool ok;
            if (inMemory) {
                ok = encoding
                         ? LrxPackInMemory(replays[i], packed[i])
                         : LrxUnpackInMemory(packed[i], static_cast<int64_t>(replays[i].size()),
                                             unpacked[i]);
            } else {
                ok = encoding ? PackFile(codec, file, PackedPath(file, codec))
                              : UnpackFile(codec, PackedPath(file, codec),
                                           UnpackedPath(file, codec), FileSize(file));
            }
            if (!ok) return 1;
        }
        best.cpu = std::min(best.cpu, CpuSeconds() - cpuStart);
        best.wall = std::min(best.wall, SecondsSince(start));
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (inMemory) {
                raw += static_cast<double>(replays[i].size());
                packedBytes += static_cast<double>(packed[i].size());
            } else {
                raw += static_cast<double>(FileSize(files[i]));
                packedBytes += static_cast<double>(FileSize(PackedPath(files[i], codec)));
            }
        }
    }
    if (inMemory && !encoding) {
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (unpacked[i] != replays[i]) return 1;
        }
    }
    ReportToParent({best.wall, raw, packedBytes, best.cpu});
    return 0;
}

struct Speed {
    double encode = 0, decode = 0;        // MB/s of replay, best pass by the wall clock
    double encodeCpu = 0, decodeCpu = 0;  // the same by CPU time
};

struct Row {
    FileCodec codec;
    double raw = 0, packed = 0;
    Speed file, memory;  // memory: the replay codec only
    long encodePeakKiB = 0, decodePeakKiB = 0;
};

std::vector<std::string> Args(const std::string& what, const FileCodec& codec, int repeat,
                              const std::vector<std::string>& files) {
    std::vector<std::string> args{what, codec.name, std::to_string(codec.level),
                                  std::to_string(repeat)};
    args.insert(args.end(), files.begin(), files.end());
    return args;
}

// An encode and a decode child; false when either failed.
bool MeasureSpeed(const std::string& suffix, const FileCodec& codec, int encodeRepeat,
                  int decodeRepeat, const std::vector<std::string>& files, Row& row, Speed& speed) {
    const ChildRun encode = RunChild(Args("encode" + suffix, codec, encodeRepeat, files));
    if (!encode.ok || encode.values.size() != 4) return false;
    const ChildRun decode = RunChild(Args("decode" + suffix, codec, decodeRepeat, files));
    if (!decode.ok || decode.values.size() != 4) return false;
    row.raw = encode.values[1];
    row.packed = encode.values[2];
    speed.encode = row.raw / kMB / encode.values[0];
    speed.encodeCpu = row.raw / kMB / encode.values[3];
    speed.decode = row.raw / kMB / decode.values[0];
    speed.decodeCpu = row.raw / kMB / decode.values[3];
    if (suffix.empty()) {
        row.encodePeakKiB = encode.peakKiB;
        row.decodePeakKiB = decode.peakKiB;
    }
    return true;
}

bool Measure(const FileCodec& codec, const std::vector<std::string>& files, int repeat, Row& row) {
    row.codec = codec;
    // Fast runs take the best of several passes; slow ones take long enough
    // for one pass to be steady.
    const bool slowEncode = (codec.name == "zlib" && codec.level == 9) || codec.name == "xz" ||
                            codec.name == "bzip2" || (codec.name == "zstd" && codec.level == 19);
    const bool slowDecode = codec.name == "xz" || codec.name == "bzip2";
    if (!MeasureSpeed("", codec, slowEncode ? 1 : repeat, slowDecode ? 1 : repeat, files, row,
                      row.file)) {
        return false;
    }
    bool same = true;
    for (const std::string& file : files) {
        same = same && SameContents(file, UnpackedPath(file, codec));
        fs::remove(PackedPath(file, codec));
        fs::remove(UnpackedPath(file, codec));
    }
    if (!same)
        std::fprintf(stderr, "%s: unpacked files differ from the replays\n", codec.Label().c_str());
    if (same && codec.name == "lrx") {
        Row memory;
        same = MeasureSpeed("-mem", codec, repeat, repeat, files, memory, row.memory);
        if (!same) std::fprintf(stderr, "lrx in memory failed\n");
    }
    return same;
}

double MiB(long kib) {
    return static_cast<double>(kib) / 1024.0;
}

void PrintRow(const Row& r, long baselineKiB) {
    std::printf("| %-9s | %9.1f | %6.2f | %6.1f%% | %8.1f | %8.1f | %8.1f | %8.1f |\n",
                r.codec.Label().c_str(), r.packed / kMB, r.raw / r.packed, 100 * r.packed / r.raw,
                r.file.encode, r.file.decode, MiB(r.encodePeakKiB - baselineKiB),
                MiB(r.decodePeakKiB - baselineKiB));
}

void PrintSpeed(const char* label, const Speed& s) {
    std::printf("| %-13s | %8.1f | %8.1f | %12.1f | %12.1f |\n", label, s.encode, s.decode,
                s.encodeCpu, s.decodeCpu);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--child") return ChildMain(argc - 2, argv + 2);

    fs::path dir = DefaultScratchDir("codec");
    double totalMB = 64, bigMB = 200;
    int repeat = 5;
    std::string only;  // codec labels without spaces, e.g. "lrx,zstd-3"; empty: all
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--dir" && i + 1 < argc) {
            dir = argv[++i];
        } else if (arg == "--mb" && i + 1 < argc) {
            totalMB = std::atof(argv[++i]);
        } else if (arg == "--big-mb" && i + 1 < argc) {
            bigMB = std::atof(argv[++i]);
        } else if (arg == "--repeat" && i + 1 < argc) {
            repeat = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--codecs" && i + 1 < argc) {
            only = "," + std::string(argv[++i]) + ",";
        } else if (arg.rfind("--", 0) == 0) {
            std::fprintf(stderr,
                         "usage: codec_bench [--dir DIR] [--mb TOTAL] [--big-mb SIZE] [--repeat "
                         "N] [--codecs lrx,zstd-3,...] [REPLAY...]\n");
            return 2;
        } else {
            files.push_back(fs::absolute(arg).string());
        }
    }
    fs::create_directories(dir);
    std::vector<std::string> generated;
    if (files.empty()) {
        // Different seeds and fields of cars, as a season of races would give.
        const int cars[] = {20, 24, 16, 22};
        for (int i = 0; i < 4; ++i) {
            const std::string path = (dir / ("race" + std::to_string(i + 1) + ".rpl")).string();
            if (WriteRaceReplay(path, static_cast<uint64_t>(i + 1), cars[i], totalMB / 4) < 0)
                return 1;
            files.push_back(path);
            generated.push_back(path);
        }
    }
    double raw = 0;
    for (const std::string& f : files) raw += static_cast<double>(FileSize(f));
    std::printf("%zu replays, %.1f MB in all; MB = 10^6 bytes of replay, memory in MiB\n\n",
                files.size(), raw / kMB);

    const ChildRun baseline = RunChild({"baseline"});
    if (!baseline.ok) return 1;
    std::printf(
        "| codec     | packed MB |  ratio | packed  | enc MB/s | dec MB/s | enc peak | dec peak "
        "|\n");
    std::printf(
        "|-----------|-----------|--------|---------|----------|----------|----------|----------|"
        "\n");
    std::vector<Row> rows;
    bool ok = true;
    for (const FileCodec& codec : ComparedCodecs()) {
        std::string label = codec.Label();
        label.erase(std::remove(label.begin(), label.end(), ' '), label.end());
        if (!only.empty() && only.find("," + label + ",") == std::string::npos) continue;
        Row row;
        if (!Measure(codec, files, repeat, row)) {
            std::printf("| %-9s | failed |\n", codec.Label().c_str());
            ok = false;
            continue;
        }
        PrintRow(row, baseline.peakKiB);
        std::fflush(stdout);
        rows.push_back(row);
    }
    std::printf("\npeak: resident memory of the run beyond a child that does nothing (%.1f MiB)\n",
                MiB(baseline.peakKiB));

    long bigEncode = 0, bigDecode = 0;
    if (bigMB > 0) {
        const std::string big = (dir / "big.rpl").string();
        const int64_t bigSize = WriteRaceReplay(big, 99, 20, bigMB);
        Row row;
        FileCodec lrx;
        FindCodec("lrx", 0, lrx);
        if (bigSize < 0 || !Measure(lrx, {big}, repeat, row)) return 1;
        fs::remove(big);
        bigEncode = row.encodePeakKiB - baseline.peakKiB;
        bigDecode = row.decodePeakKiB - baseline.peakKiB;
        std::printf(
            "\none replay of %.1f MB: lrx encode %.1f MB/s, peak %.2f MiB; decode %.1f MB/s, peak "
            "%.2f MiB\n",
            static_cast<double>(bigSize) / kMB, row.file.encode, MiB(bigEncode), row.file.decode,
            MiB(bigDecode));
    }
    for (const std::string& f : generated) fs::remove(f);

    const auto find = [&](const std::string& label) -> const Row* {
        for (const Row& r : rows) {
            if (r.codec.Label() == label) return &r;
        }
        return nullptr;
    };
    const Row* lrx = find("lrx");
    const Row* zstd = find("zstd -3");
    if (lrx) {
        std::printf(
            "\nlrx, MB/s of replay: best pass by the wall clock and by the CPU time used\n\n");
        std::printf("| lrx           | enc MB/s | dec MB/s | enc CPU MB/s | dec CPU MB/s |\n");
        std::printf("|---------------|----------|----------|--------------|--------------|\n");
        PrintSpeed("file to file", lrx->file);
        PrintSpeed("in memory", lrx->memory);
    }
    std::printf("\ntargets (wall clock):\n");
    if (lrx) {
        const auto target = [](const char* aim, double value, double least) {
            std::printf("  %-29s %s (%.0f)\n", aim, value >= least ? "met" : "MISSED", value);
        };
        const double enc = lrx->file.encode, dec = lrx->file.decode;
        target("encode >= 700 MB/s:", enc, 700);
        target("decode >= 600 MB/s:", dec, 600);
        target("decode >= 700 MB/s in memory:", lrx->memory.decode, 700);
        if (zstd) {
            std::printf("  encode faster than zstd -3:  %s (%.0f vs %.0f)\n",
                        enc > zstd->file.encode ? "met" : "MISSED", enc, zstd->file.encode);
        }
    }
    if (bigMB > 0) {
        // 8 MB, not MiB.
        const bool small = std::max(bigEncode, bigDecode) * 1024 < 8 * 1000 * 1000;
        std::printf("  %.0f MB replay in < 8 MB:    %s (encode %.2f, decode %.2f MiB)\n", bigMB,
                    small ? "met" : "MISSED", MiB(bigEncode), MiB(bigDecode));
    }
    return ok ? 0 : 1;
}
