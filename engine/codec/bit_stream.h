// The packed stream of an archive entry: bit fields of 1 to 32 bits in 32-bit
// little-endian words, each word filled from its most significant bit down, a
// field written most significant bit first and free to straddle two words.
// The stream ends on a whole word whose unused low bits are 0.
//
// One state serves the writer and the reader, never both at once. The writer
// keeps up to 63 bits in a 64-bit accumulator, so no shift ever reaches the
// width of its operand; the words on disk are the same as with a 32-bit
// buffer. The reader keeps only a bit offset into the word at the start of
// its ByteReader's buffer: the words stay there until every bit is used.
//
// The hot loops do not go through the state field by field. They take a
// cursor (BitCursor or FrameBitCursor to read, BitSink to write) that lives
// in registers for a frame and hands its position back when it is done.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "buffered_file.h"
#include "byte_order.h"

namespace lrx::codec {

// The low count bits set, count 0 to 32.
constexpr uint32_t LowBits(int count) {
    return count >= 32 ? 0xFFFFFFFFu : (uint32_t{1} << count) - 1;
}

namespace stream_words {

inline uint64_t LoadLittle64(const unsigned char* p) {
    uint64_t value;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&value, p, sizeof value);
    } else {
        value = uint64_t{LoadU32(p)} | uint64_t{LoadU32(p + 4)} << 32;
    }
    return value;
}

inline void StoreLittle32(unsigned char* p, uint32_t value) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(p, &value, sizeof value);
    } else {
        StoreU32(p, value);
    }
}

// The two stream words at p as one 64-bit number, the first word on top.
LRX_HOT_INLINE uint64_t LoadWordPair(const unsigned char* p) {
    return std::rotl(LoadLittle64(p), 32);
}

}  // namespace stream_words

class BitStream;

// Reads fields at a bit position over a ByteReader's buffer; every read makes
// sure its words are buffered and fails at the end of the stream. The cursor
// may load up to 12 bytes past the bits it uses, which the reader's load
// slack covers. A cursor is a plain value: the hot loops hand a copy to
// calls that are not inlined, so that their own stays in registers (a byte
// stored through a char pointer could otherwise be the cursor's and would
// force it back to memory).
class BitCursor {
  public:
    inline BitCursor(BitStream& bits, ByteReader& in);
    // Hands the position back to the state and consumes the used words.
    inline void Commit();

    // The next count bits (1 to 32), zero-extended. False when the stream
    // ends first; value is then not to be used.
    LRX_HOT_INLINE bool Get(uint32_t& value, int count) {
        if (!Has(count)) return false;
        value = static_cast<uint32_t>(Window() >> (64 - count));
        pos_ += static_cast<unsigned>(count);
        return true;
    }
    LRX_HOT_INLINE bool GetBit(uint32_t& bit) { return Get(bit, 1); }
    // A field of up to 64 bits, read in two pieces.
    LRX_HOT_INLINE bool GetWide(uint64_t& value, int count) {
        uint32_t high = 0, low;
        if (count > 32 && !Get(high, count - 32)) return false;
        if (!Get(low, count > 32 ? 32 : count)) return false;
        value = (uint64_t{high} << 32) | low;
        return true;
    }
    // Bytes carried as they are, 8 bits each.
    bool GetBytes(unsigned char* bytes, int count) {
        for (int i = 0; i < count; ++i) {
            uint32_t byte;
            if (!Get(byte, 8)) return false;
            bytes[i] = static_cast<unsigned char>(byte);
        }
        return true;
    }

