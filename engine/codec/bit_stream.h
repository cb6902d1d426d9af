// The packed stream of an archive entry: bit fields of 1 to 32 bits in 32-bit
// little-endian words, each word filled from its most significant bit down, a
// field written most significant bit first and free to straddle two words.
// The stream ends on a whole word whose unused low bits are 0.
//
// One state serves the writer and the reader, never both at once. It keeps up
// to 63 bits in a 64-bit accumulator, so no shift ever reaches the width of
// its operand; the words on disk are the same as with a 32-bit buffer.
#pragma once

#include <cstdint>

#include "buffered_file.h"

namespace lrx::codec {

// The low count bits set, count 0 to 32.
constexpr uint32_t LowBits(int count) {
    return count >= 32 ? 0xFFFFFFFFu : (uint32_t{1} << count) - 1;
}

class BitStream {
  public:
    // No pending bits, nothing read ahead. bytesWritten is left alone.
    void Reset() {
        accumulator_ = 0;
        bitCount_ = 0;
    }

    // Writer: bits waiting for their word to fill up (0 to 31).
    // Reader: bits fetched but not yet consumed.
    int bitCount() const { return bitCount_; }

    // Words the writer completed since this was last set to 0; after the
    // flush it is the entry's packed size.
    int64_t bytesWritten = 0;

    // Appends the low count bits of value (count 1 to 32). False when a
    // completed word could not be written.
    LRX_HOT_INLINE bool Put(uint32_t value, int count, ByteWriter& out) {
        accumulator_ = (accumulator_ << count) | (value & LowBits(count));
        bitCount_ += count;
        if (bitCount_ < 32) return true;
        bitCount_ -= 32;
        bytesWritten += 4;
        return out.WriteWord(static_cast<uint32_t>(accumulator_ >> bitCount_));
    }

    // Completes the last word with zero bits; nothing when no bit is pending.
    bool Flush(ByteWriter& out) { return bitCount_ == 0 || Put(0, 32 - bitCount_, out); }

    // Reads the next count bits (1 to 32), zero-extended. False when the
    // stream ends first; value is then not to be used.
    LRX_HOT_INLINE bool Get(uint32_t& value, int count, ByteReader& in) {
        if (bitCount_ < count && !FetchWord(in)) return false;
        bitCount_ -= count;
        value = static_cast<uint32_t>(accumulator_ >> bitCount_) & LowBits(count);
        return true;
    }

    // The next count bits (1 to 32) without consuming them; bits past the end
    // of the stream read as 0, so a prefix code can be looked up before its
    // length is known. Skip then fails if the code ran past the end.
    LRX_HOT_INLINE uint32_t Peek(int count, ByteReader& in) {
        if (bitCount_ < count) FetchWord(in);
        if (bitCount_ >= count) {
            return static_cast<uint32_t>(accumulator_ >> (bitCount_ - count)) & LowBits(count);
        }
        return static_cast<uint32_t>(accumulator_ << (count - bitCount_)) & LowBits(count);
    }
    LRX_HOT_INLINE bool Skip(int count) {
        if (count > bitCount_) return false;
        bitCount_ -= count;
        return true;
    }

  private:
    // Bits above bitCount_ are stale and never looked at, so no masking is
    // needed when a word goes in or out.
    LRX_HOT_INLINE bool FetchWord(ByteReader& in) {
        uint32_t word;
        if (!in.ReadWord(word)) return false;
        accumulator_ = (accumulator_ << 32) | word;
        bitCount_ += 32;
        return true;
    }

    uint64_t accumulator_ = 0;
    int bitCount_ = 0;
};

// A working copy of a shared state for one hot loop: the compiler can keep a
// local in registers, where the shared one would be reloaded after every byte
// stored through a char pointer. The copy goes back on every exit.
class LocalBitStream {
  public:
    explicit LocalBitStream(BitStream& shared) : shared_(shared), local_(shared) {}
    ~LocalBitStream() { shared_ = local_; }
    LocalBitStream(const LocalBitStream&) = delete;
    LocalBitStream& operator=(const LocalBitStream&) = delete;
    BitStream& get() { return local_; }

  private:
    BitStream& shared_;
    BitStream local_;
};

// The writer side bound to its output, so codes read as plain calls.
class BitWriter {
  public:
    BitWriter(BitStream& bits, ByteWriter& out) : bits_(bits), out_(out) {}
    LRX_HOT_INLINE bool Put(uint32_t value, int count) { return bits_.Put(value, count, out_); }
    // A field of up to 64 bits, split in two writes.
    LRX_HOT_INLINE bool PutWide(uint64_t value, int count) {
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

class BitReader {
  public:
    BitReader(BitStream& bits, ByteReader& in) : bits_(bits), in_(in) {}
    LRX_HOT_INLINE bool Get(uint32_t& value, int count) { return bits_.Get(value, count, in_); }
    LRX_HOT_INLINE bool GetBit(uint32_t& bit) { return bits_.Get(bit, 1, in_); }
    LRX_HOT_INLINE uint32_t Peek(int count) { return bits_.Peek(count, in_); }
    LRX_HOT_INLINE bool Skip(int count) { return bits_.Skip(count); }
    // Bytes carried as they are, 8 bits each.
    bool GetBytes(unsigned char* bytes, int count) {
        for (int i = 0; i < count; ++i) {
            uint32_t byte;
            if (!Get(byte, 8)) return false;
            bytes[i] = static_cast<unsigned char>(byte);
        }
        return true;
    }
    // A field of up to 64 bits, read in two pieces.
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
