// The 32-byte directory record and the 12-byte archive header, as bytes.
#pragma once

#include <cstdint>

#include "lrxpack.h"

namespace lrx {

inline constexpr int kFileInfoSize = 32;
inline constexpr int kArchiveHeaderSize = 12;
inline constexpr int32_t kArchiveMarker = -100;
inline constexpr int kMaxEntryNameLength = 13;
// Positions in the format are signed 32-bit (the walk starts at the length
// less 32, offsets are int32): no archive is written longer than this.
inline constexpr int64_t kMaxArchiveLength = INT32_MAX;

void EncodeFileInfo(const TFileInfo& info, unsigned char (&bytes)[kFileInfoSize]);
// False when the name has no NUL inside its 14 bytes.
bool DecodeFileInfo(const unsigned char (&bytes)[kFileInfoSize], TFileInfo& info);

void EncodeArchiveHeader(unsigned char (&bytes)[kArchiveHeaderSize]);

}  // namespace lrx