    // The next count bits (1 to 32) without consuming them; bits past the end
    // of the stream read as 0, so a prefix code can be looked up before its
    // length is known. Skip then fails if the code ran past the end.
    LRX_HOT_INLINE uint32_t Peek(int count) {
        if (!Has(count)) return PeekPastTheEnd(count);
        return static_cast<uint32_t>(Window() >> (64 - count));
    }
    LRX_HOT_INLINE bool Skip(int count) {
        if (!Has(count)) return false;
        pos_ += static_cast<unsigned>(count);
        return true;
    }
    // The next 64 bits, 0 past the end of the stream; Consume(count) then
    // moves on by count bits (at most 32), false past the end.
    uint64_t Ahead() {
        Has(64);  // fewer at the end of the stream
        const uint64_t real = limit_ > pos_ ? limit_ - pos_ : 0;
        const unsigned offset = pos_ & 31;
        const unsigned char* word = base_ + 4 * (pos_ >> 5);
        const uint64_t window = stream_words::LoadWordPair(word) << offset |
                                uint64_t{LoadU32(word + 8)} >> (32 - offset);
        return real >= 64 ? window : real == 0 ? 0 : window & ~(~uint64_t{0} >> real);
    }
    LRX_HOT_INLINE bool Consume(int count) { return Skip(count); }

  private:
    // At least 33 bits from the position, the first on top.
    LRX_HOT_INLINE uint64_t Window() const {
        return stream_words::LoadWordPair(base_ + 4 * (pos_ >> 5)) << (pos_ & 31);
    }
    LRX_HOT_INLINE bool Has(int count) {
        return pos_ + static_cast<unsigned>(count) <= limit_ || Refill(count);
    }
    // Reads more of the stream; false when it ends before count more bits.
    [[gnu::noinline]] bool Refill(int count);
    [[gnu::noinline]] uint32_t PeekPastTheEnd(int count);

    BitStream* bits_;
    ByteReader* in_;
    const unsigned char* base_;  // the word holding the first unread bit
    uint64_t pos_;               // bits of the stream used, from base_
    uint64_t limit_;             // bits buffered from base_, whole words only
};

// Reads a frame the caller has made sure is buffered whole, with no tests at
// all. The next 64 bits of the stream always wait in a register; after each
// read it is topped up from the next two words, without a branch and from an
// address that does not depend on the field just read. It loads up to 20
// bytes past the bits it uses.
class FrameBitCursor {
  public:
    inline FrameBitCursor(BitStream& bits, ByteReader& in);
    inline void Commit();

    LRX_HOT_INLINE bool Get(uint32_t& value, int count) {
        value = Peek(count);
        return Consume(count);
    }
    LRX_HOT_INLINE bool GetBit(uint32_t& bit) { return Get(bit, 1); }
    LRX_HOT_INLINE bool GetWide(uint64_t& value, int count) {
        uint32_t high = 0, low;
        if (count > 32) Get(high, count - 32);
        Get(low, count > 32 ? 32 : count);
        value = (uint64_t{high} << 32) | low;
        return true;
    }
    bool GetBytes(unsigned char* bytes, int count) {
        for (int i = 0; i < count; ++i) {
            uint32_t byte;
            Get(byte, 8);
            bytes[i] = static_cast<unsigned char>(byte);
        }
        return true;
    }
    LRX_HOT_INLINE uint32_t Peek(int count) const {
        return static_cast<uint32_t>(ahead_ >> (64 - count));
    }
    LRX_HOT_INLINE bool Skip(int count) { return Consume(count); }
    LRX_HOT_INLINE uint64_t Ahead() const { return ahead_; }
    // count 0 to 32.
    LRX_HOT_INLINE bool Consume(int count) {
        ahead_ <<= count;
        count_ -= static_cast<unsigned>(count);
        TopUp();
        return true;
    }

  private:
    // count_ bits of ahead_ lie before next_, a word boundary, the rest of it
    // after. Loading the two words at next_ fills every bit up to 64; those
    // past the first whole word are the stream's own, so loading them again
    // later changes nothing. Afterwards at least 32 bits lie before next_.
    LRX_HOT_INLINE void TopUp() {
        ahead_ |= stream_words::LoadWordPair(next_) >> count_;
        next_ += ~count_ >> 3 & 4;  // a word when fewer than 32 bits were before it
        count_ |= 32;
    }

    BitStream* bits_;
    ByteReader* in_;
    const unsigned char* base_;
    const unsigned char* next_;
    uint64_t ahead_ = 0;  // the next 64 bits of the stream, the first on top
    unsigned count_ = 0;  // 0 to 63 between calls, at least 32 after them
};

