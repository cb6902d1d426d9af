// Adding a replay, or updating the entry of the same name in its place. The
// new archive is always built in a temporary file and then put in the old
// one's place in one step, so a failure, an abort or a crash leaves the
// archive as it was.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "archive_ops.h"
#include "engine_state.h"
#include "entry_codec.h"
#include "entry_name.h"
#include "file_info_record.h"
#include "temp_file.h"

namespace lrx {
namespace {

void StampNow(TFileInfo& info) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    info.year = static_cast<uint16_t>(local.tm_year + 1900);
    info.month = static_cast<uint16_t>(local.tm_mon + 1);
    info.day = static_cast<uint16_t>(local.tm_mday);
    info.hour = static_cast<uint16_t>(local.tm_hour);
    info.minute = static_cast<uint16_t>(local.tm_min);
}

// Encodes one replay onto the end of the output archive, then its record.
int AddEntry(FileStream& output, const std::string& replayPath, const std::string& entryName) {
    FileStream replay(ReplayFilePath(replayPath).c_str(), "rb", kReplayBufferSize);
    if (!replay.IsOpen()) return LRX_OPENING_REPLAY;
    TFileInfo info{};
    StampNow(info);
    std::strncpy(info.name, LowerAscii(entryName).c_str(), sizeof info.name - 1);
    const int64_t rawSize = replay.Length();
    // The record holds a signed 32-bit size; longer files cannot be stored.
    if (rawSize < 0 || rawSize > INT32_MAX) return LRX_READING_HEADER;
    info.rawSize = static_cast<int32_t>(rawSize);
    if (!replay.Seek(0)) return LRX_READING_HEADER;

    int32_t packedSize = 0;  // the record is packed: no reference to its fields
    const int result = EncodeEntry(replay.get(), output.get(), Engine().currentWindow, packedSize);
    if (result != LRX_OK) return result;
    info.packedSize = packedSize;
    unsigned char record[kFileInfoSize];
    EncodeFileInfo(info, record);
    if (!output.WriteBytes(record, sizeof record)) return LRX_WRITING_FILE_INFO;
    return LRX_OK;
}

void ReportStatus(const char* verb, const std::string& name) {
    char text[64];
    std::snprintf(text, sizeof text, "101%s %s...", verb, name.c_str());
    Engine().currentWindow.Report(text);
}

// Copies every kept entry and re-encodes the one being updated. Sets replaced.
int RewriteEntries(const std::string& archive, const TFileInfoList* listing, FileStream& output,
                   const std::string& replayPath, const std::string& entryName, bool& replaced) {
    FileStream input(archive.c_str(), "rb", kArchiveBufferSize);
    if (!input.IsOpen()) return LRX_READING_FILE_HEADER;
    for (const TFileInfoList* node = listing; node; node = node->next) {
        if (SameEntryName(node->info->name, entryName.c_str())) {
            ReportStatus("Updating", entryName);
            const int result = AddEntry(output, replayPath, entryName);
            if (result != LRX_OK) return result;
            replaced = true;
        } else if (!CopyEntry(input, output, node->offset,
                              static_cast<int64_t>(node->info->packedSize) + kFileInfoSize)) {
            return LRX_CREATING_TEMP_FILE;
        }
    }
    return LRX_OK;
}

}  // namespace
}  // namespace lrx

using namespace lrx;

extern "C" int sJTU(char* archive, char* replay, HWND window, bool moveReplay) {
    Mailbox& mailbox = Engine().currentWindow;
    mailbox = Mailbox(window);
    if (window) {
        mailbox.Focus();
        if (mailbox.Poll() == kAbortRequest) return LRX_ABORTED;
    }
    const std::string archivePath = archive;
    const std::string replayPath = replay;
    const std::string entryName = EntryNameOf(replayPath);
    if (entryName.size() > kMaxEntryNameLength) return LRX_REPLAY_NAME_TOO_LONG;

    // Refused before the archive is touched: extraction could never write
    // such an entry back.
    if (!IsSafeEntryName(entryName.c_str())) return LRX_REPLAY_NAME_NOT_ALLOWED;

    // Whether the archive exists is not whether it opens: an unreadable
    // archive must not be taken for a missing one and replaced.
    const bool exists = PathExists(archivePath);
    OwnedListing listing;
    if (exists) {
        const int version = CheckArchiveVersion(archive, LRX_READING_FILE_HEADER);
        if (version != LRX_OK) return version;
        if (!IsWritableFile(archivePath)) return LRX_CREATING_TEMP_FILE;
        if (wG4h(&listing.head, archive) != LRX_OK) return LRX_READING_FILE_HEADER;
    }

    // The guard outlives the stream: a file still open cannot be removed on
    // every platform.
    const std::string tempPath = MakeTempName(archivePath);
    TempFileGuard temp(tempPath);
    FileStream output;
    if (!StartArchive(output, tempPath)) return LRX_CREATING_TEMP_FILE;

    bool replaced = false;
    if (exists) {
        const int result =
            RewriteEntries(archivePath, listing.head, output, replayPath, entryName, replaced);
        if (result != LRX_OK) return result;
    }
    if (!replaced) {
        ReportStatus("Adding", entryName);
        const int result = AddEntry(output, replayPath, entryName);
        if (result != LRX_OK) return result;
    }
    if (!CloseDurably(output) || !ReplaceFileAtomically(tempPath, archivePath)) {
        return LRX_CREATING_TEMP_FILE;
    }
    temp.Keep();

    if (moveReplay && std::remove(ReplayFilePath(replayPath).c_str()) != 0) {
        return LRX_DELETING_MOVED_REPLAY;
    }
    return LRX_OK;
}
