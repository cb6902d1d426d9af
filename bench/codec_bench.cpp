// Packs and unpacks a set of race replays with the replay codec and with
// general-purpose codecs, file to file as the engine does, and prints one
// table: speed in MB/s of replay bytes, packed ratio, and the peak resident
// memory of each run beyond the program's own footprint. Every run is a
// child process of its own, so its peak is its own.
//
//   codec_bench [--dir DIR] [--mb TOTAL] [--big-mb SIZE] [--codecs lrx,zstd-3,...] [REPLAY...]
//
// Without replays it writes four race replays of TOTAL MB in all (default
// 64) into DIR (default build/<this build>/bench-scratch/codec), plus one
// replay of SIZE MB (default 200; 0 skips it) for the memory check.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

// --child encode|decode NAME LEVEL REPEAT FILE...: the best of REPEAT passes
// over the files; prints seconds, replay bytes and packed bytes.
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
    double best = 1e300, raw = 0, packed = 0;
    for (int pass = 0; pass < repeat; ++pass) {
        raw = packed = 0;
        const Clock::time_point start = Clock::now();
        for (const std::string& file : files) {
            const int64_t size = FileSize(file);
            const bool ok = what == "encode" ? PackFile(codec, file, PackedPath(file, codec))
                                             : UnpackFile(codec, PackedPath(file, codec),
                                                          UnpackedPath(file, codec), size);
            if (!ok) return 1;
            raw += static_cast<double>(size);
        }
        best = std::min(best, SecondsSince(start));
        for (const std::string& file : files)
            packed += static_cast<double>(FileSize(PackedPath(file, codec)));
    }
    ReportToParent({best, raw, packed});
    return 0;
}

struct Row {
    FileCodec codec;
    double raw = 0, packed = 0, encodeSeconds = 0, decodeSeconds = 0;
    long encodePeakKiB = 0, decodePeakKiB = 0;
};

std::vector<std::string> Args(const std::string& what, const FileCodec& codec, int repeat,
                              const std::vector<std::string>& files) {
    std::vector<std::string> args{what, codec.name, std::to_string(codec.level),
                                  std::to_string(repeat)};
    args.insert(args.end(), files.begin(), files.end());
    return args;
}

bool Measure(const FileCodec& codec, const std::vector<std::string>& files, Row& row) {
    row.codec = codec;
    // Fast runs take the best of five passes; slow ones take long enough for
    // one pass to be steady.
    const bool slowEncode = (codec.name == "zlib" && codec.level == 9) || codec.name == "xz" ||
                            codec.name == "bzip2" || (codec.name == "zstd" && codec.level == 19);
    const bool slowDecode = codec.name == "xz" || codec.name == "bzip2";
    const ChildRun encode = RunChild(Args("encode", codec, slowEncode ? 1 : 5, files));
    if (!encode.ok || encode.values.size() != 3) return false;
    const ChildRun decode = RunChild(Args("decode", codec, slowDecode ? 1 : 5, files));
    if (!decode.ok || decode.values.size() != 3) return false;
    row.encodeSeconds = encode.values[0];
    row.raw = encode.values[1];
    row.packed = encode.values[2];
    row.encodePeakKiB = encode.peakKiB;
    row.decodeSeconds = decode.values[0];
    row.decodePeakKiB = decode.peakKiB;
    bool same = true;
    for (const std::string& file : files) {
        same = same && SameContents(file, UnpackedPath(file, codec));
        fs::remove(PackedPath(file, codec));
        fs::remove(UnpackedPath(file, codec));
    }
    if (!same)
        std::fprintf(stderr, "%s: unpacked files differ from the replays\n", codec.Label().c_str());
    return same;
}

double MiB(long kib) {
    return static_cast<double>(kib) / 1024.0;
}

void PrintRow(const Row& r, long baselineKiB) {
    std::printf("| %-9s | %9.1f | %6.2f | %6.1f%% | %8.1f | %8.1f | %8.1f | %8.1f |\n",
                r.codec.Label().c_str(), r.packed / kMB, r.raw / r.packed, 100 * r.packed / r.raw,
                r.raw / kMB / r.encodeSeconds, r.raw / kMB / r.decodeSeconds,
                MiB(r.encodePeakKiB - baselineKiB), MiB(r.decodePeakKiB - baselineKiB));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--child") return ChildMain(argc - 2, argv + 2);

    fs::path dir =
        fs::canonical("/proc/self/exe").parent_path().parent_path() / "bench-scratch" / "codec";
    double totalMB = 64, bigMB = 200;
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
        } else if (arg == "--codecs" && i + 1 < argc) {
            only = "," + std::string(argv[++i]) + ",";
        } else if (arg.rfind("--", 0) == 0) {
            std::fprintf(stderr,
                         "usage: codec_bench [--dir DIR] [--mb TOTAL] [--big-mb SIZE] [--codecs "
                         "lrx,zstd-3,...] [REPLAY...]\n");
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
        if (!Measure(codec, files, row)) {
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
        if (bigSize < 0 || !Measure(lrx, {big}, row)) return 1;
        fs::remove(big);
        bigEncode = row.encodePeakKiB - baseline.peakKiB;
        bigDecode = row.decodePeakKiB - baseline.peakKiB;
        std::printf(
            "\none replay of %.1f MB: lrx encode %.1f MB/s, peak %.2f MiB; decode %.1f MB/s, peak "
            "%.2f MiB\n",
            static_cast<double>(bigSize) / kMB, row.raw / kMB / row.encodeSeconds, MiB(bigEncode),
            row.raw / kMB / row.decodeSeconds, MiB(bigDecode));
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
    std::printf("\ntargets:\n");
    if (lrx) {
        const double enc = lrx->raw / kMB / lrx->encodeSeconds;
        const double dec = lrx->raw / kMB / lrx->decodeSeconds;
        std::printf("  encode >= 300 MB/s:          %s (%.0f)\n", enc >= 300 ? "met" : "MISSED",
                    enc);
        std::printf("  decode >= 300 MB/s:          %s (%.0f)\n", dec >= 300 ? "met" : "MISSED",
                    dec);
        if (zstd) {
            std::printf("  encode faster than zstd -3:  %s (%.0f vs %.0f)\n",
                        lrx->encodeSeconds < zstd->encodeSeconds ? "met" : "MISSED", enc,
                        zstd->raw / kMB / zstd->encodeSeconds);
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