// Writes fields into room reserved in a ByteWriter for a whole frame; nothing
// is tested, the room must hold every word the sink can complete, plus one.
class BitSink {
  public:
    inline BitSink(BitStream& bits, unsigned char* room);
    // Hands the pending bits back to the state; returns the bytes written
    // into the room, which the caller commits.
    inline std::size_t Finish();

    // Adds the low count bits of value (no other bits may be set) without
    // passing completed words on: the bits pending before and all added
    // since the last Spill must fit 64 (after a Spill at most 31 are pending).
    LRX_HOT_INLINE void Add(uint32_t value, int count) {
        pending_ |= uint64_t{value} << (64 - count_ - count);
        count_ += count;
    }
    // Stores the completed word, if there is one. The word is stored either
    // way and simply overwritten when it was not complete.
    LRX_HOT_INLINE void Spill() {
        stream_words::StoreLittle32(out_, static_cast<uint32_t>(pending_ >> 32));
        const unsigned full = count_ >> 5;
        out_ += 4 * full;
        pending_ <<= 32 * full;
        count_ &= 31;
    }
    // Appends the low count bits of value (count 1 to 32; other bits may be
    // set). Always succeeds; the bool keeps the record codes generic.
    LRX_HOT_INLINE bool Put(uint32_t value, int count) {
        Add(value & LowBits(count), count);
        Spill();
        return true;
    }
    LRX_HOT_INLINE bool PutWide(uint64_t value, int count) {
        if (count > 32) Put(static_cast<uint32_t>(value >> 32), count - 32);
        return Put(static_cast<uint32_t>(value), count > 32 ? 32 : count);
    }
    bool PutBytes(const unsigned char* bytes, int count) {
        for (int i = 0; i < count; ++i) Put(bytes[i], 8);
        return true;
    }

  private:
    BitStream* bits_;
    unsigned char* room_;
    unsigned char* out_;
    uint64_t pending_;  // the pending bits on top
    unsigned count_;    // pending bits
};

class BitStream {
  public:
    // No pending bits, nothing read ahead. bytesWritten is left alone.
    void Reset() {
        accumulator_ = 0;
        bitCount_ = 0;
        readOffset_ = 0;
        readLimit_ = 0;
    }

    // Writer: bits waiting for their word to fill up (0 to 31).
    int bitCount() const { return bitCount_; }

    // Words the writer completed since this was last set to 0; after the
    // flush it is the entry's packed size.
    int64_t bytesWritten = 0;

    // Appends the low count bits of value (count 1 to 32). False when a
    // completed word could not be written.
    bool Put(uint32_t value, int count, ByteWriter& out) {
        accumulator_ = (accumulator_ << count) | (value & LowBits(count));
        bitCount_ += count;
        if (bitCount_ < 32) return true;
        bitCount_ -= 32;
        bytesWritten += 4;
        return out.WriteWord(static_cast<uint32_t>(accumulator_ >> bitCount_));
    }

    // Completes the last word with zero bits; nothing when no bit is pending.
    bool Flush(ByteWriter& out) { return bitCount_ == 0 || Put(0, 32 - bitCount_, out); }

    // Field by field reading, each call a checked cursor of its own: for the
    // header and the tests; the frames use a cursor.
    bool Get(uint32_t& value, int count, ByteReader& in) {
        BitCursor cursor(*this, in);
        const bool ok = cursor.Get(value, count);
        cursor.Commit();
        return ok;
    }
    uint32_t Peek(int count, ByteReader& in) {
        BitCursor cursor(*this, in);
        const uint32_t value = cursor.Peek(count);
        cursor.Commit();
        return value;
    }
    // Reader: bits used of the words the input still holds (their bytes are
    // taken from the input a whole word at a time).
    uint64_t readBitsUsed() const { return readOffset_; }

    // Only over bits a Peek or Get has found buffered.
    bool Skip(int count) {
        if (readOffset_ + static_cast<unsigned>(count) > readLimit_) return false;
        readOffset_ += static_cast<unsigned>(count);
        return true;
    }

  private:
    friend class BitCursor;
    friend class FrameBitCursor;
    friend class BitSink;

