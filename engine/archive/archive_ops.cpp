#include "archive_ops.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <new>

#include "entry_codec.h"
#include "entry_name.h"
#include "file_info_record.h"
#include "lrxpack_api.h"
#include "path_facts.h"
#include "temp_file.h"

namespace lrx {

int CheckArchiveVersion(const std::string& archive, int missingCode, Failure& failure) {
    errno = 0;
    FileStream file(archive.c_str(), "rb");
    if (!file.IsOpen()) {
        const int error = errno ? errno : ENOENT;
        return failure.Record(PathExists(archive) ? LRX_READING_FILE_HEADER : missingCode, error,
                              archive, {}, kNoItem, NonFileAt(archive, true));
    }
    // A read that fails is a short or damaged archive, or a folder: no
    // reason of the system's to give.
    int32_t version;
    if (!file.ReadI32(version)) {
        return failure.Record(LRX_READING_FILE_HEADER, 0, archive, {}, kNoItem,
                              NonFileAt(archive, true));
    }
    if (version == LRX_FORMAT_VERSION) return LRX_OK;
    return failure.Record(LRX_VERSION_MISMATCH, 0, archive, {}, kNoItem, version);
}

int CheckArchiveVersion(const char* archive, int missingCode) {
    Failure ignored;
    return CheckArchiveVersion(archive, missingCode, ignored);
}

int CheckReplaceable(const std::string& archive, Failure& failure) {
    errno = 0;
    if (!IsWritableFile(archive)) {
        return failure.Record(LRX_CREATING_TEMP_FILE, errno ? errno : EACCES, archive);
    }
    // Keeping one file for all its names would mean writing it in place.
    if (LookAt(archive, true).names > 1) {
        return failure.Record(LRX_CREATING_TEMP_FILE, 0, archive, {}, kNoItem, LRX_PATH_LINKED);
    }
    return LRX_OK;
}

int ListArchive(const std::string& archive, OwnedListing& listing, Failure& failure) {
    // Opened here first for the reason of a failed open, which the list's
    // code alone does not give.
    {
        errno = 0;
        const FileStream file(archive.c_str(), "rb");
        if (!file.IsOpen()) {
            return failure.Record(LRX_READING_FILE_INFO, errno ? errno : ENOENT, archive, {},
                                  kNoItem, NonFileAt(archive, true));
        }
    }
    const int result = wG4h(&listing.head, const_cast<char*>(archive.c_str()));
    if (result == LRX_OK) return LRX_OK;
    int detail = NonFileAt(archive, true);
    long version = 0;
    if (result == LRX_VERSION_MISMATCH && ttzS(const_cast<char*>(archive.c_str()), version) == 0) {
        detail = static_cast<int>(version);
    }
    return failure.Record(result, 0, archive, {}, kNoItem, detail);
}

int64_t EntriesStart(const TFileInfoList* head, int64_t archiveLength) {
    return head ? head->offset : archiveLength;
}

int ListForRewrite(const std::string& archive, OwnedListing& listing, Failure& failure) {
    if (wG4h(&listing.head, const_cast<char*>(archive.c_str())) != LRX_OK) {
        return failure.Record(LRX_READING_FILE_HEADER, 0, archive);
    }
    errno = 0;
    FileStream file(archive.c_str(), "rb");
    const int64_t length = file.IsOpen() ? file.Length() : -1;
    if (length < 0) return failure.Record(LRX_READING_FILE_HEADER, errno, archive);
    if (EntriesStart(listing.head, length) != kArchiveHeaderSize) {
        return failure.Record(LRX_READING_FILE_INFO, 0, archive);
    }
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
                      codec::CodecContext& ctx, ProgressSink& progress, Failure& failure) {
    const std::string readPath = ReplayFilePath(replayPath);
    errno = 0;
    FileStream replay(readPath.c_str(), "rb", kReplayBufferSize);
    if (!replay.IsOpen()) {
        return failure.Record(LRX_OPENING_REPLAY, errno ? errno : ENOENT, replayPath, {}, kNoItem,
                              NonFileAt(readPath, true));
    }
    TFileInfo info = stamp;
    std::strncpy(info.name, LowerAscii(entryName).c_str(), sizeof info.name - 1);
    const int64_t rawSize = replay.Length();
    // The record holds a signed 32-bit size; longer files cannot be stored.
    if (rawSize < 0 || rawSize > INT32_MAX || !replay.Seek(0)) {
        return failure.Record(LRX_READING_HEADER, 0, replayPath);
    }
    info.rawSize = static_cast<int32_t>(rawSize);

    int32_t packedSize = 0;  // the record is packed: no reference to its fields
    errno = 0;
    const int result = EncodeEntry(ctx, replay.get(), output.get(), progress, packedSize);
    if (result != LRX_OK) {
        const bool writing = IsCodecWritingCode(result);
        return failure.Record(result, errno, writing ? std::string() : replayPath);
    }
    info.packedSize = packedSize;
    unsigned char record[kFileInfoSize];
    EncodeFileInfo(info, record);
    if (!output.WriteBytes(record, sizeof record)) {
        return failure.Record(LRX_WRITING_FILE_INFO, errno, {});
    }
    return LRX_OK;
}

}  // namespace lrx
