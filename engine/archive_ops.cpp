#include "archive_ops.h"

#include <memory>
#include <new>

#include "file_info_record.h"
#include "temp_file.h"

namespace lrx {

int CheckArchiveVersion(const char* archive, int missingCode) {
    FileStream file(archive, "rb");
    if (!file.IsOpen()) return PathExists(archive) ? LRX_READING_FILE_HEADER : missingCode;
    int32_t version;
    if (!file.ReadI32(version)) return LRX_READING_FILE_HEADER;
    return version == LRX_FORMAT_VERSION ? LRX_OK : LRX_VERSION_MISMATCH;
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

}  // namespace lrx
