// The encoder: one sequential pass over the replay, coding each field by what
// it is. The decoder reads the stream in exactly this order.
#include <algorithm>
#include <array>
#include <climits>
#include <vector>

#include "block_records.h"
#include "byte_order.h"
#include "car_value_codes.h"
#include "codec.h"
#include "lrxpack.h"
#include "progress_step.h"
#include "replay_reader.h"
#include "slot_set.h"

namespace lrx::codec {
namespace {

// The header's fields go out one by one, each with room of its own.
class HeaderWriter {
  public:
    explicit HeaderWriter(BitWriter& out) : out_(out) {}
    bool Put(uint32_t value, int count) { return out_.Reserve(8) && out_.Put(value, count); }
    bool PutBytes(const unsigned char* bytes, int count) {
        return out_.Reserve(static_cast<std::size_t>(count)) && out_.PutBytes(bytes, count);
    }

  private:
    BitWriter& out_;
};

int EncodeHeader(CodecContext& ctx, BitWriter& bits) {
    Preamble preamble;
    if (int result = ReadPreamble(ctx.input, preamble)) return result;
    if (!PreambleIsRepresentable(preamble)) return LRX_READING_HEADER;

    HeaderWriter out(bits);
    const uint32_t h = preamble.headerSize;
    const bool sizesWritten =
        (h == kUsualHeaderSize ? out.Put(0, 1) : out.Put(1, 1) && out.Put(h, 32)) &&
        out.Put(preamble.positionSize, 32) && out.Put(preamble.preambleWord, 32) &&
        out.Put(preamble.slotCount, 6);
    if (!sizesWritten) return LRX_WRITING_HEADER;

    std::vector<unsigned char> block;
    if (int result = ReadHeaderBlock(ctx.input, h, block)) return result;
    if (!DriverListIsRepresentable(block.data())) return LRX_READING_HEADER;

    if (!out.PutBytes(block.data(), kHeaderByteCount)) return LRX_WRITING_HEADER;

    // Used entries as driver byte + 1, name length and characters; the first
    // empty entry as a 0 that ends the list.
    const unsigned char* entry = block.data() + kDriverListOffset;
    for (int i = 0; i < kDriverCount; ++i, entry += kDriverEntrySize) {
        if (DriverEntryIsEmpty(entry)) {
            if (!out.Put(0, 7)) return LRX_WRITING_DRIVER_LIST;
            break;
        }
        const int length = DriverNameLength(entry);
        if (!out.Put(entry[kDriverNameSize] + 1u, 7) || !out.Put(length, 5)) {
            return LRX_WRITING_DRIVER_LIST;
        }
        for (int c = 0; c < length; ++c) {
            if (!out.Put(entry[c], 8)) return LRX_WRITING_DRIVER_LIST;
        }
    }

    const unsigned char* word = block.data() + kMinHeaderSize;
    for (int i = HeaderWordCount(h); i > 0; --i, word += 4) {
        const uint32_t value = LoadU32(word);
        if (!(value == 0 ? out.Put(0, 1) : out.Put(1, 1) && out.Put(value, 32))) {
            return LRX_WRITING_HEADER;
        }
    }
    for (int i = HeaderTailSize(h); i > 0; --i, ++word) {
        if (!out.Put(*word, 8)) return LRX_WRITING_HEADER;
    }

    ctx.replay.headerSize = h;
    ctx.replay.positionSize = preamble.positionSize;
    ctx.replay.slotCount = static_cast<int>(preamble.slotCount);
    ctx.replay.slotBase = SlotBaseOf(block.data());
    ctx.replay.frameBytesLeft = static_cast<int32_t>(preamble.positionSize);
    return LRX_OK;
}

// A block count: "0" for none, else "1" and 8 bits.
void PutBlockCount(BitWriter& out, int count) {
    if (count == 0) {
        out.Put(0, 1);
    } else {
        out.Put(0x100u | static_cast<uint32_t>(count), 9);
    }
}

// Per-replay state of the frame step; lives on the stack of one call.
struct EncoderFrames {
    std::array<SlotHistory, kMaxSlots> history{};
    std::array<uint64_t, kMaxSlots> carOfSlot{};  // the frame's cars, as one word each
    uint64_t wasPresent = 0;
    bool firstFrame = true;
    RawFrameCountdown raw;
};

// Whether two present slots share an orderKey. Entries already in strictly
// ascending order, each slot once, cannot; only other frames are searched.
bool HasTiedKeys(const EncoderFrames& state, uint64_t present, bool ascendingOnce) {
    if (ascendingOnce) return false;
    std::array<uint32_t, kMaxSlots> keys;
    int count = 0;
    for (uint64_t rest = present; rest; rest &= rest - 1) {
        keys[count++] = CarKey(state.carOfSlot[LowestSlot(rest)]);
    }
    std::sort(keys.begin(), keys.begin() + count);
    return std::adjacent_find(keys.begin(), keys.begin() + count) != keys.begin() + count;
}

// The words a frame can complete, with the bits pending before it.
constexpr std::size_t kFrameRoom = (31 + kMaxFrameBits + 31) / 32 * 4;

int EncodeFrame(CodecContext& ctx, const FrameView& frame, EncoderFrames& state,
                BitWriter& writer) {
    const int n = ctx.replay.slotCount;
    const int slotBase = ctx.replay.slotBase;
    // Entry pass: flag bits in file order, and which slots the frame holds.
    uint64_t flags = 0;
    uint64_t present = 0;
    bool ascendingOnce = true;
    uint32_t lastKey = 0;
    for (int i = 0; i < n; ++i) {
        const unsigned char* entry = frame.entries + i * kPositionEntrySize;
        const unsigned char status = entry[0];
        flags = (flags << 1) | (status & 1u);
        if (status == kEmptyStatus) continue;
        const int slot = SlotOfStatus(status, slotBase);
        if (static_cast<unsigned>(slot) >= static_cast<unsigned>(n)) {
            return LRX_READING_POSITION_DATA;  // a slot the stream cannot carry
        }
        const uint64_t car = LoadCar(entry);
        const uint32_t key = CarKey(car);
        if ((present & SlotBit(slot)) || (present != 0 && key <= lastKey)) ascendingOnce = false;
        lastKey = key;
        present |= SlotBit(slot);
        state.carOfSlot[slot] = car;
    }

    // A failed write shows when room for the frame is made; after that the
    // frame cannot fail. The frame goes through a copy of the writer that
    // stays in registers, see bit_writer.h.
    if (!writer.Reserve(kFrameRoom)) return LRX_WRITING_POSITION_DATA;
    BitWriter out = writer;
    if (n > 0) out.PutWide(flags, n);

    if (present == state.wasPresent) {
        out.Put(0, 1);
    } else {
        // One bit per slot in slot order, 1 for an absent slot.
        out.Put(1, 1);
        out.PutWide(SlotOrderBits(~present, n), n);
        state.wasPresent = present;
    }

    state.raw.EachCar(present, [&](int slot, RawFrames raw) LRX_HOT_LAMBDA {
        PutCarValues(out, state.carOfSlot[slot], state.history[slot], raw);
        return true;
    });

    // The decoder rebuilds the order from the keys, unless it cannot.
    if (state.firstFrame || HasTiedKeys(state, present, ascendingOnce)) {
        for (int i = 0; i < n; ++i) out.Put(frame.entries[i * kPositionEntrySize], 7);
        state.firstFrame = false;
    }

    // The records through a copy of the writer that no call sees.
    BitWriter records = out;
    PutBlockCount(records, frame.c1);
    for (int i = 0; i < frame.c1; ++i) PutA1Record(frame.a1 + i * kA1RecordSize, records);
    PutBlockCount(records, frame.c2);
    for (int i = 0; i < frame.c2; ++i) PutA2Record(frame.a2 + i * kA2RecordSize, records);
    if (frame.c3 == 0) {
        records.Put(0, 1);
    } else if (frame.c3 == 1) {
        records.Put(0x2, 2);
    } else {
        records.Put(0x300u | static_cast<uint32_t>(frame.c3), 10);
    }
    for (int i = 0; i < frame.c3; ++i) PutA3Record(frame.a3 + i * kA3RecordSize, records);
    writer = records;
    return LRX_OK;
}

int EncodeFrames(CodecContext& ctx, BitWriter& out, ProgressSink& progress) {
    ReplayContext& replay = ctx.replay;
    EncoderFrames state;
    state.wasPresent = AllSlots(replay.slotCount);
    ProgressStep steps(static_cast<int32_t>(replay.positionSize));
    // The decoder stops on the replay's length, so the frames must end
    // exactly where the file does, and the length must fit the record.
    int64_t replaySize = kPreambleSize + int64_t{replay.headerSize};

    while (replay.frameBytesLeft > 0) {
        if (!steps.AtUnitStart(static_cast<int32_t>(replay.frameBytesLeft), progress)) {
            return LRX_ABORTED;
        }
        FrameView frame;
        if (int result = ReadFrameParts(ctx.input, replay.slotCount, frame)) {
            const bool entriesRead = result != LRX_READING_POSITION_DATA;
            return entriesRead &&
                           !StatusesNameSlots(ctx.input.data(), replay.slotCount, replay.slotBase)
                       ? LRX_READING_POSITION_DATA
                       : result;
        }
        replaySize += frame.size;
        if (replaySize > INT32_MAX) return LRX_READING_POSITION_DATA;
        if (int result = EncodeFrame(ctx, frame, state, out)) return result;
        replay.frameBytesLeft -= frame.size;
    }
    return ctx.input.AtEnd() ? LRX_OK : LRX_READING_POSITION_DATA;
}

}  // namespace

int EncodeReplay(CodecContext& ctx, ByteSource& replay, ByteSink& packed, ProgressSink& progress,
                 int64_t& packedSize) {
    ctx.input.Attach(&replay);
    ctx.output.Attach(&packed);
    BitWriter out(ctx.output);
    int result = EncodeHeader(ctx, out);
    // The header goes out on its own, so that a failed write is its own.
    out.Commit();
    const bool headerOut = ctx.output.Drain();
    if (result == LRX_OK && !headerOut) result = LRX_WRITING_HEADER;
    if (result == LRX_OK) {
        result = EncodeFrames(ctx, out, progress);
        if (result == LRX_OK && !out.Finish()) result = LRX_WRITING_POSITION_DATA;
        out.Commit();
        if (!ctx.output.Drain() && result == LRX_OK) result = LRX_WRITING_POSITION_DATA;
    }
    if (result == LRX_OK) packedSize = out.bytesWritten();
    ctx.input.Attach(nullptr);
    ctx.output.Attach(nullptr);
    return result;
}

}  // namespace lrx::codec
