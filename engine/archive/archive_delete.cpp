// Deleting entries by name: the kept entries are copied into a new archive
// that then replaces the old one in one step; an archive left with no entries
// is removed.
#include <cstdio>
#include <string>

#include "archive_ops.h"
#include "entry_name.h"
#include "file_info_record.h"
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

}  // namespace

int DeleteEntries(const char* archive, int count, char** names, HWND window) {
    const Mailbox mailbox(window);
    if (window && mailbox.Poll() == kAbortRequest) return LRX_ABORTED;
    // Through a symbolic link the file it leads to is replaced (or removed).
    const std::string archivePath = ResolveLinks(archive);
    const int version = CheckArchiveVersion(archivePath.c_str(), LRX_OPENING_ARCHIVE);
    if (version != LRX_OK) return version;
    if (const int result = CheckReplaceable(archivePath); result != LRX_OK) return result;
    OwnedListing listing;
    if (const int result = ListForRewrite(archivePath, listing); result != LRX_OK) return result;

    // The guard outlives the stream: a file still open cannot be removed on
    // every platform.
    const std::string tempPath = MakeTempName(archivePath);
    TempFileGuard temp(tempPath);
    FileStream output;
    if (!StartArchive(output, tempPath)) return LRX_CREATING_TEMP_FILE;

    FileStream input(archivePath.c_str(), "rb", kArchiveBufferSize);
    if (!input.IsOpen()) return LRX_CREATING_TEMP_FILE;
    auto length = [](const TFileInfoList* node) {
        return static_cast<int64_t>(node->info->packedSize) + kFileInfoSize;
    };
    int64_t remaining = 0;
    for (const TFileInfoList* node = listing.head; node; node = node->next) {
        if (!IsNamed(node->info->name, count, names)) remaining += length(node);
    }
    // Reported like an entry being packed, so a window can show it and stop it.
    mailbox.Report("101Deleting entries...");
    ProgressStep progress(remaining);
    int kept = 0;
    for (const TFileInfoList* node = listing.head; node; node = node->next) {
        if (IsNamed(node->info->name, count, names)) continue;
        if (!progress.AtUnitStart(remaining, mailbox)) return LRX_ABORTED;
        if (!CopyEntry(input, output, node->offset, length(node))) return LRX_CREATING_TEMP_FILE;
        remaining -= length(node);
        ++kept;
    }
    input.Close();
    if (!CloseDurably(output) || !ReplaceFileAtomically(tempPath, archivePath)) {
        return LRX_CREATING_TEMP_FILE;
    }
    temp.Keep();

    if (kept == 0) {
        return std::remove(archivePath.c_str()) == 0 ? LRX_REMOVED_EMPTY_ARCHIVE
                                                     : LRX_REMOVING_EMPTY_ARCHIVE;
    }
    return LRX_OK;
}

}  // namespace lrx

extern "C" int zTOR(char* archive, int count, char** names) {
    return lrx::DeleteEntries(archive, count, names, nullptr);
}
