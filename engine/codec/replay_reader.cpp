#include "replay_reader.h"

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

int ReadFrame(ByteReader& in, int slotCount, int slotBase, FrameView& frame) {
    // With a whole frame's worth read ahead, no Take below moves the buffer,
    // so every pointer of the view stays valid.
    in.Ensure(kMaxFrameSize);

    frame.entries = in.Take(static_cast<std::size_t>(slotCount) * kPositionEntrySize);
    if (!frame.entries) return LRX_READING_POSITION_DATA;
    for (int i = 0; i < slotCount; ++i) {
        const unsigned char status = frame.entries[i * kPositionEntrySize];
        if (status == kEmptyStatus) continue;
        const int slot = SlotOfStatus(status, slotBase);
        if (slot < 0 || slot >= slotCount) return LRX_READING_POSITION_DATA;
    }

    const unsigned char* count = in.Take(1);
    if (!count) return LRX_READING_A1;
    frame.c1 = *count;
    frame.a1 = in.Take(static_cast<std::size_t>(frame.c1) * kA1RecordSize);
    if (!frame.a1) return LRX_READING_A1;

    count = in.Take(1);
    if (!count) return LRX_READING_A2;
    frame.c2 = *count;
    frame.a2 = in.Take(static_cast<std::size_t>(frame.c2) * kA2RecordSize);
    if (!frame.a2) return LRX_READING_A2;

    count = in.Take(1);
    if (!count) return LRX_READING_A3;
    frame.c3 = *count;
    frame.a3 = in.Take(static_cast<std::size_t>(frame.c3) * kA3RecordSize);
    if (!frame.a3) return LRX_READING_A3;

    const unsigned char* recordSize = in.Take(kRecordSizeBytes);
    if (!recordSize) return LRX_READING_RECORD_SIZE;
    frame.recordSize = LoadU32(recordSize);
    frame.size = FrameSize(slotCount, frame.c1, frame.c2, frame.c3);
    return LRX_OK;
}

}  // namespace lrx::codec
