// Adding replays, or updating the entries of the same names in their places.
// The new archive is always built in a temporary file and then put in the
// old one's place in one step, so a failure, an abort or a crash leaves the
// archive as it was.
#include <cerrno>
#include <cstdio>
#include <string>

#include "archive_ops.h"
#include "entry_codec.h"
#include "entry_name.h"
#include "exception_barrier.h"
#include "file_info_record.h"
#include "lrxpack_api.h"
#include "mailbox_sink.h"
#include "parallel_encoder.h"
#include "path_facts.h"
#include "replay_batch.h"
#include "temp_file.h"

namespace lrx {
namespace {

std::vector<bool> SupersededReplays(const std::vector<ReplayToAdd>& replays) {
    std::vector<std::string> paths;
    for (const ReplayToAdd& replay : replays) paths.push_back(replay.path);
    return SupersededReplayPaths(paths);
}

// The replays to encode, in the order their entries take in the new archive.
struct Planned {
    std::size_t replay;
    bool updates;  // takes the place of an entry of the same name
};

// Writes the new archive's entries: the kept ones copied, the planned ones
// encoded here (one job) or by the parallel encoder. Stops with 30 where the
// new archive would be longer than maxLength.
int WriteEntries(OperationContext& ctx, const std::string& archive, const TFileInfoList* listing,
                 FileStream& output, const std::vector<ReplayToAdd>& replays,
                 const std::vector<std::string>& names, const std::vector<Planned>& plan,
                 unsigned jobs, int64_t maxLength) {
    FileStream input;
    if (listing) {
        errno = 0;
        input = FileStream(archive.c_str(), "rb", kArchiveBufferSize);
        if (!input.IsOpen()) return ctx.Fail(LRX_READING_FILE_HEADER, errno, archive);
    }
    const TFileInfo stamp = StampedNow();
    std::unique_ptr<ParallelEncoder> encoder;
    if (jobs > 1 && plan.size() > 1) {
        std::vector<ReplayJob> work;
        for (const Planned& p : plan) work.push_back({replays[p.replay].path, names[p.replay]});
        encoder =
            std::make_unique<ParallelEncoder>(archive, std::move(work), stamp, jobs, ctx.cancelled);
    }
    std::size_t next = 0;
    auto encodeNext = [&] {
        const Planned& p = plan[next++];
        const std::string& replay = replays[p.replay].path;
        ctx.progress.Enter(p.updates ? Stage::Updating : Stage::Adding, names[p.replay].c_str());
        if (ctx.StopAsked()) return ctx.Fail(LRX_ABORTED, 0, archive, {}, p.replay);
        Failure entry;
        int result = encoder ? encoder->AppendNext(output, ctx, entry)
                             : EncodeReplayEntry(output, replay, names[p.replay], stamp, ctx.codec,
                                                 ctx.progress, entry);
        if (result == LRX_OK) {
            // Only now is the entry's packed size known.
            if (output.Tell() <= maxLength) {
                ctx.progress.Finished(p.updates ? Stage::Updating : Stage::Adding,
                                      names[p.replay].c_str());
                return result;
            }
            return ctx.Fail(LRX_ARCHIVE_TOO_LARGE, 0, archive, {}, p.replay);
        }
        // A write that fails is a write into the new archive, wherever it
        // stood: one code for it, as delete gives, whatever the codec was
        // writing.
        if (IsCodecWritingCode(result) || result == LRX_WRITING_FILE_INFO ||
            result == LRX_CREATING_TEMP_FILE) {
            return ctx.Fail(LRX_CREATING_TEMP_FILE, entry.systemError, archive, {}, p.replay);
        }
        if (result == LRX_ABORTED) return ctx.Fail(result, 0, archive, {}, p.replay);
        return ctx.Fail(result, entry.systemError, replay, {}, p.replay, entry.detail);
    };
    for (const TFileInfoList* node = listing; node; node = node->next) {
        if (next < plan.size() && plan[next].updates &&
            SameEntryName(node->info->name, names[plan[next].replay].c_str())) {
            if (const int result = encodeNext(); result != LRX_OK) return result;
        } else {
            // A kept entry's length is known before it is copied.
            const int64_t length = int64_t{node->info->packedSize} + kFileInfoSize;
            if (output.Tell() + length > maxLength) {
                return ctx.Fail(LRX_ARCHIVE_TOO_LARGE, 0, archive);
            }
            errno = 0;
            if (!CopyEntry(input, output, node->offset, length)) {
                return ctx.Fail(LRX_CREATING_TEMP_FILE, errno, archive);
            }
        }
    }
    while (next < plan.size()) {
        if (const int result = encodeNext(); result != LRX_OK) return result;
    }
    return LRX_OK;
}

// Add on the archive's path with its links resolved.
int Add(OperationContext& ctx, const std::string& archive, const std::vector<ReplayToAdd>& replays,
        unsigned jobs, int64_t maxLength) {
    ctx.progress.Start();
    if (ctx.CancelRequested()) return ctx.Fail(LRX_ABORTED, 0, archive);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < replays.size(); ++i) {
        names.push_back(EntryNameOf(replays[i].path));
        const std::string& replay = replays[i].path;
        if (names[i].size() > kMaxEntryNameLength) {
            return ctx.Fail(LRX_REPLAY_NAME_TOO_LONG, 0, replay, {}, i);
        }
        // Refused before the archive is touched: extraction could never write
        // such an entry back.
        if (!IsSafeEntryName(names[i].c_str())) {
            return ctx.Fail(LRX_REPLAY_NAME_NOT_ALLOWED, 0, replay, {}, i);
        }
    }