    uint64_t accumulator_ = 0;  // writer: the pending bits at the bottom
    int bitCount_ = 0;
    uint64_t readOffset_ = 0;  // reader: bits used of the buffered words
    uint64_t readLimit_ = 0;   // reader: bits known to be buffered
};

BitCursor::BitCursor(BitStream& bits, ByteReader& in)
    : bits_(&bits),
      in_(&in),
      base_(in.data()),
      pos_(bits.readOffset_),
      limit_((in.Buffered() & ~std::size_t{3}) * 8) {}

void BitCursor::Commit() {
    const uint64_t usedWords = pos_ >> 5;
    in_->Advance(4 * usedWords);
    bits_->readOffset_ = pos_ & 31;
    bits_->readLimit_ = limit_ - 32 * usedWords;
}

FrameBitCursor::FrameBitCursor(BitStream& bits, ByteReader& in)
    : bits_(&bits), in_(&in), base_(in.data()), next_(in.data()) {
    TopUp();
    Consume(static_cast<int>(bits.readOffset_));
}

void FrameBitCursor::Commit() {
    const uint64_t used = static_cast<uint64_t>(next_ - base_) * 8 - count_;
    in_->Advance(4 * (used >> 5));
    bits_->readOffset_ = used & 31;
    bits_->readLimit_ = (in_->Buffered() & ~std::size_t{3}) * 8;
}

BitSink::BitSink(BitStream& bits, unsigned char* room)
    : bits_(&bits),
      room_(room),
      out_(room),
      pending_(bits.bitCount_ == 0 ? 0 : bits.accumulator_ << (64 - bits.bitCount_)),
      count_(static_cast<unsigned>(bits.bitCount_)) {}

std::size_t BitSink::Finish() {
    const std::size_t written = static_cast<std::size_t>(out_ - room_);
    bits_->accumulator_ = count_ == 0 ? 0 : pending_ >> (64 - count_);
    bits_->bitCount_ = static_cast<int>(count_);
    bits_->bytesWritten += static_cast<int64_t>(written);
    return written;
}

// The writer side bound to its output, so codes read as plain calls.
class BitWriter {
  public:
    BitWriter(BitStream& bits, ByteWriter& out) : bits_(bits), out_(out) {}
    bool Put(uint32_t value, int count) { return bits_.Put(value, count, out_); }
    // A field of up to 64 bits, split in two writes.
    bool PutWide(uint64_t value, int count) {
        if (count <= 32) return Put(static_cast<uint32_t>(value), count);
        return Put(static_cast<uint32_t>(value >> 32), count - 32) &&
               Put(static_cast<uint32_t>(value), 32);
    }
    // Bytes carried as they are, 8 bits each.
    bool PutBytes(const unsigned char* bytes, int count) {
        for (int i = 0; i < count; ++i) {
            if (!Put(bytes[i], 8)) return false;
        }
        return true;
    }

  private:
    BitStream& bits_;
    ByteWriter& out_;
};

// The reader side bound to its input, field by field.
class BitReader {
  public:
    BitReader(BitStream& bits, ByteReader& in) : bits_(bits), in_(in) {}
    bool Get(uint32_t& value, int count) { return bits_.Get(value, count, in_); }
    bool GetBit(uint32_t& bit) { return bits_.Get(bit, 1, in_); }
    uint32_t Peek(int count) { return bits_.Peek(count, in_); }
    bool Skip(int count) { return bits_.Skip(count); }
    bool GetBytes(unsigned char* bytes, int count) {
        for (int i = 0; i < count; ++i) {
            uint32_t byte;
            if (!Get(byte, 8)) return false;
            bytes[i] = static_cast<unsigned char>(byte);
        }
        return true;
    }
    bool GetWide(uint64_t& value, int count) {
        uint32_t high = 0, low;
        if (count > 32 && !Get(high, count - 32)) return false;
        if (!Get(low, count > 32 ? 32 : count)) return false;
        value = (uint64_t{high} << 32) | low;
        return true;
    }

  private:
    BitStream& bits_;
    ByteReader& in_;
};

}  // namespace lrx::codec
