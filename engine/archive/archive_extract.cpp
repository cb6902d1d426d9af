// Extracting entries. Each entry is decoded into a temporary file in the
// destination folder and renamed over the destination only when it decoded
// completely, so a failure or an abort never spoils a file already there.
// Entries go in groups: a group's files are decoded (on several threads when
// asked), synced together and only then renamed, so the wait for the disk
// is paid once a group rather than once a file.
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "archive_ops.h"
#include "engine_state.h"
#include "entry_codec.h"
#include "entry_name.h"
#include "name_text.h"
#include "path_facts.h"
#include "replay_batch.h"
#include "temp_file.h"

using namespace lrx;

namespace {

constexpr std::size_t kGroupSize = 32;

// The name is the archive's, not to be trusted with the terminal.
int CannotCreate(const TFileInfo& info, int code = LRX_CREATING_REPLAY_FILE) {
    std::printf("ERROR : Unable to create %s\n", PrintableName(info.name).c_str());
    return code;
}

void ReportExtracting(const TFileInfo& info) {
    char status[64];
    std::snprintf(status, sizeof status, "101Extracting %s...", info.name);
    Engine().currentWindow.Report(status);
}

// An entry of the group: where it goes and the temporary file it is decoded
// into first.
struct Pending {
    const TFileInfoList* node = nullptr;
    std::string destination;
    TempFileGuard temp{""};
    FileStream output;
    int result = LRX_OK;
    int systemError = 0;  // errno of a failure, which a worker thread keeps to itself
};

// Decides whether the entry is written (the overwrite mode, the questions)
// and opens its temporary file. LRX_OK with nothing added when it is skipped.
int Prepare(const TFileInfoList* node, const std::string& destinationFolder, int& overwriteMode,
            std::vector<Pending>& group) {
    const TFileInfo& info = *node->info;
    // A stored name is only a name: anything that could lead elsewhere, or that
    // does not fit a path, is refused before a file is created.
    const std::string destination = destinationFolder + info.name;
    if (!IsSafeEntryName(info.name)) return CannotCreate(info, LRX_REPLAY_NAME_NOT_ALLOWED);
    if (destination.size() > kMaxPathLength) return CannotCreate(info);
    // Decided without opening what is there: a file the user cannot read
    // exists all the same, and opening a FIFO would block. Only files are
    // replaced (a link by a file, never what it leads to).
    const PathFacts existing = LookAt(destination, false);
    if (existing.kind == PathKind::Folder || existing.kind == PathKind::Other) {
        return CannotCreate(info);
    }
    // What a link holds is what it leads to: one that leads nowhere holds
    // nothing to keep, and is refused below like any unwritable file.
    const int64_t size =
        existing.kind == PathKind::Link ? LookAt(destination, true).size : existing.size;
    if (overwriteMode != 2 && existing.kind != PathKind::Missing && size > 0) {
        if (overwriteMode == 1) return LRX_OK;
        if (overwriteMode == 3) {
            switch (AskOverwrite(Engine().currentWindow, destination)) {
                case OverwriteAnswer::No:
                    return LRX_OK;
                case OverwriteAnswer::Always:
                    overwriteMode = 2;
                    break;
                case OverwriteAnswer::Yes:
                    break;
                case OverwriteAnswer::Abort:
                    return LRX_ABORTED;
            }
        }
    }
    // A read-only file would be replaced by the rename as readily as any
    // other; an ordinary open for writing refuses it.
    if (PathExists(destination) && !IsWritableFile(destination)) return CannotCreate(info);

    Pending pending;
    pending.node = node;
    pending.destination = destination;
    pending.temp = TempFileGuard(MakeTempName(destination));
    const std::string& tempPath = pending.temp.path();
    if (!tempPath.empty()) pending.output = FileStream(tempPath.c_str(), "wb", kReplayBufferSize);
    if (!pending.output.IsOpen()) return CannotCreate(info);
    group.push_back(std::move(pending));
    return LRX_OK;
}

int DecodeOne(Pending& entry, FileStream& archive, codec::CodecContext& ctx,
              const Mailbox& window) {
    if (!archive.Seek(entry.node->offset)) return LRX_READING_HEADER;
    const int result =
        DecodeEntry(ctx, archive.get(), entry.output.get(), entry.node->info->rawSize, window);
    if (result != LRX_OK) return result;
    return StartWriteback(entry.output) ? LRX_OK : LRX_WRITING_POSITION_DATA;
}

// Decodes the group's entries. This thread takes entries too, with the
// engine's codec state and the window, so an abort is seen as soon as with
// one job; the other workers stop at the end of their entry.
void DecodeGroup(std::vector<Pending>& group, FileStream& archive, const char* archivePath,
                 unsigned jobs) {
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    auto work = [&](FileStream& input, codec::CodecContext& ctx, const Mailbox& window) {
        for (std::size_t i; !stop && (i = next++) < group.size();) {
            errno = 0;
            group[i].result = DecodeOne(group[i], input, ctx, window);
            group[i].systemError = errno;
            if (group[i].result != LRX_OK) stop = true;
        }
    };
    std::vector<std::thread> workers;
    for (unsigned j = 1; j < jobs && j < group.size(); ++j) {
        workers.emplace_back([&] {
            FileStream input(archivePath, "rb");
            codec::CodecContext ctx;
            if (input.IsOpen()) work(input, ctx, Mailbox());
        });
    }
    work(archive, Engine().codec, Engine().currentWindow);
    for (std::thread& worker : workers) worker.join();
    // An entry no worker reached is not decoded.
    for (std::size_t i = next < group.size() ? next.load() : group.size(); i < group.size(); ++i) {
        group[i].result = LRX_ABORTED;
    }
}

// Syncs the group's decoded files together, then puts them in place in the
// archive's order up to the first that failed; returns that failure.
int FinishGroup(std::vector<Pending>& group) {
    std::size_t good = 0;
    while (good < group.size() && group[good].result == LRX_OK) ++good;
    int result = LRX_OK, systemError = 0;
    if (good < group.size()) {
        result = group[good].result;
        systemError = group[good].systemError;
        ReportExtracting(*group[good].node->info);  // the entry the failure is about
    }
    for (std::size_t i = 0; i < good; ++i) {
        if (!CloseDurably(group[i].output)) {
            good = i;
            result = LRX_WRITING_POSITION_DATA;
        }
    }
    for (std::size_t i = 0; i < good; ++i) {
        if (!ReplaceFileAtomically(group[i].temp.path(), group[i].destination, false)) {
            result = CannotCreate(*group[i].node->info);
            good = i;
            break;
        }
        group[i].temp.Keep();
        std::printf("\rExtracting %s... Done.  \n", group[i].node->info->name);
    }
    if (good > 0) SyncFolderOf(group[0].destination);
    group.clear();  // closes and removes the rest
    if (result != LRX_OK && systemError != 0) errno = systemError;
    return result;
}

}  // namespace

