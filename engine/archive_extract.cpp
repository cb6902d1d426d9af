// Extracting entries. Each entry is decoded into a temporary file in the
// destination folder and renamed over the destination only when it decoded
// completely, so a failure or an abort never spoils a file already there.
#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "archive_ops.h"
#include "engine_state.h"
#include "entry_codec.h"
#include "entry_name.h"
#include "temp_file.h"

using namespace lrx;

namespace {

bool ExistsAndNotEmpty(const std::string& path) {
    FileStream file(path.c_str(), "rb");
    return file.IsOpen() && file.Length() > 0;
}

int ExtractEntry(FileStream& archive, const std::string& destinationFolder, const TFileInfo& info,
                 int& overwriteMode) {
    // A stored name is only a name: anything that could lead elsewhere, or that
    // does not fit a path, is refused before a file is created.
    const std::string destination = destinationFolder + info.name;
    if (!IsSafeEntryName(info.name) || destination.size() > kMaxPathLength) {
        std::printf("ERROR : Unable to create %s\n", info.name);
        return LRX_CREATING_REPLAY_FILE;
    }
    if (overwriteMode != 2 && ExistsAndNotEmpty(destination)) {
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
    if (PathExists(destination) && !IsWritableFile(destination)) {
        std::printf("ERROR : Unable to create %s\n", info.name);
        return LRX_CREATING_REPLAY_FILE;
    }

    const std::string tempPath = MakeTempName(destination);
    TempFileGuard temp(tempPath);
    FileStream output;
    if (!tempPath.empty()) output = FileStream(tempPath.c_str(), "wb", kReplayBufferSize);
    if (!output.IsOpen()) {
        std::printf("ERROR : Unable to create %s\n", info.name);
        return LRX_CREATING_REPLAY_FILE;
    }
    const int result =
        DecodeEntry(archive.get(), output.get(), info.rawSize, Engine().currentWindow);
    if (result != LRX_OK) return result;
    if (!CloseDurably(output)) return LRX_WRITING_POSITION_DATA;
    if (!ReplaceFileAtomically(tempPath, destination)) {
        std::printf("ERROR : Unable to create %s\n", info.name);
        return LRX_CREATING_REPLAY_FILE;
    }
    temp.Keep();
    std::printf("\rExtracting %s... Done.  \n", info.name);
    return LRX_OK;
}

}  // namespace

extern "C" int MFqc(char* archive, char* destinationFolder, int& overwriteMode, HWND window,
                    bool everyEntry, int count, char** names) {
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
    if (wG4h(&listing.head, archive) != LRX_OK) return LRX_READING_FILE_HEADER;

    const int nameCount = everyEntry || count < 0 ? 0 : count;
    std::unique_ptr<bool[]> taken(
        new (std::nothrow) bool[static_cast<std::size_t>(nameCount) + 1]());
    if (!taken) return LRX_READING_FILE_HEADER;
    const std::string folder = destinationFolder;
    for (const TFileInfoList* node = listing.head; node; node = node->next) {
        bool selected = everyEntry;
        for (int i = 0; i < nameCount; ++i) {
            if (!taken[i] && names[i] && SameEntryName(names[i], node->info->name)) {
                taken[i] = true;
                selected = true;
            }
        }
        if (!selected) continue;
        char status[64];
        std::snprintf(status, sizeof status, "101Extracting %s...", node->info->name);
        mailbox.Report(status);
        if (!file.Seek(node->offset)) return LRX_READING_HEADER;
        const int result = ExtractEntry(file, folder, *node->info, overwriteMode);
        if (result != LRX_OK) return result;
    }
    return LRX_OK;
}
