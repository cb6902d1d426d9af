#include "commands.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "archive_lock.h"
#include "entry_name.h"
#include "interrupt.h"
#include "listing.h"
#include "lrxpack_api.h"
#include "name_text.h"
#include "parallel_each.h"
#include "path_facts.h"
#include "progress_display.h"
#include "temp_file.h"
#include "terminal.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace lrx::cli {
namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

std::string AsFolder(std::string path) {
    if (path.back() != '/' && path.back() != kSeparator) path += kSeparator;
    return path;
}

std::string MessageOf(const lrx_failure& failure) {
    std::string message(lrx_failure_message(&failure, nullptr, 0), '\0');
    lrx_failure_message(&failure, message.data(), message.size() + 1);
    return message;
}

std::vector<const char*> Pointers(const std::vector<std::string>& texts) {
    std::vector<const char*> pointers;
    for (const std::string& text : texts) pointers.push_back(text.c_str());
    return pointers;
}

// An archive's entries as the engine lists them; none when it cannot be
// listed (the operation that follows says why).
struct Listing {
    std::unique_ptr<lrx_entry, decltype(&lrx_free)> entries{nullptr, &lrx_free};
    std::size_t count = 0;
    bool listed = false;

    explicit Listing(const std::string& archive) {
        lrx_entry* list = nullptr;
        lrx_failure ignored;
        listed = lrx_list(archive.c_str(), &list, &count, &ignored) == LRX_OK;
        entries.reset(list);
    }
    bool Has(const std::string& name) const {
        for (std::size_t i = 0; i < count; ++i) {
            if (SameEntryName(entries.get()[i].name, name.c_str())) return true;
        }
        return false;
    }
};

// Warns of each name that matches no entry; returns how many did not.
std::size_t WarnUnmatched(const std::string& archive, const std::vector<std::string>& names,
                          const Listing& listing) {
    std::size_t unmatched = 0;
    for (const std::string& name : names) {
        if (listing.Has(name)) continue;
        std::fprintf(stderr, "lrx: %s: no entry named %s\n", archive.c_str(),
                     PrintableName(name).c_str());
        ++unmatched;
    }
    return unmatched;
}

// Reports a stop that came before the engine was called, as the engine
// reports its own.
int ReportStop(const std::string& archive, int call) {
    lrx_failure failure{};
    failure.code = LRX_ABORTED;
    failure.call = call;
    std::snprintf(failure.path, sizeof failure.path, "%s", archive.c_str());
    return ReportFailure(failure);
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

unsigned JobCount(const Options& options) {
    if (options.jobs > 0) return options.jobs;
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? cores : 1;
}

// Whether each replay would come back byte for byte (lrx_check_replay's
// code), checked on jobs threads. An interrupt leaves the rest unchecked: the
// add stops before using them.
std::vector<int> CheckReplays(const std::vector<std::string>& replays, unsigned jobs) {
    std::vector<int> checks(replays.size(), LRX_OK);
    ForEachOnThreads(
        replays.size(), jobs,
        [&](std::size_t i) {
            lrx_failure ignored;
            checks[i] = lrx_check_replay(replays[i].c_str(), &ignored);
        },
        InterruptRequested);
    return checks;
}

// The destinations of the listed entries that have content now.
std::set<std::string> FilledDestinations(const Listing& listing, const std::string& folder) {
    std::set<std::string> filled;
    for (std::size_t i = 0; i < listing.count; ++i) {
        const std::string path = folder + listing.entries.get()[i].name;
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error) &&
            std::filesystem::file_size(path, error) > 0 && !error) {
            filled.insert(path);
        }
    }
    return filled;
}

// Standard output as the writer of lrx_read_stream, remembering a failed write.
struct StdoutWriter {
    bool failed = false;

    static int Write(void* user, const unsigned char* bytes, std::size_t size) {
        errno = 0;
        if (std::fwrite(bytes, 1, size, stdout) == size) return 0;
        static_cast<StdoutWriter*>(user)->failed = true;
        return errno ? errno : EIO;
    }
};

