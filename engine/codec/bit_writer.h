// Writes the packed stream (see stream_words.h) into room reserved in a
// ByteWriter. Up to 63 pending bits wait in a 64-bit register, so no shift
// ever reaches the width of its operand; a completed word is stored at once.
//
// Nothing is tested per field: the caller reserves room for the most bytes
// its next fields can take (a whole frame in the hot loop, a few bytes per
// header field), and only Reserve can fail. A writer is a plain value: the
// hot loop hands a copy to calls that are not inlined, so that its own stays
// in registers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "buffered_bytes.h"
#include "stream_words.h"

namespace lrx::codec {

class BitWriter {
  public:
    explicit BitWriter(ByteWriter& out) : out_(&out) {}

    // Hands the completed words on and makes room for bytes more. False when
    // making room needed a write that failed.
    bool Reserve(std::size_t bytes) {
        Commit();
        room_ = next_ = out_->Reserve(bytes + kStoreAhead);
        return room_ != nullptr;
    }

    // Adds the low count bits of value (no other bits may be set) without
    // storing completed words: the bits pending before and all added since
    // the last Spill must fit 64 (after a Spill at most 31 are pending).
    LRX_HOT_INLINE void Add(uint32_t value, int count) {
        pending_ |= uint64_t{value} << (64 - count_ - count);
        count_ += static_cast<unsigned>(count);
    }
    // Stores the completed word, if there is one. The word is stored either
    // way and simply overwritten when it was not complete.
    LRX_HOT_INLINE void Spill() {
        stream_words::StoreLittle32(next_, static_cast<uint32_t>(pending_ >> 32));
        const unsigned full = count_ >> 5;
        next_ += 4 * full;
        pending_ <<= 32 * full;
        count_ &= 31;
    }
    // Appends the low count bits of value (count 1 to 32; other bits may be
    // set). Always true; the bool keeps the record codes generic.
    LRX_HOT_INLINE bool Put(uint32_t value, int count) {
        Add(value & LowBits(count), count);
        Spill();
        return true;
    }
    LRX_HOT_INLINE bool PutWide(uint64_t value, int count) {
        if (count > 32) Put(static_cast<uint32_t>(value >> 32), count - 32);
        return Put(static_cast<uint32_t>(value), count > 32 ? 32 : count);
    }
    // Bytes carried as they are, 8 bits each.
    bool PutBytes(const unsigned char* bytes, int count) {
        for (int i = 0; i < count; ++i) Put(bytes[i], 8);
        return true;
    }

    // Completes the last word with zero bits and hands everything on; false
    // when a write failed.
    bool Finish() {
        if (!Reserve(4)) return false;
        if (count_ > 0) Put(0, 32 - static_cast<int>(count_));
        Commit();
        return true;
    }

    // Bits pending for a word not yet complete (0 to 31).
    int pendingBits() const { return static_cast<int>(count_); }
    // Bytes of completed words so far.
    int64_t bytesWritten() const { return committed_ + (next_ - room_); }

    // Hands the completed words to the ByteWriter; the pending bits stay.
    void Commit() {
        const std::size_t used = static_cast<std::size_t>(next_ - room_);
        out_->Commit(used);
        committed_ += static_cast<int64_t>(used);
        room_ = next_;
    }

  private:
    // Spill stores a word ahead of the last completed one.
    static constexpr std::size_t kStoreAhead = 4;

    ByteWriter* out_;
    unsigned char* room_ = nullptr;  // the reserved room not yet handed on
    unsigned char* next_ = nullptr;  // where the next completed word goes
    uint64_t pending_ = 0;           // the pending bits on top
    unsigned count_ = 0;             // pending bits
    int64_t committed_ = 0;
};

}  // namespace lrx::codec
