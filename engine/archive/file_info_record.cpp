#include "file_info_record.h"

#include <cstring>

#include "byte_order.h"

namespace lrx {

void EncodeFileInfo(const TFileInfo& info, unsigned char (&bytes)[kFileInfoSize]) {
    std::memcpy(bytes, info.name, sizeof info.name);
    StoreU32(bytes + 14, static_cast<uint32_t>(info.rawSize));
    StoreU32(bytes + 18, static_cast<uint32_t>(info.packedSize));
    StoreU16(bytes + 22, info.year);
    StoreU16(bytes + 24, info.month);
    StoreU16(bytes + 26, info.day);
    StoreU16(bytes + 28, info.hour);
    StoreU16(bytes + 30, info.minute);
}

bool DecodeFileInfo(const unsigned char (&bytes)[kFileInfoSize], TFileInfo& info) {
    std::memcpy(info.name, bytes, sizeof info.name);
    info.rawSize = static_cast<int32_t>(LoadU32(bytes + 14));
    info.packedSize = static_cast<int32_t>(LoadU32(bytes + 18));
    info.year = LoadU16(bytes + 22);
    info.month = LoadU16(bytes + 24);
    info.day = LoadU16(bytes + 26);
    info.hour = LoadU16(bytes + 28);
    info.minute = LoadU16(bytes + 30);
    return std::memchr(info.name, '\0', sizeof info.name) != nullptr;
}

void EncodeArchiveHeader(unsigned char (&bytes)[kArchiveHeaderSize]) {
    StoreU32(bytes, LRX_FORMAT_VERSION);
    StoreU32(bytes + 4, static_cast<uint32_t>(kArchiveMarker));
    StoreU32(bytes + 8, kArchiveHeaderSize);
}

}  // namespace lrx
