#include "model_check.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "buffered_bytes.h"
#include "car_word.h"
#include "file_stream.h"
#include "lrxpack.h"
#include "replay_reader.h"
#include "slot_set.h"

namespace lrx::codec {
namespace {

bool AllZero(const unsigned char* bytes, int count) {
    for (int i = 0; i < count; ++i) {
        if (bytes[i] != 0) return false;
    }
    return true;
}

// Used entries keep zeros after their terminator; the first empty entry and
// all after it are zero bytes throughout.
bool DriverListIsCanonical(const unsigned char* headerBlock) {
    const int used = UsedDriverCount(headerBlock);
    const unsigned char* entry = headerBlock + kDriverListOffset;
    for (int i = 0; i < kDriverCount; ++i, entry += kDriverEntrySize) {
        if (i >= used) {
            if (!AllZero(entry, kDriverEntrySize)) return false;
            continue;
        }
        const int length = DriverNameLength(entry);
        if (!AllZero(entry + length, kDriverNameSize - length)) return false;
    }
    return true;
}

// What the decoder would rebuild differently in this frame, if anything.
ModelBreak CheckFrame(const FrameView& frame, int slotCount, int slotBase, bool firstFrame) {
    if (frame.recordSize != static_cast<uint32_t>(frame.size)) return ModelBreak::RecordSize;
    return CheckPositions(frame.entries, slotCount, slotBase, firstFrame);
}

ModelCheck Refused(int code, int64_t frame) {
    return {ModelBreak::Refused, code, frame};
}

}  // namespace

ModelBreak CheckPositions(const unsigned char* entries, int slotCount, int slotBase,
                          bool firstFrame) {
    uint64_t present = 0;
    bool emptySeen = false, ascending = true;
    uint32_t keys[kMaxSlots];
    int carCount = 0;
    for (int i = 0; i < slotCount; ++i) {
        const unsigned char* entry = entries + i * kPositionEntrySize;
        if (entry[0] == kEmptyStatus) {
            if (std::memcmp(entry, kEmptyPosition, kPositionEntrySize) != 0) {
                return ModelBreak::EmptyPosition;
            }
            emptySeen = true;
            continue;
        }
        const uint64_t bit = SlotBit(SlotOfStatus(entry[0], slotBase));
        if (present & bit) return ModelBreak::RepeatedSlot;
        present |= bit;
        const uint32_t key = CarKey(LoadCar(entry));
        if (emptySeen || (carCount > 0 && key <= keys[carCount - 1])) ascending = false;
        keys[carCount++] = key;
    }
    // The first frame and frames with tied keys keep their order explicitly;
    // keys in strictly ascending order cannot be tied.
    if (firstFrame || ascending) return ModelBreak::None;
    std::sort(keys, keys + carCount);
    const bool tied = std::adjacent_find(keys, keys + carCount) != keys + carCount;
    return tied ? ModelBreak::None : ModelBreak::EntryOrder;
}

ModelCheck CheckReplayModel(std::FILE* replay) {
    FileSource source(replay);
    return CheckReplayModel(source);
}

ModelCheck CheckReplayModel(const unsigned char* replay, std::size_t size) {
    MemorySource source(replay, size);
    return CheckReplayModel(source);
}

ModelCheck CheckReplayModel(ByteSource& replay) {
    ByteReader in;
    in.Attach(&replay);

    Preamble preamble;
    if (int result = ReadPreamble(in, preamble)) return Refused(result, -1);
    if (!PreambleIsRepresentable(preamble)) return Refused(LRX_READING_HEADER, -1);
    std::vector<unsigned char> block;
    if (int result = ReadHeaderBlock(in, preamble.headerSize, block)) return Refused(result, -1);
    if (!DriverListIsRepresentable(block.data())) return Refused(LRX_READING_HEADER, -1);
    // The first canonical-form problem; a refusal found later still wins.
    ModelCheck first;
    if (!DriverListIsCanonical(block.data())) first = {ModelBreak::DriverList, 0, -1};

    const int slotCount = static_cast<int>(preamble.slotCount);
    const int slotBase = SlotBaseOf(block.data());
    int64_t frameBytesLeft = static_cast<int32_t>(preamble.positionSize);
    int64_t replaySize = kPreambleSize + int64_t{preamble.headerSize};
    for (int64_t index = 0; frameBytesLeft > 0; ++index) {
        FrameView frame;
        if (int result = ReadFrame(in, slotCount, slotBase, frame)) return Refused(result, index);
        replaySize += frame.size;
        if (replaySize > INT32_MAX) return Refused(LRX_READING_POSITION_DATA, index);
        if (first.FollowsModel()) {
            const ModelBreak problem = CheckFrame(frame, slotCount, slotBase, index == 0);
            if (problem != ModelBreak::None) first = {problem, 0, index};
        }
        frameBytesLeft -= frame.size;
    }
    if (!in.AtEnd()) return Refused(LRX_READING_POSITION_DATA, -1);
    return first;
}

ModelCheck CheckReplayModel(const char* path) {
    FileStream file(path, "rb");
    if (!file.IsOpen()) return Refused(LRX_OPENING_REPLAY, -1);
    return CheckReplayModel(file.get());
}

bool ReplayFollowsModel(std::FILE* replay) {
    return CheckReplayModel(replay).FollowsModel();
}

bool ReplayFollowsModel(const char* path) {
    return CheckReplayModel(path).FollowsModel();
}

void DecodedModelCheck::Header(const unsigned char* headerBlock, uint32_t positionSize,
                               int slotCount, int slotBase) {
    if (!DriverListIsRepresentable(headerBlock)) refused_ = Refused(LRX_READING_HEADER, -1);
    if (!DriverListIsCanonical(headerBlock)) first_ = {ModelBreak::DriverList, 0, -1};
    slotCount_ = slotCount;
    slotBase_ = slotBase;
    frameBytesLeft_ = static_cast<int32_t>(positionSize);
}

void DecodedModelCheck::Positions(const unsigned char* entries) {
    if (!first_.FollowsModel()) return;
    const ModelBreak problem = CheckPositions(entries, slotCount_, slotBase_, frame_ == 0);
    if (problem != ModelBreak::None) first_ = {problem, 0, frame_};
}

void DecodedModelCheck::FrameWritten(int64_t size) {
    // The check walks frames until positionSize bytes are used; a frame
    // after that is bytes after the last one.
    if (frameBytesLeft_ <= 0 && refused_.FollowsModel()) {
        refused_ = Refused(LRX_READING_POSITION_DATA, -1);
    }
    frameBytesLeft_ -= size;
    ++frame_;
}

ModelCheck DecodedModelCheck::Finish() const {
    if (!refused_.FollowsModel()) return refused_;
    // positionSize claims more frames: the check would find the file ended,
    // in the position entries or, with none, in the A1 count.
    if (frameBytesLeft_ > 0) {
        return Refused(slotCount_ > 0 ? LRX_READING_POSITION_DATA : LRX_READING_A1, frame_);
    }
    return first_;
}

const char* DescribeModelBreak(ModelBreak problem) {
    switch (problem) {
        case ModelBreak::None:
            return "follows the replay model";
        case ModelBreak::Refused:
            return "cannot be packed";
        case ModelBreak::DriverList:
            return "driver list with bytes after its text";
        case ModelBreak::EmptyPosition:
            return "empty position with other bytes";
        case ModelBreak::EntryOrder:
            return "cars not in ascending order";
        case ModelBreak::RepeatedSlot:
            return "car slot repeated in a frame";
        case ModelBreak::RecordSize:
            return "record size other than the frame's length";
    }
    return "unknown";
}

}  // namespace lrx::codec
