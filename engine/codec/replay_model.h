// The layout of a replay file (*.rpl) as the codec reads and rebuilds it:
//   preamble      16 bytes: headerSize H, positionSize P, an opaque word, slotCount N
//   header block  H bytes: 32 opaque bytes (byte 4 picks the slot base), 40 driver
//                 entries of 33 bytes, (H - 1352) / 4 opaque words, 0 to 3 tail bytes
//   frames        until P bytes are used: N position entries of 9 bytes, the A1,
//                 A2 and A3 blocks (a count byte and that many records each), and
//                 the frame's own length as a 32-bit recordSize
// All numbers are little-endian.
#pragma once

#include <cstdint>

#include "byte_order.h"

namespace lrx::codec {

inline constexpr int kPreambleSize = 16;
inline constexpr uint32_t kUsualHeaderSize = 2954;  // stored in one bit
inline constexpr uint32_t kMinHeaderSize = 1352;    // header bytes and driver list
// A header larger than this is refused on both sides: a corrupt size must not
// make the decoder allocate or write without bound.
inline constexpr uint32_t kMaxHeaderSize = 16 * 1024 * 1024;

inline constexpr int kHeaderByteCount = 32;
inline constexpr int kLayoutMarkerOffset = 4;
inline constexpr unsigned char kSlotBaseZeroMarker = 5;

inline constexpr int kDriverCount = 40;
inline constexpr int kDriverEntrySize = 33;
inline constexpr int kDriverNameSize = 32;
inline constexpr int kMaxDriverNameLength = 31;  // the length is stored in 5 bits
inline constexpr int kMaxDriverByte = 126;       // stored plus one in 7 bits
inline constexpr int kDriverListOffset = kHeaderByteCount;

inline constexpr int kMaxSlots = 63;  // slotCount is stored in 6 bits
inline constexpr int kPositionEntrySize = 9;
inline constexpr unsigned char kEmptyStatus = 1;
inline constexpr int kA1RecordSize = 14;
inline constexpr int kA2RecordSize = 7;
inline constexpr int kA3RecordSize = 13;
inline constexpr int kRecordSizeBytes = 4;
inline constexpr int kMaxBlockCount = 255;
inline constexpr int kMaxFrameSize =
    kMaxSlots * kPositionEntrySize + 3 +
    kMaxBlockCount * (kA1RecordSize + kA2RecordSize + kA3RecordSize) + kRecordSizeBytes;

// What the decoder writes for every empty position: status 1, valueB 0xD239.
inline constexpr unsigned char kEmptyPosition[kPositionEntrySize] = {0x01, 0x00, 0x00, 0x00, 0x39,
                                                                     0xD2, 0x00, 0x00, 0x00};
// The format's order sentinel: orderKey 16777215, above every real key, ends
// the search for a car's place when a frame's order is rebuilt. This decoder
// sorts the cars instead, which gives the same order.
inline constexpr unsigned char kOrderSentinel[kPositionEntrySize] = {0x00, 0xFF, 0xFF, 0xFF, 0x00,
                                                                     0x00, 0x00, 0x00, 0x00};

struct Preamble {
    uint32_t headerSize = 0;
    uint32_t positionSize = 0;
    uint32_t preambleWord = 0;
    uint32_t slotCount = 0;
};

inline int HeaderWordCount(uint32_t headerSize) {
    return static_cast<int>((headerSize - kMinHeaderSize) / 4);
}
inline int HeaderTailSize(uint32_t headerSize) {
    return static_cast<int>((headerSize - kMinHeaderSize) % 4);
}

inline int SlotBaseOf(const unsigned char* headerBlock) {
    return headerBlock[kLayoutMarkerOffset] == kSlotBaseZeroMarker ? 0 : 1;
}

// An entry is empty when its name is empty and its driver byte is 0; the
// list ends at the first empty entry.
inline bool DriverEntryIsEmpty(const unsigned char* entry) {
    return entry[0] == 0 && entry[kDriverNameSize] == 0;
}

// Characters before the first 0 byte, at most 32.
int DriverNameLength(const unsigned char* entry);

// Driver entries in use: those before the first empty one.
int UsedDriverCount(const unsigned char* headerBlock);

// The slot a present status names; may lie outside 0..N-1 in a damaged file.
inline int SlotOfStatus(unsigned char status, int slotBase) {
    return (status >> 1) - slotBase;
}

inline int64_t FrameSize(int slotCount, int c1, int c2, int c3) {
    return int64_t{slotCount} * kPositionEntrySize + 3 + int64_t{c1} * kA1RecordSize +
           int64_t{c2} * kA2RecordSize + int64_t{c3} * kA3RecordSize + kRecordSizeBytes;
}

// Whether the stream can carry these sizes: H within 1352..16 MiB, N at most 63.
bool PreambleIsRepresentable(const Preamble& preamble);
// Whether every used driver entry has a name of at most 31 characters and a
// driver byte of at most 126. headerBlock holds at least 1352 bytes.
bool DriverListIsRepresentable(const unsigned char* headerBlock);

}  // namespace lrx::codec
