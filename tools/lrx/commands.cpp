#include "commands.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "archive_lock.h"
#include "archive_ops.h"
#include "entry_codec.h"
#include "entry_name.h"
#include "failure_report.h"
#include "interrupt.h"
#include "listing.h"
#include "lrxpack.h"
#include "lrxpack_api.h"
#include "mailbox_sink.h"
#include "name_text.h"
#include "path_facts.h"
#include "progress_display.h"
#include "replay_batch.h"
#include "replay_check.h"
#include "temp_file.h"
#include "terminal.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace lrx::cli {
namespace {

char* Text(const std::string& s) {
    return const_cast<char*>(s.c_str());
}

#ifdef _WIN32
constexpr char kSeparator = '\\';
constexpr const char* kNullDevice = "NUL";
#else
constexpr char kSeparator = '/';
constexpr const char* kNullDevice = "/dev/null";
#endif

std::string AsFolder(std::string path) {
    if (path.back() != '/' && path.back() != kSeparator) path += kSeparator;
    return path;
}

// Lists the archive as add, delete and extract do before their work, with
// their codes: 17 cannot open, 14 short or damaged, 16 a version not 100;
// for a rewrite also 15, entries that do not cover the archive.
int ListAsOperationsDo(const std::string& archive, OwnedListing& listing, bool rewrite = false) {
    const int result = CheckArchiveVersion(archive.c_str(), LRX_OPENING_ARCHIVE);
    if (result != LRX_OK) return result;
    Failure ignored;
    if (rewrite) return ListForRewrite(archive, listing, ignored);
    return wG4h(&listing.head, Text(archive)) == LRX_OK ? LRX_OK : LRX_READING_FILE_HEADER;
}

// Warns of each name that matches no entry; returns how many did not.
std::size_t WarnUnmatched(const std::string& archive, const std::vector<std::string>& names,
                          const TFileInfoList* head) {
    std::size_t unmatched = 0;
    for (const std::string& name : names) {
        bool found = false;
        for (const TFileInfoList* node = head; node && !found; node = node->next) {
            found = SameEntryName(node->info->name, name.c_str());
        }
        if (!found) {
            std::fprintf(stderr, "lrx: %s: no entry named %s\n", archive.c_str(),
                         PrintableName(name).c_str());
            ++unmatched;
        }
    }
    return unmatched;
}

// Takes the archive's lock for add and delete: 0, or the status to end with.
int LockArchive(ArchiveLock& lock, const Options& options) {
    const char* archive = options.archive.c_str();
    const auto outcome = lock.Acquire(options.archive, !options.noWait, [&] {
        if (!options.quiet) {
            std::fprintf(stderr, "lrx: %s: waiting for another lrx to finish changing it...\n",
                         archive);
        }
    });
    switch (outcome) {
        case ArchiveLock::Outcome::Locked:
            return 0;
        case ArchiveLock::Outcome::Unlocked:
            // Two adds creating one archive cannot both succeed: the later
            // one fails rather than replace the other's.
            std::fprintf(stderr, "lrx: %s: warning: cannot lock the archive: %s; %s\n", archive,
                         lock.why().c_str(),
                         PathExists(ResolveLinks(options.archive))
                             ? "another lrx changing it at the same time could undo this change"
                             : "should another lrx create it at the same time, the later of the "
                               "two stops and changes nothing");
            return 0;
        case ArchiveLock::Outcome::Busy:
            std::fprintf(stderr, "lrx: %s: another lrx is changing this archive (--no-wait)\n",
                         archive);
            return kArchiveBusy;
        case ArchiveLock::Outcome::Interrupted:
            break;
    }
    std::fprintf(stderr, "lrx: %s: stopped while waiting; nothing changed\n", archive);
    return LRX_ABORTED;
}

// Sends standard output to the null device while quiet, so the engine's own
// lines ("Extracting ... Done.") stay out of it.
class SilencedStdout {
  public:
    explicit SilencedStdout(bool silence) {
        if (!silence) return;
        std::fflush(stdout);
#ifdef _WIN32
        const int null = _open(kNullDevice, _O_WRONLY);
        saved_ = null < 0 ? -1 : _dup(1);
        if (saved_ >= 0) _dup2(null, 1);
        if (null >= 0) _close(null);
#else
        const int null = open(kNullDevice, O_WRONLY | O_CLOEXEC);
        saved_ = null < 0 ? -1 : dup(1);
        if (saved_ >= 0) dup2(null, 1);
        if (null >= 0) close(null);
#endif
    }
    ~SilencedStdout() {
        if (saved_ < 0) return;
        std::fflush(stdout);
#ifdef _WIN32
        _dup2(saved_, 1);
        _close(saved_);
#else
        dup2(saved_, 1);
        close(saved_);
#endif
    }
    SilencedStdout(const SilencedStdout&) = delete;
    SilencedStdout& operator=(const SilencedStdout&) = delete;

