// Reads the packed stream (see stream_words.h) from a ByteReader's buffer.
// Two readers, each with a state of its own: the checked one tests every read
// against the end of the stream; the unchecked one reads a frame the caller
// has made sure is buffered whole, with no test at all. Between them the
// position is handed on as the ByteReader's next word plus a bit offset into
// it (0 to 31): Release gives it back, the next reader starts from it.
//
// A reader is a plain value: the hot loops hand a copy to calls that are not
// inlined, so that their own stays in registers (a byte stored through a char
// pointer could otherwise be the reader's and would force it back to memory).
#pragma once

#include <cstdint>

#include "buffered_bytes.h"
#include "stream_words.h"

namespace lrx::codec {

// The reads every reader offers on top of its own Get, written once.
template <class Reader>
class BitReading {
  public:
    LRX_HOT_INLINE bool GetBit(uint32_t& bit) { return self().Get(bit, 1); }
    // A field of up to 64 bits, read in two pieces.
    LRX_HOT_INLINE bool GetWide(uint64_t& value, int count) {
        uint32_t high = 0, low;
        if (count > 32 && !self().Get(high, count - 32)) return false;
        if (!self().Get(low, count > 32 ? 32 : count)) return false;
        value = (uint64_t{high} << 32) | low;
        return true;
    }
    // Bytes carried as they are, 8 bits each.
    bool GetBytes(unsigned char* bytes, int count) {
        for (int i = 0; i < count; ++i) {
            uint32_t byte;
            if (!self().Get(byte, 8)) return false;
            bytes[i] = static_cast<unsigned char>(byte);
        }
        return true;
    }

  private:
    Reader& self() { return static_cast<Reader&>(*this); }
};

// Every read makes sure its words are buffered and fails at the end of the
// stream. It may load up to 12 bytes past the bits it uses, which the
// ByteReader's load slack covers.
class CheckedBitReader : public BitReading<CheckedBitReader> {
  public:
    CheckedBitReader(ByteReader& in, unsigned bitOffset)
        : in_(&in),
          base_(in.data()),
          pos_(bitOffset),
          limit_((in.Buffered() & ~std::size_t{3}) * 8) {}

    // Consumes the words used up and returns the offset into the next one.
    unsigned Release() {
        in_->Advance(4 * (pos_ >> 5));
        return static_cast<unsigned>(pos_ & 31);
    }

    // The next count bits (1 to 32), zero-extended. False when the stream
    // ends first; value is then not to be used.
    LRX_HOT_INLINE bool Get(uint32_t& value, int count) {
        if (!Has(count)) return false;
        value = static_cast<uint32_t>(Window() >> (64 - count));
        pos_ += static_cast<unsigned>(count);
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
    uint64_t Ahead();
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

    ByteReader* in_;
    const unsigned char* base_;  // the word holding the first unread bit
    uint64_t pos_;               // bits used from base_
    uint64_t limit_;             // bits buffered from base_, whole words only
};

// Reads with no tests: the caller has made sure that everything it reads is
// buffered. The next 64 bits of the stream always wait in a register; after
// each read it is topped up from the next two words, without a branch and
// from an address that does not depend on the field just read. It loads up
// to 20 bytes past the bits it uses.
class UncheckedBitReader : public BitReading<UncheckedBitReader> {
  public:
    UncheckedBitReader(ByteReader& in, unsigned bitOffset)
        : in_(&in), base_(in.data()), next_(in.data()) {
        TopUp();
        Consume(static_cast<int>(bitOffset));
    }

    unsigned Release() {
        const uint64_t used = static_cast<uint64_t>(next_ - base_) * 8 - count_;
        in_->Advance(4 * (used >> 5));
        return static_cast<unsigned>(used & 31);
    }

    LRX_HOT_INLINE bool Get(uint32_t& value, int count) {
        value = Peek(count);
        return Consume(count);
    }
    LRX_HOT_INLINE uint32_t Peek(int count) const {
        return static_cast<uint32_t>(ahead_ >> (64 - count));
    }
    LRX_HOT_INLINE bool Skip(int count) { return Consume(count); }
    LRX_HOT_INLINE uint64_t Ahead() const { return ahead_; }
    // Moves on by count bits, 0 to 32.
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

    ByteReader* in_;
    const unsigned char* base_;
    const unsigned char* next_;
    uint64_t ahead_ = 0;  // the next 64 bits of the stream, the first on top
    unsigned count_ = 0;  // 0 to 63 between calls, at least 32 after them
};

}  // namespace lrx::codec