int ExtractToStdout(const Options& options) {
    InstallInterruptHandler();
    if (IsTerminal(stdout)) {
        std::fprintf(stderr, "lrx: not writing a replay to a terminal; redirect or pipe it\n");
        return kUsageError;
    }
#ifdef _WIN32
    _setmode(1, _O_BINARY);
#endif
    // Unbuffered: each piece is one write, and a failed one is seen there.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    ProgressDisplay display(VerbLabel("Extracting"), !options.quiet && IsTerminal(stderr));
    StdoutWriter writer;
    lrx_failure failure;
    // Written as it is decoded, as a decompressor does: a damaged entry
    // leaves its start in the pipe before the error.
    const int result =
        lrx_read_stream(options.archive.c_str(), options.names[0].c_str(), &StdoutWriter::Write,
                        &writer, display.callbacks(), &failure);
    display.Clear();
    if (result == LRX_OK) return 0;
    if (writer.failed) {
        std::fprintf(stderr, "lrx: (standard output) %s\n", MessageOf(failure).c_str());
        return result;
    }
    ReportFailure(failure);
    // No entry has the name.
    return result == LRX_REPLAY_NAME_NOT_ALLOWED ? kNamesUnmatched : result;
}

}  // namespace

int ReportFailure(const lrx_failure& failure) {
    std::fprintf(stderr, "lrx: %s\n", MessageOf(failure).c_str());
    return failure.code;
}

int RunList(const Options& options) {
    lrx_entry* list = nullptr;
    std::size_t count = 0;
    lrx_failure failure;
    if (lrx_list(options.archive.c_str(), &list, &count, &failure) != LRX_OK) {
        return ReportFailure(failure);
    }
    std::vector<Entry> entries = EntriesOf(list, count);
    lrx_free(list);
    SortEntries(entries, options.sortKey, options.reverse);
    const std::string text = options.json ? FormatJson(entries) : FormatTable(entries);
    std::fputs(text.c_str(), stdout);
    return 0;
}

int RunAdd(const Options& options) {
    InstallInterruptHandler();
    ArchiveLock lock;
    if (const int status = LockArchive(lock, options)) return status;
    const std::vector<std::string>& replays = options.names;
    const std::vector<int> checks = CheckReplays(replays, JobCount(options));
    // Which replays go with --move: the engine keeps those that would not
    // come back, as the only exact copies.
    std::vector<bool> moved(replays.size(), options.move);
    for (std::size_t i = 0; i < replays.size(); ++i) {
        if (InterruptRequested()) return ReportStop(options.archive, LRX_CALL_ADD);
        if (checks[i] != LRX_NOT_EXACT) continue;
        if (options.strict) {
            std::fprintf(stderr,
                         "lrx: %s: would not come back byte for byte; not added (--strict)\n",
                         replays[i].c_str());
            return kNotExact;
        }
        std::fprintf(stderr, "lrx: warning: %s: extraction will not give back the same bytes%s\n",
                     replays[i].c_str(),
                     options.move ? "; the original is kept despite --move" : "");
        moved[i] = false;
    }
    const std::vector<bool> superseded = SupersededReplayPaths(replays);
    for (std::size_t i = 0; i < replays.size(); ++i) {
        if (!superseded[i]) continue;
        std::fprintf(stderr,
                     "lrx: warning: %s: named again later in the list; the later one is added%s\n",
                     replays[i].c_str(), moved[i] ? " and this one kept" : "");
    }
    // The bar tells updates from additions, as the engine orders them.
    const Listing listing(options.archive);
    ProgressDisplay display(
        [&listing](const std::string& entry) {
            return (listing.Has(entry) ? "Updating " : "Adding ") + PrintableName(entry) + "...";
        },
        !options.quiet && IsTerminal(stderr));
    const lrx_add_options chosen{JobCount(options), options.move ? 1 : 0, 0};
    lrx_failure failure;
    const int result = lrx_add(options.archive.c_str(), Pointers(replays).data(), replays.size(),
                               &chosen, display.callbacks(), &failure);
    display.Clear();
    if (result == LRX_OK) return 0;
    ReportFailure(failure);
    if (result != LRX_DELETING_MOVED_REPLAY) return result;
    // Removing stops at the first replay that cannot be removed: the later
    // ones are stored and kept as well.
    std::size_t failed = 0;
    while (failed < replays.size() && (superseded[failed] || replays[failed] != failure.path)) {
        ++failed;
    }
    for (std::size_t i = failed + 1; i < replays.size(); ++i) {
        if (!moved[i] || superseded[i]) continue;
        std::fprintf(stderr, "lrx: %s: stored, but kept: --move stopped at %s\n",
                     replays[i].c_str(), failure.path);
    }
    return result;
}

