// replaygen: writes a synthetic replay file.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "replay_generator.h"

namespace {

void PrintUsage(std::FILE* to) {
    std::fputs(
        "usage: replaygen [--profile NAME] [--seed N] [--cars N] [--frames N] OUT.rpl\n"
        "Writes a replay that packs and unpacks to the same bytes; the same options\n"
        "give the same file on every platform.\n"
        "  --profile NAME  race, edge or tiny (below)\n"
        "  --seed N        any 64-bit number (default 1)\n"
        "  --cars N        car slots, 0 to 63 (default: the profile's)\n"
        "  --frames N      frames (default: the profile's)\n"
        "profiles:\n",
        to);
    std::fputs(lrx::replaygen::ProfileDescriptions(), to);
}

bool ParseNumber(const char* text, unsigned long long max, unsigned long long& value) {
    if (!text || !*text || *text == '-') return false;
    char* end = nullptr;
    value = std::strtoull(text, &end, 0);
    return *end == '\0' && value <= max;
}

}  // namespace

int main(int argc, char** argv) {
    lrx::replaygen::GeneratorOptions options;
    const char* outPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        unsigned long long number = 0;
        if (arg == "--help" || arg == "-h") {
            PrintUsage(stdout);
            return 0;
        } else if (arg == "--profile") {
            if (!next || !lrx::replaygen::ParseProfile(next, options.profile)) {
                std::fprintf(stderr, "replaygen: unknown profile '%s'\n", next ? next : "");
                return 2;
            }
            ++i;
        } else if (arg == "--seed" && ParseNumber(next, ~0ull, number)) {
            options.seed = number;
            ++i;
        } else if (arg == "--cars" && ParseNumber(next, 63, number)) {
            options.cars = static_cast<int>(number);
            ++i;
        } else if (arg == "--frames" && ParseNumber(next, 10000000, number)) {
            options.frames = static_cast<int>(number);
            ++i;
        } else if (arg == "--seed" || arg == "--cars" || arg == "--frames") {
            std::fprintf(stderr, "replaygen: %s needs a number%s\n", argv[i],
                         arg == "--cars" ? " from 0 to 63" : "");
            return 2;
        } else if (arg.rfind("--", 0) != 0 && !outPath) {
            outPath = argv[i];
        } else {
            std::fprintf(stderr, "replaygen: bad argument '%s'\n", argv[i]);
            PrintUsage(stderr);
            return 2;
        }
    }
    if (!outPath) {
        PrintUsage(stderr);
        return 2;
    }
    const std::vector<unsigned char> replay = lrx::replaygen::GenerateReplay(options);
    std::FILE* out = std::fopen(outPath, "wb");
    if (!out) {
        std::fprintf(stderr, "replaygen: cannot create %s\n", outPath);
        return 1;
    }
    const bool written = std::fwrite(replay.data(), 1, replay.size(), out) == replay.size();
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "replaygen: cannot write %s\n", outPath);
        return 1;
    }
    return 0;
}
