// Deleting entries by name: the kept entries are copied into a new archive
// that then replaces the old one in one step; an archive left with no entries
// is removed.
#include <cerrno>
#include <cstdio>
#include <string>

#include "archive_ops.h"
#include "entry_name.h"
#include "exception_barrier.h"
#include "file_info_record.h"
#include "lrxpack_api.h"
#include "path_facts.h"
#include "progress_step.h"
#include "replay_batch.h"
#include "temp_file.h"

namespace lrx {
namespace {

bool IsNamed(const char* entry, int count, char** names) {
    for (int i = 0; i < count; ++i) {
        if (names[i] && SameEntryName(entry, names[i])) return true;
    }
    return false;
}

// Delete on the archive's path with its links resolved.
int Delete(OperationContext& ctx, const std::string& archivePath, int count, char** names) {
    if (ctx.CancelRequested()) return ctx.Fail(LRX_ABORTED, 0, archivePath);
    const int version = CheckArchiveVersion(archivePath, LRX_OPENING_ARCHIVE, ctx.failure);
    if (version != LRX_OK) return version;
    if (const int result = CheckReplaceable(archivePath, ctx.failure); result != LRX_OK) {
        return result;
    }
    OwnedListing listing;
    if (const int result = ListForRewrite(archivePath, listing, ctx.failure); result != LRX_OK) {
        return result;
    }

    // The guard outlives the stream: a file still open cannot be removed on
    // every platform.
    const std::string tempPath = MakeTempName(archivePath);
    TempFileGuard temp(tempPath);
    FileStream output;
    errno = 0;
    if (!StartArchive(output, tempPath)) {
        return ctx.Fail(LRX_CREATING_TEMP_FILE, errno, archivePath);
    }

    errno = 0;
    FileStream input(archivePath.c_str(), "rb", kArchiveBufferSize);
    if (!input.IsOpen()) return ctx.Fail(LRX_CREATING_TEMP_FILE, errno, archivePath);
    auto length = [](const TFileInfoList* node) {
        return static_cast<int64_t>(node->info->packedSize) + kFileInfoSize;
    };
    int64_t remaining = 0;
    for (const TFileInfoList* node = listing.head; node; node = node->next) {
        if (!IsNamed(node->info->name, count, names)) remaining += length(node);
    }
    // Reported like an entry being packed, so a window can show it and stop it.
    ctx.progress.Enter(Stage::Deleting, nullptr);
    if (ctx.StopAsked()) return ctx.Fail(LRX_ABORTED, 0, archivePath);
    ProgressStep steps(remaining);
    int kept = 0;
    for (const TFileInfoList* node = listing.head; node; node = node->next) {
        if (IsNamed(node->info->name, count, names)) continue;
        if (!steps.AtUnitStart(remaining, ctx.progress)) {
            return ctx.Fail(LRX_ABORTED, 0, archivePath);
        }
        errno = 0;
        if (!CopyEntry(input, output, node->offset, length(node))) {
            return ctx.Fail(LRX_CREATING_TEMP_FILE, errno, archivePath);
        }
        remaining -= length(node);
        ++kept;
    }
    input.Close();
    errno = 0;
    if (!CloseDurably(output) || !ReplaceFileAtomically(tempPath, archivePath)) {
        return ctx.Fail(LRX_CREATING_TEMP_FILE, errno, archivePath);
    }
    temp.Keep();

    if (kept == 0) {
        errno = 0;
        if (std::remove(archivePath.c_str()) == 0) return LRX_REMOVED_EMPTY_ARCHIVE;
        return ctx.Fail(LRX_REMOVING_EMPTY_ARCHIVE, errno, archivePath);
    }
    return LRX_OK;
}

}  // namespace

// Whether the archive, read as a rewrite would read it, holds an entry of
// one of the names: 0 and named set, or the code of the listing.
int FindNamed(OperationContext& ctx, const std::string& archivePath, int count, char** names,
              bool& named) {
    const int version = CheckArchiveVersion(archivePath, LRX_OPENING_ARCHIVE, ctx.failure);
    if (version != LRX_OK) return version;
    OwnedListing listing;
    if (const int result = ListForRewrite(archivePath, listing, ctx.failure); result != LRX_OK) {
        return result;
    }
    named = false;
    for (const TFileInfoList* node = listing.head; node && !named; node = node->next) {
        named = IsNamed(node->info->name, count, names);
    }
    return LRX_OK;
}

int DeleteEntries(OperationContext& ctx, const char* archive, int count, char** names,
                  bool onlyWhenNamed) {
    // Through a symbolic link the file it leads to is replaced (or removed).
    const std::string archivePath = ResolveLinks(archive);
    bool named = true;
    int result = onlyWhenNamed ? FindNamed(ctx, archivePath, count, names, named) : LRX_OK;
    if (result == LRX_OK && named) result = Delete(ctx, archivePath, count, names);
    // Failures about the archive name it as the caller did.
    if (ctx.failure.failed() && ctx.failure.path == archivePath) ctx.failure.path = archive;
    return result;
}

}  // namespace lrx

extern "C" int zTOR(char* archive, int count, char** names) {
    return lrx::ThrowsNothing(LRX_CREATING_TEMP_FILE, [&] {
        lrx::ProgressSink none;
        lrx::OperationContext ctx(none, LRX_CALL_DELETE);
        return lrx::DeleteEntries(ctx, archive, count, names);
    });
}
