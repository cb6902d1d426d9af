// Writes the seed corpus of the fuzz targets into FOLDER/{encode,decode,archive}:
// small replays of every generator profile, their packed forms, and archives
// made by the engine (plus a few with damaged records).
// Usage: make_fuzz_corpus FOLDER
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "byte_order.h"
#include "codec.h"
#include "file_stream.h"
#include "lrxpack.h"
#include "replay_generator.h"

using namespace lrx;
namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

namespace {

void WriteFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes{std::istreambuf_iterator<char>(file), {}};
}

Bytes Pack(const fs::path& replayPath) {
    const fs::path packedPath = replayPath.string() + ".pak";
    {
        FileStream replay(replayPath.c_str(), "rb");
        FileStream packed(packedPath.c_str(), "wb");
        codec::CodecContext context;
        lrx::ProgressSink progress;
        int64_t packedSize = 0;
        if (codec::EncodeReplay(context, replay.get(), packed.get(), progress, packedSize) != 0) {
            std::fprintf(stderr, "cannot pack %s\n", replayPath.c_str());
            std::exit(1);
        }
    }
    return ReadFile(packedPath);
}

struct Seed {
    const char* name;
    replaygen::Profile profile;
    uint64_t seed;
    int cars;
    int frames;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_corpus FOLDER\n");
        return 2;
    }
    const fs::path corpus = argv[1];
    const fs::path work = fs::temp_directory_path() / "lrx-make-corpus";
    fs::remove_all(work);
    for (const char* part : {"encode", "decode", "archive"}) fs::create_directories(corpus / part);
    fs::create_directories(work);

    using replaygen::Profile;
    // Edge seeds 0 to 7 cover its four header shapes, both slot bases and its
    // car counts; few frames keep every file a few KB.
    const std::vector<Seed> seeds = {
        {"tiny0", Profile::Tiny, 0, -1, -1}, {"tiny1", Profile::Tiny, 1, -1, -1},
        {"tiny3", Profile::Tiny, 3, -1, -1}, {"tiny4", Profile::Tiny, 4, -1, 6},
        {"edge0", Profile::Edge, 0, -1, 8},  {"edge1", Profile::Edge, 1, -1, 8},
        {"edge2", Profile::Edge, 2, 7, 8},   {"edge3", Profile::Edge, 3, -1, 8},
        {"edge4", Profile::Edge, 4, -1, 8},  {"edge5", Profile::Edge, 5, -1, 8},
        {"edge6", Profile::Edge, 6, 3, 8},   {"edge7", Profile::Edge, 7, -1, 8},
        {"race6", Profile::Race, 1, 6, 12},  {"race20", Profile::Race, 2, 20, 6},
    };
    std::vector<fs::path> replays;
    for (const Seed& s : seeds) {
        replaygen::GeneratorOptions options;
        options.profile = s.profile;
        options.seed = s.seed;
        options.cars = s.cars;
        options.frames = s.frames;
        const Bytes replay = replaygen::GenerateReplay(options);
        const fs::path path = work / (std::string(s.name) + ".rpl");
        WriteFile(path, replay);
        replays.push_back(path);
        WriteFile(corpus / "encode" / s.name, replay);

        // The decoder's input: rawSize as a record holds it, then the packed data.
        Bytes entry(4);
        StoreU32(entry.data(), static_cast<uint32_t>(replay.size()));
        const Bytes packed = Pack(path);
        entry.insert(entry.end(), packed.begin(), packed.end());
        WriteFile(corpus / "decode" / s.name, entry);
    }

    std::string archive = (work / "a.lrx").string();
    const auto add = [&](const fs::path& replay) {
        std::string path = replay.string();
        if (sJTU(archive.data(), path.data(), nullptr, false) != 0) {
            std::fprintf(stderr, "cannot add %s\n", path.c_str());
            std::exit(1);
        }
    };
    add(replays[0]);  // tiny0: one entry
    const Bytes one = ReadFile(archive);
    WriteFile(corpus / "archive" / "one-entry", one);
    add(replays[2]);
    add(replays[5]);
    add(replays[12]);
    WriteFile(corpus / "archive" / "four-entries", ReadFile(archive));
    WriteFile(corpus / "archive" / "header-only", Bytes(one.begin(), one.begin() + 12));

    // Stored names that must never become paths.
    const std::pair<const char*, const char*> badNames[] = {
        {"name-up", "../up.rpl"}, {"name-dotdot", ".."}, {"name-slash", "a/b.rpl"}};
    for (const auto& [file, name] : badNames) {
        Bytes damaged = one;
        unsigned char* record = damaged.data() + damaged.size() - 32;
        std::fill(record, record + 14, 0);
        std::copy(name, name + std::strlen(name), record);
        WriteFile(corpus / "archive" / file, damaged);
    }
    fs::remove_all(work);
    return 0;
}
