#include "archive_ops.h"

#include <cstring>
#include <ctime>
#include <memory>
#include <new>

#include "entry_codec.h"
#include "entry_name.h"
#include "file_info_record.h"
#include "path_facts.h"
#include "temp_file.h"

namespace lrx {

int CheckArchiveVersion(const char* archive, int missingCode) {
    FileStream file(archive, "rb");
    if (!file.IsOpen()) return PathExists(archive) ? LRX_READING_FILE_HEADER : missingCode;
    int32_t version;
    if (!file.ReadI32(version)) return LRX_READING_FILE_HEADER;
    return version == LRX_FORMAT_VERSION ? LRX_OK : LRX_VERSION_MISMATCH;
}

int CheckReplaceable(const std::string& archive) {
    if (!IsWritableFile(archive)) return LRX_CREATING_TEMP_FILE;
    // Keeping one file for all its names would mean writing it in place.
    if (LookAt(archive, true).names > 1) return LRX_CREATING_TEMP_FILE;
    return LRX_OK;
}

int64_t EntriesStart(const TFileInfoList* head, int64_t archiveLength) {
    return head ? head->offset : archiveLength;
}

int ListForRewrite(const std::string& archive, OwnedListing& listing) {
    if (wG4h(&listing.head, const_cast<char*>(archive.c_str())) != LRX_OK) {
        return LRX_READING_FILE_HEADER;
    }
    FileStream file(archive.c_str(), "rb");
    const int64_t length = file.IsOpen() ? file.Length() : -1;
    if (length < 0) return LRX_READING_FILE_HEADER;
    if (EntriesStart(listing.head, length) != kArchiveHeaderSize) return LRX_READING_FILE_INFO;
    return LRX_OK;
}

bool StartArchive(FileStream& output, const std::string& tempPath) {
    if (tempPath.empty()) return false;
    output = FileStream(tempPath.c_str(), "wb", kArchiveBufferSize);
    if (!output.IsOpen()) return false;
    unsigned char header[kArchiveHeaderSize];
    EncodeArchiveHeader(header);
    return output.WriteBytes(header, sizeof header);
}

bool CopyEntry(FileStream& source, FileStream& destination, int64_t start, int64_t length) {
    if (!source.Seek(start)) return false;
    // Pieces far larger than the streams' buffers pass straight between the
    // files and the system instead of through those buffers: a big archive
    // is copied with a third of the work. Small entries use the stack.
    constexpr int64_t kLargePiece = 1024 * 1024;
    char smallPiece[4096];
    const int64_t wanted = length < kLargePiece ? length : kLargePiece;
    std::unique_ptr<char[]> largePiece;
    if (wanted > static_cast<int64_t>(sizeof smallPiece)) {
        largePiece.reset(new (std::nothrow) char[static_cast<std::size_t>(wanted)]);
    }
    char* piece = largePiece ? largePiece.get() : smallPiece;
    const int64_t pieceSize = largePiece ? wanted : static_cast<int64_t>(sizeof smallPiece);
    while (length > 0) {
        const auto n = static_cast<std::size_t>(length < pieceSize ? length : pieceSize);
        if (!source.ReadBytes(piece, n) || !destination.WriteBytes(piece, n)) return false;
        length -= static_cast<int64_t>(n);
    }
    return true;
}

TFileInfo StampedAt(int64_t secondsSinceEpoch) {
    TFileInfo info{};
    std::tm local{};
#ifdef _WIN32
    // The 64-bit clock: the 32-bit runtime's time_t ends in January 2038.
    const __time64_t when = secondsSinceEpoch;
    _localtime64_s(&local, &when);
#else
    const std::time_t when = static_cast<std::time_t>(secondsSinceEpoch);
    localtime_r(&when, &local);
#endif
    info.year = static_cast<uint16_t>(local.tm_year + 1900);
    info.month = static_cast<uint16_t>(local.tm_mon + 1);
    info.day = static_cast<uint16_t>(local.tm_mday);
    info.hour = static_cast<uint16_t>(local.tm_hour);
    info.minute = static_cast<uint16_t>(local.tm_min);
    return info;
}

TFileInfo StampedNow() {
#ifdef _WIN32
    return StampedAt(_time64(nullptr));
#else
    return StampedAt(std::time(nullptr));
#endif
}

int EncodeReplayEntry(FileStream& output, const std::string& replayPath,
                      const std::string& entryName, const TFileInfo& stamp,
                      codec::CodecContext& ctx, const Mailbox& window) {
    FileStream replay(ReplayFilePath(replayPath).c_str(), "rb", kReplayBufferSize);
    if (!replay.IsOpen()) return LRX_OPENING_REPLAY;
    TFileInfo info = stamp;
    std::strncpy(info.name, LowerAscii(entryName).c_str(), sizeof info.name - 1);
    const int64_t rawSize = replay.Length();
    // The record holds a signed 32-bit size; longer files cannot be stored.
    if (rawSize < 0 || rawSize > INT32_MAX) return LRX_READING_HEADER;
    info.rawSize = static_cast<int32_t>(rawSize);
    if (!replay.Seek(0)) return LRX_READING_HEADER;

    int32_t packedSize = 0;  // the record is packed: no reference to its fields
    const int result = EncodeEntry(ctx, replay.get(), output.get(), window, packedSize);
    if (result != LRX_OK) return result;
    info.packedSize = packedSize;
    unsigned char record[kFileInfoSize];
    EncodeFileInfo(info, record);
    if (!output.WriteBytes(record, sizeof record)) return LRX_WRITING_FILE_INFO;
    return LRX_OK;
}

}  // namespace lrx