  private:
    int saved_ = -1;
};

unsigned JobCount(const Options& options) {
    if (options.jobs > 0) return options.jobs;
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? cores : 1;
}

// Whether each replay would come back byte for byte, checked on jobs threads.
// An interrupt leaves the rest unchecked: the add stops before using them.
std::vector<ModelCheck> CheckModels(const std::vector<std::string>& replays, unsigned jobs) {
    std::vector<ModelCheck> checks(replays.size(), ModelCheck::Follows);
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i; !InterruptRequested() && (i = next++) < replays.size();) {
            checks[i] = CheckReplayFollowsModel(replays[i]);
        }
    };
    std::vector<std::thread> workers;
    for (unsigned j = 1; j < jobs && j < replays.size(); ++j) workers.emplace_back(work);
    work();
    for (std::thread& worker : workers) worker.join();
    return checks;
}

// The destinations of the listed entries that have content now.
std::set<std::string> FilledDestinations(const TFileInfoList* head, const std::string& folder) {
    std::set<std::string> filled;
    for (const TFileInfoList* node = head; node; node = node->next) {
        const std::string path = folder + node->info->name;
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error) &&
            std::filesystem::file_size(path, error) > 0 && !error) {
            filled.insert(path);
        }
    }
    return filled;
}

int ExtractToStdout(const Options& options) {
    InstallInterruptHandler();
    FailureScene scene{Operation::Extract, options.archive};
    if (IsTerminal(stdout)) {
        std::fprintf(stderr, "lrx: not writing a replay to a terminal; redirect or pipe it\n");
        return kUsageError;
    }
    OwnedListing listing;
    int result = ListAsOperationsDo(options.archive, listing);
    if (result != LRX_OK) return ReportFailure(scene, result);
    if (WarnUnmatched(options.archive, options.names, listing.head) > 0) return kNamesUnmatched;
    const TFileInfoList* node = listing.head;
    while (!SameEntryName(node->info->name, options.names[0].c_str())) node = node->next;
    FileStream archive(options.archive.c_str(), "rb");
    if (!archive.IsOpen() || !archive.Seek(node->offset)) {
        return ReportFailure(scene, LRX_OPENING_ARCHIVE);
    }
#ifdef _WIN32
    _setmode(1, _O_BINARY);
#endif
    HostWindow window;
    window.SetMailboxText("0");
    ProgressDisplay display(window, !options.quiet && IsTerminal(stderr));
    MailboxSink sink(window.handle());
    OperationContext ctx(sink, LRX_CALL_EXTRACT);
    scene.entry = node->info->name;
    ctx.progress.Enter(Stage::Extracting, node->info->name);
    errno = 0;
    result = DecodeEntry(ctx.codec, archive.get(), stdout, node->info->rawSize, ctx.progress);
    if (result == LRX_OK && std::fflush(stdout) != 0) result = LRX_WRITING_POSITION_DATA;
    scene.systemError = errno;
    display.Clear();
    if (result != LRX_OK) {
        scene.destination = "(standard output) ";
        return ReportFailure(scene, result);
    }
    return 0;
}

}  // namespace