namespace lrx {

int ExtractEntries(const char* archive, const std::string& folder, int& overwriteMode, HWND window,
                   bool everyEntry, int count, char** names, unsigned jobs) {
    if (overwriteMode == 3 && !window) return LRX_QUERY_REQUIRES_INSTANCE;
    Mailbox& mailbox = Engine().currentWindow;
    mailbox = Mailbox(window);
    if (window) {
        mailbox.Focus();
        if (mailbox.Poll() == kAbortRequest) return LRX_ABORTED;
    }
    const int version = CheckArchiveVersion(archive, LRX_OPENING_ARCHIVE);
    if (version != LRX_OK) return version;
    FileStream file(archive, "rb");
    if (!file.IsOpen()) return LRX_READING_FILE_HEADER;
    OwnedListing listing;
    if (wG4h(&listing.head, const_cast<char*>(archive)) != LRX_OK) return LRX_READING_FILE_HEADER;

    const int nameCount = everyEntry || count < 0 ? 0 : count;
    std::unique_ptr<bool[]> taken(
        new (std::nothrow) bool[static_cast<std::size_t>(nameCount) + 1]());
    if (!taken) return LRX_READING_FILE_HEADER;
    std::vector<Pending> group;
    for (const TFileInfoList* node = listing.head; node; node = node->next) {
        bool selected = everyEntry;
        for (int i = 0; i < nameCount; ++i) {
            if (!taken[i] && names[i] && SameEntryName(names[i], node->info->name)) {
                taken[i] = true;
                selected = true;
            }
        }
        if (!selected) continue;
        ReportExtracting(*node->info);
        // A second entry of one name sees the first one's file, as it would
        // one at a time.
        for (const Pending& pending : group) {
            if (!SameEntryName(pending.node->info->name, node->info->name)) continue;
            DecodeGroup(group, file, archive, jobs);
            if (const int result = FinishGroup(group); result != LRX_OK) return result;
            break;
        }
        if (const int result = Prepare(node, folder, overwriteMode, group); result != LRX_OK) {
            // What was decided before the failure is still extracted.
            const int saved = errno;
            DecodeGroup(group, file, archive, jobs);
            FinishGroup(group);
            ReportExtracting(*node->info);
            errno = saved;
            return result;
        }
        if (group.size() == kGroupSize) {
            DecodeGroup(group, file, archive, jobs);
            if (const int result = FinishGroup(group); result != LRX_OK) return result;
        }
    }
    DecodeGroup(group, file, archive, jobs);
    return FinishGroup(group);
}

}  // namespace lrx

extern "C" int MFqc(char* archive, char* destinationFolder, int& overwriteMode, HWND window,
                    bool everyEntry, int count, char** names) {
    return ExtractEntries(archive, destinationFolder, overwriteMode, window, everyEntry, count,
                          names, 1);
}