    const std::string& archivePath = archive;
    // Whether the archive exists is not whether it opens: an unreadable
    // archive must not be taken for a missing one and replaced.
    const bool exists = PathExists(archivePath);
    OwnedListing listing;
    if (exists) {
        Failure& failure = ctx.failure;
        if (const int version = CheckArchiveVersion(archivePath, LRX_READING_FILE_HEADER, failure);
            version != LRX_OK) {
            return version;
        }
        if (const int result = CheckReplaceable(archivePath, failure); result != LRX_OK) {
            return result;
        }
        if (const int result = ListForRewrite(archivePath, listing, failure); result != LRX_OK) {
            return result;
        }
    }

    // Updates take their entries' places in the listing's order (every entry
    // of the name, should a damaged archive hold it twice); the rest follow in
    // the order given.
    const std::vector<bool> superseded = SupersededReplays(replays);
    std::vector<Planned> plan;
    std::vector<bool> planned(replays.size(), false);
    int64_t keptLength = 0;
    for (const TFileInfoList* node = listing.head; node; node = node->next) {
        bool updated = false;
        for (std::size_t i = 0; i < replays.size() && !updated; ++i) {
            if (superseded[i]) continue;
            if (!SameEntryName(node->info->name, names[i].c_str())) continue;
            plan.push_back({i, true});
            planned[i] = updated = true;
        }
        if (!updated) keptLength += int64_t{node->info->packedSize} + kFileInfoSize;
    }
    for (std::size_t i = 0; i < replays.size(); ++i) {
        if (!superseded[i] && !planned[i]) plan.push_back({i, false});
    }
    // Refused before anything is written when even empty new entries would
    // not fit; the packed sizes are checked as the entries are written.
    const auto leastLength =
        kArchiveHeaderSize + keptLength + static_cast<int64_t>(plan.size()) * kFileInfoSize;
    if (leastLength > maxLength) return ctx.Fail(LRX_ARCHIVE_TOO_LARGE, 0, archive);

    // The guard outlives the stream: a file still open cannot be removed on
    // every platform.
    const std::string tempPath = MakeTempName(archivePath);
    TempFileGuard temp(tempPath);
    FileStream output;
    errno = 0;
    if (!StartArchive(output, tempPath)) return ctx.Fail(LRX_CREATING_TEMP_FILE, errno, archive);
    const int result =
        WriteEntries(ctx, archivePath, listing.head, output, replays, names, plan, jobs, maxLength);
    if (result != LRX_OK) return result;
    errno = 0;
    if (!CloseDurably(output)) return ctx.Fail(LRX_CREATING_TEMP_FILE, errno, archive);
    // An archive that appeared meanwhile (another add creating it where no
    // lock could be had) is kept: replacing it would lose that add's entries.
    errno = 0;
    const bool placed = exists ? ReplaceFileAtomically(tempPath, archivePath)
                               : MoveToNewName(tempPath, archivePath);
    if (!placed) return ctx.Fail(LRX_CREATING_TEMP_FILE, errno, archive);
    temp.Keep();

    for (std::size_t i = 0; i < replays.size(); ++i) {
        errno = 0;
        if (!superseded[i] && replays[i].move &&
            std::remove(ReplayFilePath(replays[i].path).c_str()) != 0) {
            return ctx.Fail(LRX_DELETING_MOVED_REPLAY, errno, replays[i].path, {}, i);
        }
    }
    return LRX_OK;
}

}  // namespace

int AddReplays(OperationContext& ctx, const std::string& archive,
               const std::vector<ReplayToAdd>& replays, unsigned jobs, int64_t maxLength) {
    // Through a symbolic link the file it leads to is replaced: a rename over
    // the link would put a file in the link's place and leave the archive stale.
    const std::string archivePath = ResolveLinks(archive);
    const int result = Add(ctx, archivePath, replays, jobs, maxLength);
    // Failures about the archive name it as the caller did.
    if (result != LRX_OK && ctx.failure.path == archivePath) ctx.failure.path = archive;
    return result;
}

}  // namespace lrx

extern "C" int sJTU(char* archive, char* replay, HWND window, bool moveReplay) {
    return lrx::ThrowsNothing(LRX_CREATING_TEMP_FILE, [&] {
        lrx::MailboxSink sink(window);
        lrx::OperationContext ctx(sink, LRX_CALL_ADD);
        return lrx::AddReplays(ctx, archive, {{replay, moveReplay}}, 1);
    });
}