int RunList(const Options& options) {
    OwnedListing listing;
    FailureScene scene{Operation::List, options.archive};
    errno = 0;
    const int result = wG4h(&listing.head, Text(options.archive));
    scene.systemError = errno;
    if (result != LRX_OK) return ReportFailure(scene, result);
    std::vector<Entry> entries = EntriesOf(listing.head);
    SortEntries(entries, options.sortKey, options.reverse);
    const std::string text = options.json ? FormatJson(entries) : FormatTable(entries);
    std::fputs(text.c_str(), stdout);
    return 0;
}

int RunAdd(const Options& options) {
    InstallInterruptHandler();
    ArchiveLock lock;
    if (const int status = LockArchive(lock, options)) return status;
    FailureScene scene{Operation::Add, options.archive};
    const std::vector<ModelCheck> checks = CheckModels(options.names, JobCount(options));
    std::vector<ReplayToAdd> replays;
    for (std::size_t i = 0; i < options.names.size(); ++i) {
        const std::string& replay = options.names[i];
        scene.replay = replay;
        if (InterruptRequested()) return ReportFailure(scene, LRX_ABORTED);
        bool move = options.move;
        if (checks[i] == ModelCheck::Differs) {
            if (options.strict) {
                std::fprintf(stderr,
                             "lrx: %s: would not come back byte for byte; not added (--strict)\n",
                             replay.c_str());
                return kNotExact;
            }
            // With --move the original would be the only exact copy: keep it.
            std::fprintf(stderr,
                         "lrx: warning: %s: extraction will not give back the same bytes%s\n",
                         replay.c_str(), move ? "; the original is kept despite --move" : "");
            move = false;
        }
        replays.push_back({replay, move});
    }
    const std::vector<bool> superseded = SupersededReplays(replays);
    for (std::size_t i = 0; i < replays.size(); ++i) {
        if (!superseded[i]) continue;
        std::fprintf(stderr,
                     "lrx: warning: %s: named again later in the list; the later one is added%s\n",
                     replays[i].path.c_str(), replays[i].move ? " and this one kept" : "");
    }
    HostWindow window;
    window.SetMailboxText("0");
    ProgressDisplay display(window, !options.quiet && IsTerminal(stderr));
    MailboxSink sink(window.handle());
    OperationContext ctx(sink, LRX_CALL_ADD);
    const int result = AddReplays(ctx, options.archive, replays, JobCount(options));
    const std::size_t failed = ctx.failure.item;
    scene.systemError = ctx.failure.systemError;
    display.Clear();
    scene.replay = failed == kNoReplay ? replays.back().path : replays[failed].path;
    if (result != LRX_OK) ReportFailure(scene, result);
    // Removing stops at the first replay that cannot be removed: the later
    // ones are stored and kept as well.
    for (std::size_t i = failed + 1; result == LRX_DELETING_MOVED_REPLAY && i < replays.size();
         ++i) {
        if (!replays[i].move || superseded[i]) continue;
        std::fprintf(stderr, "lrx: %s: stored, but kept: --move stopped at %s\n",
                     replays[i].path.c_str(), replays[failed].path.c_str());
    }
    return result;
}

int RunDelete(const Options& options) {
    InstallInterruptHandler();
    ArchiveLock lock;
    if (const int status = LockArchive(lock, options)) return status;
    FailureScene scene{Operation::Delete, options.archive};
    std::size_t unmatched = 0;
    OwnedListing listing;
    const int listed = ListAsOperationsDo(options.archive, listing, true);
    // Damage first: the names were looked for in only part of the archive.
    if (listed == LRX_READING_FILE_INFO) return ReportFailure(scene, listed);
    if (listed == LRX_OK) {
        unmatched = WarnUnmatched(options.archive, options.names, listing.head);
        // Nothing to delete: leave the archive alone.
        if (unmatched == options.names.size()) return kNamesUnmatched;
    }
    std::vector<char*> names;
    for (const std::string& name : options.names) names.push_back(Text(name));
    HostWindow window;
    window.SetMailboxText("0");
    ProgressDisplay display(window, !options.quiet && IsTerminal(stderr));
    MailboxSink sink(window.handle());
    OperationContext ctx(sink, LRX_CALL_DELETE);
    const int result =
        DeleteEntries(ctx, options.archive.c_str(), static_cast<int>(names.size()), names.data());
    scene.systemError = ctx.failure.systemError;
    display.Clear();
    if (result == LRX_REMOVED_EMPTY_ARCHIVE) {
        if (!options.quiet) std::printf("lrx: %s: %s\n", options.archive.c_str(), fUwu(result));
    } else if (result != LRX_OK) {
        return ReportFailure(scene, result);
    }
    return unmatched > 0 ? kNamesUnmatched : 0;
}

