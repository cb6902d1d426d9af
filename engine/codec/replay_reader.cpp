#include "replay_reader.h"
#include "byte_order.h"

#include "lrxpack.h"

namespace lrx::codec {

int ReadPreamble(ByteReader& in, Preamble& preamble) {
    const unsigned char* bytes = in.Take(kPreambleSize);
    if (!bytes) return LRX_READING_HEADER;
    preamble.headerSize = LoadU32(bytes);
    preamble.positionSize = LoadU32(bytes + 4);
    preamble.preambleWord = LoadU32(bytes + 8);
    preamble.slotCount = LoadU32(bytes + 12);
    return LRX_OK;
}

int ReadHeaderBlock(ByteReader& in, uint32_t headerSize, std::vector<unsigned char>& block) {
    block.assign(headerSize, 0);
    return in.CopyOut(block.data(), headerSize) ? LRX_OK : LRX_READING_HEADER;
}

bool StatusesNameSlots(const unsigned char* entries, int slotCount, int slotBase) {
    for (int i = 0; i < slotCount; ++i) {
        const unsigned char status = entries[i * kPositionEntrySize];
        if (status == kEmptyStatus) continue;
        const int slot = SlotOfStatus(status, slotBase);
        if (slot < 0 || slot >= slotCount) return false;
    }
    return true;
}

int ReadFrameParts(ByteReader& in, int slotCount, FrameView& frame) {
    // The frame is measured in place, part by part, and consumed only once it
    // is whole: its bytes then lie in one piece, and the buffer is moved only
    // when a frame straddles its end.
    std::size_t size = static_cast<std::size_t>(slotCount) * kPositionEntrySize;
    if (!in.Ensure(size)) return LRX_READING_POSITION_DATA;

    // Each block: its count byte, then its records.
    const auto block = [&](std::size_t recordSize, int& count) {
        if (!in.Ensure(size + 1)) return false;
        count = in.data()[size];
        size += 1 + static_cast<std::size_t>(count) * recordSize;
        return in.Ensure(size);
    };
    if (!block(kA1RecordSize, frame.c1)) return LRX_READING_A1;
    if (!block(kA2RecordSize, frame.c2)) return LRX_READING_A2;
    if (!block(kA3RecordSize, frame.c3)) return LRX_READING_A3;
    if (!in.Ensure(size + kRecordSizeBytes)) return LRX_READING_RECORD_SIZE;

    const unsigned char* bytes = in.data();
    frame.entries = bytes;
    frame.a1 = frame.entries + static_cast<std::size_t>(slotCount) * kPositionEntrySize + 1;
    frame.a2 = frame.a1 + static_cast<std::size_t>(frame.c1) * kA1RecordSize + 1;
    frame.a3 = frame.a2 + static_cast<std::size_t>(frame.c2) * kA2RecordSize + 1;
    frame.recordSize = LoadU32(bytes + size);
    frame.size = FrameSize(slotCount, frame.c1, frame.c2, frame.c3);
    in.Advance(size + kRecordSizeBytes);
    return LRX_OK;
}

int ReadFrame(ByteReader& in, int slotCount, int slotBase, FrameView& frame) {
    const int result = ReadFrameParts(in, slotCount, frame);
    if (result == LRX_READING_POSITION_DATA) return result;
    // The entries come first: a bad status is reported before a short block.
    const unsigned char* entries = result == LRX_OK ? frame.entries : in.data();
    return StatusesNameSlots(entries, slotCount, slotBase) ? result : LRX_READING_POSITION_DATA;
}

}  // namespace lrx::codec
