// The archive directory: version query, the backward walk that lists the
// entries, and freeing the list.
#include <cstdint>
#include <memory>
#include <new>

#include "file_info_record.h"
#include "file_stream.h"
#include "lrxpack.h"

using lrx::FileStream;

extern "C" int N3Sf() {
    return LRX_FORMAT_VERSION;
}

extern "C" int ttzS(char* path, long& value) {
    FileStream file(path, "rb");
    if (!file.IsOpen()) return LRX_READING_FILE_INFO;
    int32_t word;
    if (!file.ReadI32(word)) {
        value = 0;
        return LRX_READING_FILE_HEADER;
    }
    value = word;
    return LRX_OK;
}

extern "C" void AGGa(TFileInfoList** head) {
    if (!head) return;
    while (*head) {
        TFileInfoList* next = (*head)->next;
        delete (*head)->info;
        delete *head;
        *head = next;
    }
}

extern "C" int wG4h(TFileInfoList** head, char* archive) {
    AGGa(head);
    FileStream file(archive, "rb");
    if (!file.IsOpen()) return LRX_READING_FILE_INFO;
    int32_t version;
    if (!file.ReadI32(version)) return LRX_READING_FILE_HEADER;
    if (version > LRX_FORMAT_VERSION) return LRX_VERSION_MISMATCH;
    int32_t dataStart;
    if (!file.Seek(8) || !file.ReadI32(dataStart)) return LRX_READING_FILE_HEADER;
    const int64_t length = file.Length();
    if (length < 0) return LRX_READING_FILE_INFO;

    // Every size here comes from the file: positions are 64-bit, and a record
    // that does not lead back to at or above dataStart ends the walk as damaged.
    for (int64_t position = length - lrx::kFileInfoSize; position >= dataStart;) {
        unsigned char bytes[lrx::kFileInfoSize];
        if (!file.Seek(position) || !file.ReadBytes(bytes, sizeof bytes)) {
            return LRX_READING_FILE_INFO;  // nodes behind this position stay listed
        }
        std::unique_ptr<TFileInfo> info(new (std::nothrow) TFileInfo{});
        if (!info) {
            AGGa(head);
            return LRX_READING_FILE_INFO;
        }
        const bool nameEnds = lrx::DecodeFileInfo(bytes, *info);
        const int64_t offset = position - info->packedSize;
        if (!nameEnds || info->packedSize < 0 || offset < dataStart || offset > INT32_MAX) {
            AGGa(head);
            return LRX_READING_FILE_INFO;
        }
        auto* node =
            new (std::nothrow) TFileInfoList{info.get(), static_cast<int32_t>(offset), *head};
        if (!node) {
            AGGa(head);
            return LRX_READING_FILE_INFO;
        }
        info.release();
        *head = node;
        position = offset - lrx::kFileInfoSize;
    }
    return LRX_OK;
}