int RunExtract(const Options& options) {
    if (options.toStdout) return ExtractToStdout(options);
    InstallInterruptHandler();
    FailureScene scene{Operation::Extract, options.archive};
    scene.destination = AsFolder(options.destination);
    std::size_t unmatched = 0;
    OwnedListing listing;
    if (ListAsOperationsDo(options.archive, listing) == LRX_OK) {
        unmatched = WarnUnmatched(options.archive, options.names, listing.head);
        if (unmatched > 0 && unmatched == options.names.size()) return kNamesUnmatched;
        std::error_code error;
        if (!IsFolder(options.destination) &&
            !std::filesystem::create_directories(options.destination, error) && error) {
            std::fprintf(stderr, "lrx: %s: cannot create folder: %s\n", options.destination.c_str(),
                         error.message().c_str());
            return LRX_CREATING_REPLAY_FILE;
        }
    }

    HostWindow window;
    window.SetMailboxText("0");
    ProgressDisplay display(window, !options.quiet && IsTerminal(stderr));
    SilencedStdout silenced(options.quiet);
    // The engine prints a line per entry; on a shared terminal it waits for the bar.
    if (!options.quiet && IsTerminal(stdout)) display.HoldBackWhileDrawing(stdout);
    // Ask is always asked through the window: without a terminal every
    // question is answered no, and the skipped files are counted. A question
    // about a file that had no content before is about a name stored twice,
    // whose first copy this run extracted.
    const bool canAsk = IsTerminal(stdin);
    int mode = options.overwrite == OverwritePolicy::Skip     ? 1
               : options.overwrite == OverwritePolicy::Always ? 2
                                                              : 3;
    std::set<std::string> filledBefore;
    std::vector<std::string> unasked;
    if (canAsk) {
        display.SetAsk([](const std::string& path) { return AskOnTerminal(path, stdin, stderr); });
    } else if (mode == 3) {
        filledBefore = FilledDestinations(listing.head, scene.destination);
        display.SetAsk([&](const std::string& path) {
            unasked.push_back(path);
            return Answer::No;
        });
    }
    std::vector<char*> names;
    for (const std::string& name : options.names) names.push_back(Text(name));
    names.push_back(nullptr);
    const std::string folder = scene.destination;
    MailboxSink sink(window.handle());
    OperationContext ctx(sink, LRX_CALL_EXTRACT);
    const int result =
        ExtractEntries(ctx, options.archive.c_str(), folder, mode, options.names.empty(),
                       static_cast<int>(options.names.size()), names.data(), JobCount(options));
    scene.systemError = ctx.failure.systemError;
    display.Clear();
    std::set<std::string> existing, twice;
    for (const std::string& path : unasked) {
        if (filledBefore.count(path) > 0) {
            existing.insert(path);
        } else if (twice.insert(path).second) {
            std::fprintf(stderr,
                         "lrx: %s: %s is stored more than once; only the first copy was "
                         "extracted (no terminal to ask about the others)\n",
                         options.archive.c_str(),
                         PrintableName(path.substr(folder.size())).c_str());
        }
    }
    if (!existing.empty()) {
        std::fprintf(stderr,
                     "lrx: %s: %zu existing %s not overwritten: no terminal to ask on "
                     "(use --overwrite always to replace them)\n",
                     options.destination.c_str(), existing.size(),
                     existing.size() == 1 ? "file" : "files");
    }
    if (result != LRX_OK) {
        scene.entry = ctx.failure.entry;
        return ReportFailure(scene, result);
    }
    return unmatched > 0 ? kNamesUnmatched : 0;
}

}  // namespace lrx::cli
