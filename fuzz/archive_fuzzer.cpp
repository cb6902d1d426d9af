// An archive of arbitrary bytes, listed and then extracted in full (overwrite
// mode 2, no window) into a scratch folder. Nothing may crash, the listing
// must stay inside the file, the archive must stay as it was, the destination
// folder may only gain plain files named like listed entries (no temporary
// file left behind), and nothing may appear anywhere else in the scratch tree.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <system_error>

#include "entry_name.h"
#include "fuzz_support.h"
#include "lrxpack.h"

using namespace lrx;
namespace fs = std::filesystem;

namespace {

// base/root/in/archive.lrx is the archive and base/root/out/ the destination.
// Stored names like "../x" would land in root or base, so both are watched.
struct Scratch {
    fs::path base, root, in, out, archive;
};

const Scratch& TheScratch() {
    static const Scratch scratch = [] {
        // The engine flushes every file to disk; a memory file system keeps
        // that cheap. Extraction prints progress lines nobody needs here.
        const std::string pattern = fuzz::MakeScratchFolder("lrx-archive-fuzz");
        Scratch s;
        s.base = pattern;
        s.root = s.base / "root";
        s.in = s.root / "in";
        s.out = s.root / "out";
        s.archive = s.in / "archive.lrx";
        fs::create_directories(s.in);
        fs::create_directories(s.out);
        fuzz::Check(std::freopen("/dev/null", "w", stdout) != nullptr, "cannot silence stdout");
        std::atexit([] { fs::remove_all(TheScratch().base); });
        return s;
    }();
    return scratch;
}

std::set<std::string> NamesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

fuzz::Bytes ReadAll(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return fuzz::Bytes{std::istreambuf_iterator<char>(file), {}};
}

// Checks what the listing promises and returns the listed names.
std::set<std::string> CheckListing(const TFileInfoList* head, int64_t archiveSize) {
    std::set<std::string> names;
    for (const TFileInfoList* node = head; node; node = node->next) {
        const TFileInfo& info = *node->info;
        fuzz::Check(std::memchr(info.name, '\0', sizeof info.name) != nullptr,
                    "listed name is not terminated");
        fuzz::Check(info.packedSize >= 0, "listed packed size is negative");
        fuzz::Check(int64_t{node->offset} + info.packedSize + 32 <= archiveSize,
                    "listed entry runs past the end of the archive");
        names.insert(info.name);
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Scratch& s = TheScratch();
    {
        std::ofstream file(s.archive, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        fuzz::Check(file.good(), "cannot write the archive");
    }
    std::string archive = s.archive.string();
    std::string folder = s.out.string() + "/";

    TFileInfoList* head = nullptr;
    const int listed = wG4h(&head, archive.data());
    fuzz::Check(listed == LRX_OK || listed == LRX_READING_FILE_HEADER ||
                    listed == LRX_READING_FILE_INFO || listed == LRX_VERSION_MISMATCH,
                "listing returned an unexpected code");
    const std::set<std::string> listedNames = CheckListing(head, static_cast<int64_t>(size));
    AGGa(&head);
    fuzz::Check(head == nullptr, "freeing left the head set");

    int mode = 2;
    const int extracted = MFqc(archive.data(), folder.data(), mode, nullptr, true, 0, nullptr);
    fuzz::Check(extracted >= LRX_OK && extracted <= LRX_LAST_RESULT && extracted != LRX_ABORTED,
                "extraction returned an unexpected code");
    fuzz::Check(mode == 2, "extraction changed overwrite mode 2");

    fuzz::Check(NamesIn(s.base) == std::set<std::string>{"root"}, "a file appeared beside root");
    fuzz::Check(NamesIn(s.root) == std::set<std::string>{"in", "out"},
                "a file appeared beside the destination folder");
    fuzz::Check(NamesIn(s.in) == std::set<std::string>{"archive.lrx"},
                "a file appeared beside the archive");
    const fuzz::Bytes after = ReadAll(s.archive);
    fuzz::Check(after.size() == size && std::equal(after.begin(), after.end(), data),
                "extraction changed the archive");
    for (const auto& entry : fs::directory_iterator(s.out)) {
        const std::string name = entry.path().filename().string();
        fuzz::Check(entry.is_regular_file() && !entry.is_symlink(),
                    "extraction made something other than a plain file");
        fuzz::Check(IsSafeEntryName(name.c_str()), "extraction wrote an unsafe name");
        // Temporary files have names of their own, so they show up here too.
        fuzz::Check(listedNames.count(name) == 1, "extraction left a file of no listed name");
    }
    // The next input starts from an empty destination.
    for (const auto& entry : fs::directory_iterator(s.out)) fs::remove_all(entry.path());
    return 0;
}
