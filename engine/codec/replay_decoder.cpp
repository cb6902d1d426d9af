// The decoder: mirrors the encoder step by step and rebuilds what it left
// out: the order of the cars, the bytes of empty positions and each frame's
// recordSize. Output is bounded by bytesLeft, whatever the stream claims.
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <vector>

#include "block_records.h"
#include "byte_order.h"
#include "car_value_codes.h"
#include "codec.h"
#include "lrxpack.h"
#include "progress_step.h"
#include "replay_model.h"
#include "slot_set.h"

namespace lrx::codec {
namespace {

int DecodeHeader(CodecContext& ctx, CheckedBitReader& in, DecodedModelCheck* model) {
    uint32_t bit, h = kUsualHeaderSize, positionSize, preambleWord, slotCount;
    if (!in.GetBit(bit) || (bit && !in.Get(h, 32)) || !in.Get(positionSize, 32) ||
        !in.Get(preambleWord, 32) || !in.Get(slotCount, 6)) {
        return LRX_READING_HEADER;
    }
    // A header that cannot be, or that would not fit in the entry's length,
    // is damage: refuse it before taking memory for it.
    if (h < kMinHeaderSize || h > kMaxHeaderSize ||
        kPreambleSize + int64_t{h} > int64_t{ctx.bytesLeft}) {
        return LRX_READING_HEADER;
    }

    unsigned char preamble[kPreambleSize];
    StoreU32(preamble, h);
    StoreU32(preamble + 4, positionSize);
    StoreU32(preamble + 8, preambleWord);
    StoreU32(preamble + 12, slotCount);
    if (!ctx.output.Write(preamble, sizeof preamble)) return LRX_WRITING_HEADER;
    ctx.bytesLeft -= kPreambleSize;

    std::vector<unsigned char> block(h, 0);
    if (!in.GetBytes(block.data(), kHeaderByteCount)) return LRX_READING_HEADER;

    unsigned char* entry = block.data() + kDriverListOffset;
    for (int i = 0; i < kDriverCount; ++i, entry += kDriverEntrySize) {
        uint32_t driverByte, length;
        if (!in.Get(driverByte, 7)) return LRX_READING_DRIVER_LIST;
        if (driverByte == 0) break;
        entry[kDriverNameSize] = static_cast<unsigned char>(driverByte - 1);
        if (!in.Get(length, 5) || !in.GetBytes(entry, static_cast<int>(length))) {
            return LRX_READING_DRIVER_LIST;
        }
    }

    unsigned char* word = block.data() + kMinHeaderSize;
    for (int i = HeaderWordCount(h); i > 0; --i, word += 4) {
        uint32_t value = 0;
        if (!in.GetBit(bit) || (bit && !in.Get(value, 32))) return LRX_READING_HEADER;
        StoreU32(word, value);
    }
    if (!in.GetBytes(word, HeaderTailSize(h))) return LRX_READING_HEADER;

    if (!ctx.output.Write(block.data(), h)) return LRX_WRITING_HEADER;
    ctx.bytesLeft -= static_cast<int32_t>(h);

    ctx.replay.headerSize = h;
    ctx.replay.positionSize = positionSize;
    ctx.replay.slotCount = static_cast<int>(slotCount);
    ctx.replay.slotBase = SlotBaseOf(block.data());
    if (model) model->Header(block.data(), positionSize, ctx.replay.slotCount, ctx.replay.slotBase);
    return LRX_OK;
}

// Per-replay state of the frame step; lives on the stack of one call.
struct DecoderFrames {
    std::array<uint64_t, kMaxSlots> cars{};  // the latest values of each slot, one word a car
    std::array<SlotHistory, kMaxSlots> history{};
    // The cars of the previous frame by ascending key: cars seldom pass each
    // other, so sorting from there takes about one comparison per car.
    std::array<uint8_t, kMaxSlots> lastOrder{};
    int lastOrderCount = 0;
    uint64_t present = 0;
    bool sameCars = false;  // the cars of lastOrder, no more, no fewer
    bool firstFrame = true;
    RawFrameCountdown raw;
    DecodedModelCheck* model = nullptr;
};

// The present cars of a frame by ascending key, each as key << 6 | slot.
struct CarOrder {
    std::array<uint32_t, kMaxSlots> byKey;
    int count = 0;
};

// Reads one block count: "0" for none, else "1" and 8 bits.
template <class In>
bool GetBlockCount(In& in, uint32_t& count) {
    uint32_t bit;
    count = 0;
    return in.GetBit(bit) && (!bit || in.Get(count, 8));
}

// The records of a block, each written as it is decoded.
template <class In>
[[gnu::noinline]] int DecodeRecords(CodecContext& ctx, In& in, uint32_t count, int recordSize,
                                    bool (*get)(In&, unsigned char*), int readingCode,
                                    int writingCode) {
    for (uint32_t i = 0; i < count; ++i) {
        unsigned char* record = ctx.output.Reserve(static_cast<std::size_t>(recordSize));
        if (!record) return writingCode;
        if (!get(in, record)) return readingCode;
        ctx.output.Commit(static_cast<std::size_t>(recordSize));
    }
    return LRX_OK;
}

// The count byte and records of one block; most blocks are empty.
template <class In>
LRX_HOT_INLINE int DecodeBlock(CodecContext& ctx, In& in, uint32_t count, int recordSize,
                               int reserveAfter, bool (*get)(In&, unsigned char*), int readingCode,
                               int writingCode) {
    const int64_t size = int64_t{count} * recordSize + 1;
    if (size + reserveAfter > ctx.bytesLeft) return readingCode;
    const unsigned char countByte = static_cast<unsigned char>(count);
    if (!ctx.output.Write(&countByte, 1)) return writingCode;
    if (count != 0) {
        if (int result = DecodeRecords(ctx, in, count, recordSize, get, readingCode, writingCode)) {
            return result;
        }
    }
    ctx.bytesLeft -= static_cast<int32_t>(size);
    return LRX_OK;
}

// Reads the flag bits, the presence bits when they changed, and the values of
// every present car. False when the stream ended.
template <class In>
LRX_HOT_INLINE bool ReadCars(DecoderFrames& state, In& in, int n, uint64_t& flags) {
    uint64_t bits = 0;
    uint32_t changed;
    flags = 0;
    if ((n > 0 && !in.GetWide(flags, n)) || !in.GetBit(changed)) return false;
    state.sameCars = !changed;
    if (changed) {
        if (n > 0 && !in.GetWide(bits, n)) return false;
        state.present = ~SlotsFromOrderBits(bits, n) & AllSlots(n);
    }
    return state.raw.EachCar(state.present, [&](int slot, RawFrames raw) LRX_HOT_LAMBDA {
        return GetCarValues(in, state.cars[slot], state.history[slot], raw);
    });
}

// Sorts the present cars by key, inserting them in the order of the previous
// frame.
LRX_HOT_INLINE void OrderCars(const DecoderFrames& state, CarOrder& order) {
    // The count in a register of its own: through the struct it would make
    // a round trip through memory for every car.
    uint32_t* const byKey = order.byKey.data();
    int count = 0;
    const auto insert = [&](int slot) {
        const uint32_t car = CarKey(state.cars[slot]) << 6 | static_cast<uint32_t>(slot);
        int j = count++;
        for (; j > 0 && byKey[j - 1] > car; --j) byKey[j] = byKey[j - 1];
        byKey[j] = car;
    };
    uint64_t listed = 0;
    for (int i = 0; i < state.lastOrderCount; ++i) {
        const int slot = state.lastOrder[i];
        if (!(state.present & SlotBit(slot))) continue;
        insert(slot);
        listed |= SlotBit(slot);
    }
    for (uint64_t rest = state.present & ~listed; rest; rest &= rest - 1) {
        insert(LowestSlot(rest));
    }
    order.count = count;
}

// Writes the cars in the previous frame's order, each with the flag bit of
// its position. False when a car has passed another or two keys are tied:
// the entries are then written again, sorted, and a tie reads statuses.
LRX_HOT_INLINE bool WriteInLastOrder(const DecoderFrames& state, unsigned char* out,
                                     uint64_t flagsAhead, int slotBase) {
    const int count = state.lastOrderCount;
    // Keys one up, so that the first is above "none before it".
    uint32_t previous = 0;
    bool ascending = true;
    unsigned char* entry = out;
    for (int i = 0; i < count; ++i, entry += kPositionEntrySize) {
        const int slot = state.lastOrder[i];
        const uint64_t car = state.cars[slot];
        const uint32_t key = CarKey(car) + 1;
        ascending &= key > previous;
        previous = key;
        entry[0] = static_cast<unsigned char>(2 * (slot + slotBase) + (flagsAhead >> 63));
        flagsAhead <<= 1;
        StoreCar(entry, car);
    }
    return ascending;
}

// Writes the cars in ascending key order, each with the flag bit of its
// position, and keeps that order for the next frame.
LRX_HOT_INLINE uint32_t WriteInOrder(DecoderFrames& state, unsigned char* out, uint64_t flagsAhead,
                                     int slotBase, const CarOrder& order) {
    // Keys are tied when two neighbours differ only in their slot bits.
    uint32_t smallestGap = state.firstFrame ? 0 : 64;
    uint32_t previous = order.count > 0 ? order.byKey[0] ^ 64 : 0;
    unsigned char* entry = out;
    for (int i = 0; i < order.count; ++i, entry += kPositionEntrySize) {
        const uint32_t car = order.byKey[i];
        smallestGap = std::min(smallestGap, car ^ previous);
        previous = car;
        const int slot = static_cast<int>(car & 63);
        state.lastOrder[i] = static_cast<uint8_t>(slot);
        const uint32_t flag = static_cast<uint32_t>(flagsAhead >> 63);
        flagsAhead <<= 1;
        entry[0] = static_cast<unsigned char>(2 * (slot + slotBase) + flag);
        StoreCar(entry, state.cars[slot]);
    }
    state.lastOrderCount = order.count;
    return smallestGap;
}

// Writes the position entries. Cars in ascending key order take the first
// positions, each with the flag bit of its position; the rest are empty.
// Unless two keys are tied (or it is the first frame): then the statuses in
// the stream say where each car goes, and those entries are written over
// these.
template <class In>
LRX_HOT_INLINE int WritePositions(CodecContext& ctx, DecoderFrames& state, In& in, uint64_t flags) {
    const int n = ctx.replay.slotCount;
    const int slotBase = ctx.replay.slotBase;
    const int64_t entriesSize = int64_t{n} * kPositionEntrySize;
    if (entriesSize > ctx.bytesLeft) return LRX_READING_POSITION_DATA;
    unsigned char* const out = ctx.output.Reserve(static_cast<std::size_t>(entriesSize));
    if (!out) return LRX_WRITING_POSITION_DATA;
    const uint64_t flagsAhead = n > 0 ? flags << (64 - n) : 0;  // position 0's on top
    // Cars seldom pass each other: most frames keep the last one's order.
    // Keys rising with no tie: no statuses follow, unless in the first frame.
    uint32_t smallestGap = state.firstFrame ? 0 : 64;
    const bool sameCars = state.sameCars && state.lastOrderCount == std::popcount(state.present);
    if (!sameCars || !WriteInLastOrder(state, out, flagsAhead, slotBase)) {
        CarOrder order;
        OrderCars(state, order);
        smallestGap = WriteInOrder(state, out, flagsAhead, slotBase, order);
    }
    unsigned char* entry = out + state.lastOrderCount * kPositionEntrySize;
    for (int i = state.lastOrderCount; i < n; ++i, entry += kPositionEntrySize) {
        std::memcpy(entry, kEmptyPosition, kPositionEntrySize);
    }
    const bool statusesGiven = smallestGap < 64;
    if (statusesGiven) {
        entry = out;
        for (int i = 0; i < n; ++i, entry += kPositionEntrySize) {
            uint32_t status;
            if (!in.Get(status, 7)) return LRX_READING_POSITION_DATA;
            if (status == kEmptyStatus) {
                std::memcpy(entry, kEmptyPosition, kPositionEntrySize);
                continue;
            }
            const int slot = SlotOfStatus(static_cast<unsigned char>(status), slotBase);
            if (slot < 0 || slot >= n) return LRX_READING_POSITION_DATA;
            entry[0] = static_cast<unsigned char>(status);
            StoreCar(entry, state.cars[slot]);
        }
        state.firstFrame = false;
    }
    // The order the decoder made itself follows the model, unless slot 0 of
    // slot base 0 took a status that reads as an empty position.
    if (state.model && (statusesGiven || (slotBase == 0 && (state.present & 1)))) {
        state.model->Positions(out);
    }
    ctx.output.Commit(static_cast<std::size_t>(entriesSize));
    ctx.bytesLeft -= static_cast<int32_t>(entriesSize);
    return LRX_OK;
}

// The three blocks and the recordSize that ends the frame.
template <class In>
int DecodeBlocks(CodecContext& ctx, DecoderFrames& state, In& in) {
    uint32_t count;
    if (!GetBlockCount(in, count)) return LRX_READING_A1;
    if (int result = DecodeBlock(ctx, in, count, kA1RecordSize, 0, GetA1Record<In>, LRX_READING_A1,
                                 LRX_WRITING_A1)) {
        return result;
    }
    const uint32_t c1 = count;
    if (!GetBlockCount(in, count)) return LRX_READING_A2;
    if (int result = DecodeBlock(ctx, in, count, kA2RecordSize, 0, GetA2Record<In>, LRX_READING_A2,
                                 LRX_WRITING_A2)) {
        return result;
    }
    const uint32_t c2 = count;
    // A3 count: "0" for none, "10" for one, else "11" and 8 bits.
    uint32_t bit;
    count = 0;
    if (!in.GetBit(bit)) return LRX_READING_A3;
    if (bit) {
        if (!in.GetBit(bit)) return LRX_READING_A3;
        count = 1;
        if (bit && !in.Get(count, 8)) return LRX_READING_A3;
    }
    if (int result = DecodeBlock(ctx, in, count, kA3RecordSize, kRecordSizeBytes, GetA3Record<In>,
                                 LRX_READING_A3, LRX_WRITING_A3)) {
        return result;
    }

    const int64_t frameSize = FrameSize(ctx.replay.slotCount, static_cast<int>(c1),
                                        static_cast<int>(c2), static_cast<int>(count));
    ctx.bytesLeft -= kRecordSizeBytes;
    if (!ctx.output.WriteWord(static_cast<uint32_t>(frameSize))) return LRX_WRITING_RECORD_SIZE;
    if (state.model) state.model->FrameWritten(frameSize);
    return LRX_OK;
}

// Most frames carry no records: their three counts are three 0 bits, and
// the three count bytes and recordSize go out at once. False, with nothing
// read or written, for any other end of a frame (or a failure), which
// DecodeBlocks then takes with its own result codes.
template <class In>
LRX_HOT_INLINE bool EndFrameWithoutRecords(CodecContext& ctx, DecoderFrames& state, In& in) {
    constexpr int kEndSize = 3 + kRecordSizeBytes;
    if (ctx.bytesLeft < kEndSize || in.Peek(3) != 0) return false;
    unsigned char* const end = ctx.output.Reserve(kEndSize);
    if (!end || !in.Skip(3)) return false;
    const int64_t frameSize = FrameSize(ctx.replay.slotCount, 0, 0, 0);
    end[0] = end[1] = end[2] = 0;
    StoreU32(end + 3, static_cast<uint32_t>(frameSize));
    ctx.output.Commit(kEndSize);
    ctx.bytesLeft -= kEndSize;
    if (state.model) state.model->FrameWritten(frameSize);
    return true;
}

template <class In>
int DecodeFrame(CodecContext& ctx, DecoderFrames& state, In& stream) {
    // The cars through a copy of the reader that no call sees, see bit_reader.h.
    In in = stream;
    uint64_t flags;
    if (!ReadCars(state, in, ctx.replay.slotCount, flags)) return LRX_READING_POSITION_DATA;
    if (int result = WritePositions(ctx, state, in, flags)) return result;
    const bool ended = EndFrameWithoutRecords(ctx, state, in);
    stream = in;
    return ended ? LRX_OK : DecodeBlocks(ctx, state, stream);
}

// Stream bytes that hold any frame, from the word of its first bit.
constexpr std::size_t kFrameBytes = (31 + kMaxFrameBits + 31) / 32 * 4;

int DecodeFrames(CodecContext& ctx, unsigned& bitOffset, ProgressSink& progress,
                 DecodedModelCheck* model) {
    DecoderFrames state;
    state.present = AllSlots(ctx.replay.slotCount);
    state.model = model;
    ProgressStep steps(ctx.bytesLeft);
    // Every frame writes at least its three counts and recordSize, so the
    // loop ends within bytesLeft / 7 frames.
    while (ctx.bytesLeft > 0) {
        if (!steps.AtUnitStart(ctx.bytesLeft, progress)) return LRX_ABORTED;
        // With a whole frame's worth of the stream buffered, no read needs a
        // test; only the last frames of a stream are read with them.
        int result;
        if (ctx.input.Ensure(kFrameBytes)) {
            UncheckedBitReader in(ctx.input, bitOffset);
            result = DecodeFrame(ctx, state, in);
            bitOffset = in.Release();
        } else {
            CheckedBitReader in(ctx.input, bitOffset);
            result = DecodeFrame(ctx, state, in);
            bitOffset = in.Release();
        }
        if (result != LRX_OK) return result;
    }
    return LRX_OK;
}

}  // namespace

int DecodeReplay(CodecContext& ctx, ByteSource& packed, ByteSink& replay, int32_t rawSize,
                 ProgressSink& progress, DecodeCheck* check) {
    ctx.input.Attach(&packed);
    ctx.output.Attach(&replay);
    ctx.bytesLeft = rawSize;
    DecodedModelCheck model;
    DecodedModelCheck* const watch = check ? &model : nullptr;

    CheckedBitReader header(ctx.input, 0);
    int result = DecodeHeader(ctx, header, watch);
    unsigned bitOffset = header.Release();
    // The header goes out on its own, so that a failed write is its own.
    if (!ctx.output.Drain() && result == LRX_OK) result = LRX_WRITING_HEADER;
    if (result == LRX_OK) {
        result = DecodeFrames(ctx, bitOffset, progress, watch);
        if (!ctx.output.Drain() && result == LRX_OK) result = LRX_WRITING_POSITION_DATA;
    }
    if (check) {
        check->packedBitsUsed = ctx.input.Consumed() * 8 + bitOffset;
        check->model = model.Finish();
    }
    ctx.input.Attach(nullptr);
    ctx.output.Attach(nullptr);
    return result;
}

}  // namespace lrx::codec