int RunDelete(const Options& options) {
    InstallInterruptHandler();
    ArchiveLock lock;
    if (const int status = LockArchive(lock, options)) return status;
    const Listing listing(options.archive);
    ProgressDisplay display(VerbLabel("Deleting"), !options.quiet && IsTerminal(stderr));
    lrx_failure failure;
    const int result = lrx_delete(options.archive.c_str(), Pointers(options.names).data(),
                                  options.names.size(), display.callbacks(), &failure);
    display.Clear();
    // An archive whose entries do not cover it was looked through only in
    // part: its damage is the news, not the names.
    std::size_t unmatched = 0;
    if (listing.listed && result != LRX_READING_FILE_INFO) {
        unmatched = WarnUnmatched(options.archive, options.names, listing);
    }
    if (result == LRX_REMOVED_EMPTY_ARCHIVE) {
        if (!options.quiet) std::printf("lrx: %s: %s\n", options.archive.c_str(), fUwu(result));
    } else if (result != LRX_OK) {
        return ReportFailure(failure);
    }
    return unmatched > 0 ? kNamesUnmatched : 0;
}

int RunExtract(const Options& options) {
    if (options.toStdout) return ExtractToStdout(options);
    InstallInterruptHandler();
    const std::string folder = AsFolder(options.destination);
    std::size_t unmatched = 0;
    const Listing listing(options.archive);
    if (listing.listed) {
        unmatched = WarnUnmatched(options.archive, options.names, listing);
        if (unmatched > 0 && unmatched == options.names.size()) return kNamesUnmatched;
        std::error_code error;
        if (LookAt(options.destination, true).kind != PathKind::Folder &&
            !std::filesystem::create_directories(options.destination, error) && error) {
            std::fprintf(stderr, "lrx: %s: cannot create folder: %s\n", options.destination.c_str(),
                         error.message().c_str());
            return LRX_CREATING_REPLAY_FILE;
        }
    }

    ProgressDisplay display(VerbLabel("Extracting"), !options.quiet && IsTerminal(stderr));
    // A line per entry put in place; on a shared terminal the bar goes first.
    const bool shared = IsTerminal(stdout);
    if (!options.quiet) {
        display.SetFinished([&](const std::string& entry) {
            if (shared) display.Clear();
            std::printf("\rExtracting %s... Done.  \n", PrintableName(entry).c_str());
            if (shared) std::fflush(stdout);
        });
    }
    // Without a terminal every question is answered no, and the skipped
    // files are counted. A question about a file that had no content before
    // is about a name stored twice, whose first copy this run extracted.
    const bool canAsk = IsTerminal(stdin);
    const int mode = options.overwrite == OverwritePolicy::Skip     ? LRX_OVERWRITE_SKIP
                     : options.overwrite == OverwritePolicy::Always ? LRX_OVERWRITE_ALWAYS
                                                                    : LRX_OVERWRITE_ASK;
    std::set<std::string> filledBefore;
    std::vector<std::string> unasked;
    if (canAsk) {
        display.SetAsk([](const std::string& path) { return AskOnTerminal(path, stdin, stderr); });
    } else if (mode == LRX_OVERWRITE_ASK) {
        filledBefore = FilledDestinations(listing, folder);
        display.SetAsk([&](const std::string& path) {
            unasked.push_back(path);
            return Answer::No;
        });
    }
    const lrx_extract_options chosen{JobCount(options), mode};
    lrx_failure failure;
    const int result =
        lrx_extract(options.archive.c_str(), folder.c_str(), Pointers(options.names).data(),
                    options.names.size(), &chosen, display.callbacks(), &failure);
    display.Clear();
    // The entry whose file could not be made, named in the list of lines.
    const bool uncreated =
        result == LRX_CREATING_REPLAY_FILE || result == LRX_REPLAY_NAME_NOT_ALLOWED;
    if (!options.quiet && uncreated && failure.entry[0] != '\0') {
        std::printf("ERROR : Unable to create %s\n", PrintableName(failure.entry).c_str());
    }
    std::fflush(stdout);
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
    if (result != LRX_OK) return ReportFailure(failure);
    return unmatched > 0 ? kNamesUnmatched : 0;
}

}  // namespace lrx::cli
