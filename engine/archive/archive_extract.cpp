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
#include "entry_codec.h"
#include "entry_name.h"
#include "exception_barrier.h"
#include "lrxpack_api.h"
#include "mailbox_sink.h"
#include "path_facts.h"
#include "replay_batch.h"
#include "temp_file.h"

using namespace lrx;

namespace {

constexpr std::size_t kGroupSize = 32;

// What stands at a destination that cannot be created, for the message: what
// is no file, or a link that leads nowhere.
int ObstacleAt(const std::string& destination) {
    if (const int kind = NonFileAt(destination, false); kind != 0) return kind;
    if (LookAt(destination, false).kind == PathKind::Link &&
        LookAt(destination, true).kind == PathKind::Missing) {
        return LRX_PATH_DANGLING_LINK;
    }
    return 0;
}

int CannotCreate(ProgressSink& sink, Failure& failure, const std::string& destination,
                 const TFileInfo& info, int code = LRX_CREATING_REPLAY_FILE) {
    const int error = errno;
    sink.Unwritable(info.name);
    return failure.Record(code, error, destination, info.name, kNoItem, ObstacleAt(destination));
}

// An entry of the group: where it goes and the temporary file it is decoded
// into first.
struct Pending {
    const TFileInfoList* node = nullptr;
    std::string destination;
    TempFileGuard temp{""};
    FileStream output;
    int result = LRX_OK;
    Failure failure;  // a worker thread's, errno taken there
};

// Decides whether the entry is written (the overwrite mode, the questions)
// and opens its temporary file. LRX_OK with nothing added when it is skipped.
int Prepare(OperationContext& ctx, const char* archive, const TFileInfoList* node,
            const std::string& destinationFolder, int& overwriteMode, std::vector<Pending>& group) {
    const TFileInfo& info = *node->info;
    Failure& failure = ctx.failure;
    // A stored name is only a name: anything that could lead elsewhere, or that
    // does not fit a path, is refused before a file is created.
    const std::string destination = destinationFolder + info.name;
    if (!IsSafeEntryName(info.name)) {
        ctx.progress.Unwritable(info.name);
        return failure.Record(LRX_REPLAY_NAME_NOT_ALLOWED, 0, archive, info.name);
    }
    errno = 0;
    if (destination.size() > kMaxPathLength) {
        errno = ENAMETOOLONG;
        return CannotCreate(ctx.progress, failure, destination, info);
    }
    // Decided without opening what is there: a file the user cannot read
    // exists all the same, and opening a FIFO would block. Only files are
    // replaced (a link by a file, never what it leads to).
    const PathFacts existing = LookAt(destination, false);
    if (existing.kind == PathKind::Folder || existing.kind == PathKind::Other) {
        return CannotCreate(ctx.progress, failure, destination, info);
    }
    // What a link holds is what it leads to: one that leads nowhere holds
    // nothing to keep, and is refused below like any unwritable file.
    const int64_t size =
        existing.kind == PathKind::Link ? LookAt(destination, true).size : existing.size;
    if (overwriteMode != 2 && existing.kind != PathKind::Missing && size > 0) {
        if (overwriteMode == 1) return LRX_OK;
        if (overwriteMode == 3) {
            switch (ctx.progress.AskOverwrite(destination)) {
                case OverwriteAnswer::No:
                    return LRX_OK;
                case OverwriteAnswer::Always:
                    overwriteMode = 2;
                    break;
                case OverwriteAnswer::Yes:
                    break;
                case OverwriteAnswer::Abort:
                    return failure.Record(LRX_ABORTED, 0, archive, info.name);
            }
        }
    }
    // A read-only file would be replaced by the rename as readily as any
    // other; an ordinary open for writing refuses it.
    errno = 0;
    if (PathExists(destination) && !IsWritableFile(destination)) {
        if (errno == 0) errno = EACCES;
        return CannotCreate(ctx.progress, failure, destination, info);
    }

    Pending pending;
    pending.node = node;
    pending.destination = destination;
    // Why no temporary name could be made (a missing folder) is the reason.
    errno = 0;
    pending.temp = TempFileGuard(MakeTempName(destination));
    const std::string& tempPath = pending.temp.path();
    if (!tempPath.empty()) pending.output = FileStream(tempPath.c_str(), "wb", kReplayBufferSize);
    if (!pending.output.IsOpen()) return CannotCreate(ctx.progress, failure, destination, info);
    group.push_back(std::move(pending));
    return LRX_OK;
}

// A failed write is about the destination and has the system's reason; any
// other failure is the archive's entry.
int DecodeOne(Pending& entry, FileStream& archive, const char* archivePath,
              codec::CodecContext& codec, ProgressSink& progress) {
    const char* name = entry.node->info->name;
    if (!archive.Seek(entry.node->offset)) {
        return entry.failure.Record(LRX_READING_HEADER, 0, archivePath, name);
    }
    progress.Resume(name);
    errno = 0;
    const int result =
        DecodeEntry(codec, archive.get(), entry.output.get(), *entry.node->info, progress);
    if (result != LRX_OK) {
        const int error = errno;
        const bool written = IsCodecWritingCode(result) && error != 0;
        return entry.failure.Record(result, written ? error : 0,
                                    written ? entry.destination : std::string(archivePath), name);
    }
    errno = 0;
    if (StartWriteback(entry.output)) return LRX_OK;
    return entry.failure.Record(LRX_WRITING_POSITION_DATA, errno, entry.destination, name);
}

// Decodes the group's entries. This thread takes entries too, with the
// operation's codec state and sink, so a stop is seen as soon as with one
// job; the other workers see it through the context's flag.
void DecodeGroup(OperationContext& ctx, std::vector<Pending>& group, FileStream& archive,
                 const char* archivePath, unsigned jobs) {
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    auto work = [&](FileStream& input, codec::CodecContext& codec, ProgressSink& progress) {
        for (std::size_t i; !stop && (i = next++) < group.size();) {
            group[i].result = DecodeOne(group[i], input, archivePath, codec, progress);
            if (group[i].result != LRX_OK) stop = true;
        }
    };
    std::vector<std::thread> workers;
    for (unsigned j = 1; j < jobs && j < group.size(); ++j) {
        workers.emplace_back([&] {
            FileStream input(archivePath, "rb");
            codec::CodecContext codec;
            WorkerSink progress(ctx.cancelled);
            if (input.IsOpen()) work(input, codec, progress);
        });
    }
    work(archive, ctx.codec, ctx.progress);
    for (std::thread& worker : workers) worker.join();
    // An entry no worker reached is not decoded.
    for (std::size_t i = next < group.size() ? next.load() : group.size(); i < group.size(); ++i) {
        group[i].result =
            group[i].failure.Record(LRX_ABORTED, 0, archivePath, group[i].node->info->name);
    }
}

// Syncs the group's decoded files together, then puts them in place in the
// archive's order up to the first that failed; returns that failure.
int FinishGroup(OperationContext& ctx, std::vector<Pending>& group) {
    std::size_t good = 0;
    while (good < group.size() && group[good].result == LRX_OK) ++good;
    Failure failure;
    if (good < group.size()) {
        failure = group[good].failure;
        // The entry the failure is about, shown again in the window.
        ctx.progress.Enter(Stage::Extracting, group[good].node->info->name);
    }
    for (std::size_t i = 0; i < good; ++i) {
        errno = 0;
        if (!CloseDurably(group[i].output)) {
            good = i;
            failure = {};
            failure.Record(LRX_WRITING_POSITION_DATA, errno, group[i].destination,
                           group[i].node->info->name);
        }
    }
    for (std::size_t i = 0; i < good; ++i) {
        errno = 0;
        if (!ReplaceFileAtomically(group[i].temp.path(), group[i].destination, false)) {
            failure = {};
            CannotCreate(ctx.progress, failure, group[i].destination, *group[i].node->info);
            good = i;
            break;
        }
        group[i].temp.Keep();
        ctx.progress.Finished(Stage::Extracting, group[i].node->info->name);
    }
    if (good > 0) SyncFolderOf(group[0].destination);
    group.clear();  // closes and removes the rest
    if (!failure.failed()) return LRX_OK;
    return ctx.Fail(failure.code, failure.systemError, failure.path, failure.entry, failure.item,
                    failure.detail);
}

int Extract(OperationContext& ctx, const char* archive, const std::string& folder,
            int& overwriteMode, bool everyEntry, int count, char** names, unsigned jobs) {
    if (overwriteMode == 3 && !ctx.progress.CanAsk()) {
        return ctx.Fail(LRX_QUERY_REQUIRES_INSTANCE, 0, archive);
    }
    ctx.progress.Start();
    if (ctx.CancelRequested()) return ctx.Fail(LRX_ABORTED, 0, archive);
    const int version = CheckArchiveVersion(archive, LRX_OPENING_ARCHIVE, ctx.failure);
    if (version != LRX_OK) return version;
    errno = 0;
    FileStream file(archive, "rb");
    if (!file.IsOpen()) return ctx.Fail(LRX_READING_FILE_HEADER, errno, archive);
    OwnedListing listing;
    if (wG4h(&listing.head, const_cast<char*>(archive)) != LRX_OK) {
        return ctx.Fail(LRX_READING_FILE_HEADER, 0, archive);
    }

    const int nameCount = everyEntry || count < 0 ? 0 : count;
    std::unique_ptr<bool[]> taken(
        new (std::nothrow) bool[static_cast<std::size_t>(nameCount) + 1]());
    if (!taken) return ctx.Fail(LRX_READING_FILE_HEADER, ENOMEM, archive);
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
        ctx.progress.Enter(Stage::Extracting, node->info->name);
        // A program that asked for a stop gets nothing more written.
        if (ctx.StopAsked()) return ctx.Fail(LRX_ABORTED, 0, archive, node->info->name);
        // A second entry of one name sees the first one's file, as it would
        // one at a time.
        for (const Pending& pending : group) {
            if (!SameEntryName(pending.node->info->name, node->info->name)) continue;
            DecodeGroup(ctx, group, file, archive, jobs);
            if (const int result = FinishGroup(ctx, group); result != LRX_OK) return result;
            break;
        }
        if (const int result = Prepare(ctx, archive, node, folder, overwriteMode, group);
            result != LRX_OK) {
            // What was decided before the failure is still extracted, unless
            // a program asked for a stop.
            if (!ctx.StopAsked()) {
                DecodeGroup(ctx, group, file, archive, jobs);
                FinishGroup(ctx, group);
            }
            ctx.progress.Enter(Stage::Extracting, node->info->name);
            return result;
        }
        if (group.size() == kGroupSize) {
            DecodeGroup(ctx, group, file, archive, jobs);
            if (const int result = FinishGroup(ctx, group); result != LRX_OK) return result;
        }
    }
    DecodeGroup(ctx, group, file, archive, jobs);
    return FinishGroup(ctx, group);
}

}  // namespace

namespace lrx {

int ExtractEntries(OperationContext& ctx, const char* archive, const std::string& folder,
                   int& overwriteMode, bool everyEntry, int count, char** names, unsigned jobs) {
    const int result = Extract(ctx, archive, folder, overwriteMode, everyEntry, count, names, jobs);
    // Whatever came later, the code returned is the one recorded.
    if (result != LRX_OK) ctx.failure.code = result;
    return result;
}

}  // namespace lrx

extern "C" int MFqc(char* archive, char* destinationFolder, int& overwriteMode, HWND window,
                    bool everyEntry, int count, char** names) {
    return ThrowsNothing(LRX_CREATING_REPLAY_FILE, [&] {
        MailboxSink sink(window);
        OperationContext ctx(sink, LRX_CALL_EXTRACT);
        return ExtractEntries(ctx, archive, destinationFolder, overwriteMode, everyEntry, count,
                              names, 1);
    });
}
