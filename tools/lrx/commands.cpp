#include "commands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "entry_codec.h"
#include "file_stream.h"
#include "interrupt.h"
#include "listing.h"
#include "lrxpack.h"
#include "progress_display.h"
#include "replay_check.h"
#include "terminal.h"

namespace lrx::cli {
namespace {

int Report(const std::string& archive, int code) {
    std::fprintf(stderr, "lrx: %s: %s\n", archive.c_str(), fUwu(code));
    return code;
}

char* Text(const std::string& s) {
    return const_cast<char*>(s.c_str());
}

struct Listing {
    TFileInfoList* head = nullptr;
    ~Listing() { AGGa(&head); }
};

#ifdef _WIN32
constexpr char kSeparator = '\\';
constexpr const char* kNullDevice = "NUL";
#else
constexpr char kSeparator = '/';
constexpr const char* kNullDevice = "/dev/null";
#endif

std::string AsFolder(std::string path) {
    if (path.back() != '/' && path.back() != '\\') path += kSeparator;
    return path;
}

}  // namespace

int RunList(const Options& options) {
    Listing listing;
    const int result = wG4h(&listing.head, Text(options.archive));
    if (result != LRX_OK) return Report(options.archive, result);
    std::vector<Entry> entries = EntriesOf(listing.head);
    SortEntries(entries, options.sortKey, options.reverse);
    const std::string text = options.json ? FormatJson(entries) : FormatTable(entries);
    std::fputs(text.c_str(), stdout);
    return 0;
}

int RunAdd(const Options& options) {
    InstallInterruptHandler();
    HostWindow window;
    window.SetMailboxText("0");
    ProgressDisplay display(window, !options.quiet && IsTerminal(stderr));
    for (const std::string& replay : options.names) {
        if (InterruptRequested()) return Report(options.archive, LRX_ABORTED);
        const ModelCheck check = CheckReplayFollowsModel(replay);
        if (check == ModelCheck::Differs) {
            display.Clear();
            if (options.strict) {
                std::fprintf(stderr,
                             "lrx: %s: would not come back byte for byte; not added (--strict)\n",
                             replay.c_str());
                return LRX_READING_POSITION_DATA;
            }
            std::fprintf(stderr, "lrx: warning: %s: extraction will not give back the same bytes\n",
                         replay.c_str());
        }
        const int result = sJTU(Text(options.archive), Text(replay), window.handle(), options.move);
        display.Clear();
        if (result != LRX_OK) return Report(options.archive, result);
        window.SetMailboxText("0");
    }
    return 0;
}

int RunDelete(const Options& options) {
    std::vector<char*> names;
    for (const std::string& name : options.names) names.push_back(Text(name));
    const int result = zTOR(Text(options.archive), static_cast<int>(names.size()), names.data());
    if (result == LRX_REMOVED_EMPTY_ARCHIVE) {
        if (!options.quiet) std::printf("lrx: %s: %s\n", options.archive.c_str(), fUwu(result));
        return 0;
    }
    return result == LRX_OK ? 0 : Report(options.archive, result);
}

int RunExtract(const Options& options) {
    InstallInterruptHandler();
    HostWindow window;
    window.SetMailboxText("0");
    ProgressDisplay display(window, !options.quiet && IsTerminal(stderr));
    // The engine prints a line per entry; on a shared terminal it waits for the bar.
    if (IsTerminal(stdout)) display.HoldBackWhileDrawing(stdout);
    int mode = 2;
    if (options.overwrite == OverwritePolicy::Skip) mode = 1;
    if (options.overwrite == OverwritePolicy::Ask) {
        if (IsTerminal(stdin)) {
            mode = 3;
            display.SetAsk(
                [](const std::string& path) { return AskOnTerminal(path, stdin, stderr); });
        } else {
            mode = 1;
            std::fprintf(stderr, "lrx: no terminal to ask on: existing files are skipped\n");
        }
    }
    std::vector<char*> names;
    for (const std::string& name : options.names) names.push_back(Text(name));
    names.push_back(nullptr);
    const std::string folder = AsFolder(options.destination);
    const int result =
        MFqc(Text(options.archive), Text(folder), mode, window.handle(), options.names.empty(),
             static_cast<int>(options.names.size()), names.data());
    display.Clear();
    return result == LRX_OK ? 0 : Report(options.archive, result);
}

int RunTest(const Options& options) {
    Listing listing;
    int result = wG4h(&listing.head, Text(options.archive));
    if (result != LRX_OK) return Report(options.archive, result);
    FileStream archive(options.archive.c_str(), "rb");
    if (!archive.IsOpen()) return Report(options.archive, LRX_OPENING_ARCHIVE);
    int firstFailure = 0, failures = 0, entries = 0;
    for (const TFileInfoList* node = listing.head; node; node = node->next) {
        ++entries;
        FileStream sink(kNullDevice, "wb");
        result = archive.Seek(node->offset) && sink.IsOpen()
                     ? DecodeEntry(archive.get(), sink.get(), node->info->rawSize, Mailbox())
                     : LRX_READING_HEADER;
        if (result == LRX_OK) {
            std::printf("%-13s OK\n", node->info->name);
        } else {
            std::printf("%-13s FAILED: %s\n", node->info->name, fUwu(result));
            if (++failures == 1) firstFailure = result;
        }
    }
    std::printf("%d %s tested, %d failed\n", entries, entries == 1 ? "entry" : "entries", failures);
    return firstFailure;
}

}  // namespace lrx::cli
