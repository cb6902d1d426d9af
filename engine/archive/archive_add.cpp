// Adding replays, or updating the entries of the same names in their places.
// The new archive is always built in a temporary file and then put in the
// old one's place in one step, so a failure, an abort or a crash leaves the
// archive as it was.
#include <cstdio>
#include <string>

#include "archive_ops.h"
#include "engine_state.h"
#include "entry_codec.h"
#include "entry_name.h"
#include "file_info_record.h"
#include "parallel_encoder.h"
#include "path_facts.h"
#include "replay_batch.h"
#include "temp_file.h"

namespace lrx {
namespace {

void ReportStatus(const char* verb, const std::string& name) {
    char text[64];
    std::snprintf(text, sizeof text, "101%s %s...", verb, name.c_str());
    Engine().currentWindow.Report(text);
}

// The replays to encode, in the order their entries take in the new archive.
struct Planned {
    std::size_t replay;
    bool updates;  // takes the place of an entry of the same name
};

// Writes the new archive's entries: the kept ones copied, the planned ones
// encoded here (one job) or by the parallel encoder. Stops with 30 where the
// new archive would be longer than maxLength.
int WriteEntries(const std::string& archive, const TFileInfoList* listing, FileStream& output,
                 const std::vector<ReplayToAdd>& replays, const std::vector<std::string>& names,
                 const std::vector<Planned>& plan, unsigned jobs, int64_t maxLength,
                 std::size_t& failedReplay) {
    FileStream input;
    if (listing) {
        input = FileStream(archive.c_str(), "rb", kArchiveBufferSize);
        if (!input.IsOpen()) return LRX_READING_FILE_HEADER;
    }
    const TFileInfo stamp = StampedNow();
    std::unique_ptr<ParallelEncoder> encoder;
    if (jobs > 1 && plan.size() > 1) {
        std::vector<ReplayJob> work;
        for (const Planned& p : plan) work.push_back({replays[p.replay].path, names[p.replay]});
        encoder = std::make_unique<ParallelEncoder>(archive, std::move(work), stamp, jobs);
    }
    std::size_t next = 0;
    auto encodeNext = [&] {
        const Planned& p = plan[next++];
        ReportStatus(p.updates ? "Updating" : "Adding", names[p.replay]);
        const Mailbox& window = Engine().currentWindow;
        int result = encoder ? encoder->AppendNext(output, window)
                             : EncodeReplayEntry(output, replays[p.replay].path, names[p.replay],
                                                 stamp, Engine().codec, window);
        // Only now is the entry's packed size known.
        if (result == LRX_OK && output.Tell() > maxLength) result = LRX_ARCHIVE_TOO_LARGE;
        if (result != LRX_OK) failedReplay = p.replay;
        return result;
    };
    for (const TFileInfoList* node = listing; node; node = node->next) {
        if (next < plan.size() && plan[next].updates &&
            SameEntryName(node->info->name, names[plan[next].replay].c_str())) {
            if (const int result = encodeNext(); result != LRX_OK) return result;
        } else {
            // A kept entry's length is known before it is copied.
            const int64_t length = int64_t{node->info->packedSize} + kFileInfoSize;
            if (output.Tell() + length > maxLength) return LRX_ARCHIVE_TOO_LARGE;
            if (!CopyEntry(input, output, node->offset, length)) return LRX_CREATING_TEMP_FILE;
        }
    }
    while (next < plan.size()) {
        if (const int result = encodeNext(); result != LRX_OK) return result;
    }
    return LRX_OK;
}

}  // namespace

std::vector<bool> SupersededReplays(const std::vector<ReplayToAdd>& replays) {
    std::vector<bool> superseded(replays.size(), false);
    for (std::size_t i = 0; i < replays.size(); ++i) {
        const std::string name = EntryNameOf(replays[i].path);
        for (std::size_t j = i + 1; j < replays.size() && !superseded[i]; ++j) {
            superseded[i] = SameEntryName(name.c_str(), EntryNameOf(replays[j].path).c_str());
        }
    }
    return superseded;
}

int AddReplays(const std::string& archive, const std::vector<ReplayToAdd>& replays, HWND window,
               unsigned jobs, std::size_t& failedReplay, int64_t maxLength) {
    failedReplay = kNoReplay;
    Mailbox& mailbox = Engine().currentWindow;
    mailbox = Mailbox(window);
    if (window) {
        mailbox.Focus();
        if (mailbox.Poll() == kAbortRequest) return LRX_ABORTED;
    }
    std::vector<std::string> names;
    for (std::size_t i = 0; i < replays.size(); ++i) {
        names.push_back(EntryNameOf(replays[i].path));
        failedReplay = i;
        if (names[i].size() > kMaxEntryNameLength) return LRX_REPLAY_NAME_TOO_LONG;
        // Refused before the archive is touched: extraction could never write
        // such an entry back.
        if (!IsSafeEntryName(names[i].c_str())) return LRX_REPLAY_NAME_NOT_ALLOWED;
    }
    failedReplay = kNoReplay;

    // Through a symbolic link the file it leads to is replaced: a rename over
    // the link would put a file in the link's place and leave the archive stale.
    const std::string archivePath = ResolveLinks(archive);
    // Whether the archive exists is not whether it opens: an unreadable
    // archive must not be taken for a missing one and replaced.
    const bool exists = PathExists(archivePath);
    OwnedListing listing;
    if (exists) {
        const int version = CheckArchiveVersion(archivePath.c_str(), LRX_READING_FILE_HEADER);
        if (version != LRX_OK) return version;
        if (const int result = CheckReplaceable(archivePath); result != LRX_OK) return result;
        if (const int result = ListForRewrite(archivePath, listing); result != LRX_OK) {
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
    if (leastLength > maxLength) return LRX_ARCHIVE_TOO_LARGE;

    // The guard outlives the stream: a file still open cannot be removed on
    // every platform.
    const std::string tempPath = MakeTempName(archivePath);
    TempFileGuard temp(tempPath);
    FileStream output;
    if (!StartArchive(output, tempPath)) return LRX_CREATING_TEMP_FILE;
    const int result = WriteEntries(archivePath, listing.head, output, replays, names, plan, jobs,
                                    maxLength, failedReplay);
    // A write that fails is a write into the new archive, wherever it stood:
    // one code for it, as delete gives, whatever the codec was writing.
    if (IsCodecWritingCode(result) || result == LRX_WRITING_FILE_INFO)
        return LRX_CREATING_TEMP_FILE;
    if (result != LRX_OK) return result;
    if (!CloseDurably(output)) return LRX_CREATING_TEMP_FILE;
    // An archive that appeared meanwhile (another add creating it where no
    // lock could be had) is kept: replacing it would lose that add's entries.
    const bool placed = exists ? ReplaceFileAtomically(tempPath, archivePath)
                               : MoveToNewName(tempPath, archivePath);
    if (!placed) return LRX_CREATING_TEMP_FILE;
    temp.Keep();

    for (std::size_t i = 0; i < replays.size(); ++i) {
        if (!superseded[i] && replays[i].move &&
            std::remove(ReplayFilePath(replays[i].path).c_str()) != 0) {
            failedReplay = i;
            return LRX_DELETING_MOVED_REPLAY;
        }
    }
    return LRX_OK;
}

}  // namespace lrx

extern "C" int sJTU(char* archive, char* replay, HWND window, bool moveReplay) {
    std::size_t failedReplay = lrx::kNoReplay;
    return lrx::AddReplays(archive, {{replay, moveReplay}}, window, 1, failedReplay);
}
