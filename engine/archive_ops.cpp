#include "archive_ops.h"

#include "file_info_record.h"
#include "temp_file.h"

namespace lrx {

int CheckArchiveVersion(const char* archive, int openFailure) {
    FileStream file(archive, "rb");
    if (!file.IsOpen()) return openFailure;
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
    char chunk[1000];
    while (length > 0) {
        const auto n = static_cast<std::size_t>(length < 1000 ? length : 1000);
        if (!source.ReadBytes(chunk, n) || !destination.WriteBytes(chunk, n)) return false;
        length -= static_cast<int64_t>(n);
    }
    return true;
}

}  // namespace lrx
