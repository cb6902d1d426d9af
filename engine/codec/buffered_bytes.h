// Large-block buffering over a source and a sink for the codec's hot loops: a
// field is a few bytes, and a call per field would cost more than the coding.
// The reader takes 64 KiB at a time: it reads ahead of the entry it decodes
// in an archive, and more would only read more of the next entries. The
// writer hands on 256 KiB at a time: with 64 KiB the system calls cost the
// decoder 8% of its time; above 256 KiB nothing changed.
// Both classes are bound to one stream at a time and own a fixed buffer, so
// memory does not grow with the data passing through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

#include "byte_order.h"
#include "byte_source.h"

// The per-field calls of the codec run a few times per byte of replay; left
// to itself the compiler does not always inline them into the frame loops.
#if defined(__GNUC__)
#define LRX_HOT_INLINE [[gnu::always_inline]] inline
// The same for a lambda, after its parameters.
#define LRX_HOT_LAMBDA __attribute__((always_inline))
#else
#define LRX_HOT_INLINE inline
#define LRX_HOT_LAMBDA
#endif

namespace lrx::codec {

// Reads ahead in big blocks, or, where the source lends its bytes, reads them
// in place up to its last kLoadSlack, which are copied after the rest (a
// load may reach past the bytes used, and the source's memory ends there).
// Pointers handed out stay valid until the next call that may refill
// (Ensure, Take, ReadWord, CopyOut).
class ByteReader {
  public:
    static constexpr std::size_t kCapacity = 64 * 1024;
    // Bytes past the buffered ones that may be loaded but are never used: a
    // bit reader loads a few whole words at once without asking first.
    static constexpr std::size_t kLoadSlack = 32;

    ByteReader() : buffer_(std::make_unique<unsigned char[]>(kCapacity + kLoadSlack)) {}

    // Starts reading from source, forgetting whatever was read ahead before.
    void Attach(ByteSource* source);

    std::size_t Buffered() const { return end_ - begin_; }
    // The buffered bytes, followed by kLoadSlack loadable ones.
    const unsigned char* data() const { return bytes_ + begin_; }
    // Consumes count buffered bytes (count <= Buffered()).
    void Advance(std::size_t count) { begin_ += count; }

    // Makes at least count bytes (count <= kCapacity) readable in one piece.
    // False when the stream ends first; the buffer is then left as it was.
    bool Ensure(std::size_t count) {
        if (end_ - begin_ >= count) return true;
        return Refill(count);
    }

    // The next count bytes, consumed; nullptr when the stream has fewer.
    const unsigned char* Take(std::size_t count) {
        if (!Ensure(count)) return nullptr;
        const unsigned char* bytes = bytes_ + begin_;
        begin_ += count;
        return bytes;
    }

    LRX_HOT_INLINE bool ReadWord(uint32_t& word) {
        if (end_ - begin_ < 4 && !Refill(4)) return false;
        word = LoadU32(bytes_ + begin_);
        begin_ += 4;
        return true;
    }

    // Copies count bytes of any size; false when the stream has fewer.
    bool CopyOut(unsigned char* destination, std::size_t count);

    // True when no byte is left, neither read ahead nor in the stream.
    bool AtEnd() { return !Ensure(1); }

    // Bytes consumed since Attach.
    int64_t Consumed() const { return fetched_ - static_cast<int64_t>(end_ - begin_); }

  private:
    bool Refill(std::size_t count);
    // Up to size bytes from the lent ones not yet buffered, then the source.
    std::size_t Pull(unsigned char* into, std::size_t size);

    std::unique_ptr<unsigned char[]> buffer_;
    const unsigned char* bytes_ = buffer_.get();  // the buffer, or lent memory
    std::span<const unsigned char> lentRest_;     // lent, still to be copied
    ByteSource* source_ = nullptr;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    int64_t fetched_ = 0;
    bool atEnd_ = false;
};

// Collects output and hands it to the sink in big blocks, or, where the sink
// offers memory of its own, writes straight into that. A failed write
// sticks: every later call fails too.
class ByteWriter {
  public:
    static constexpr std::size_t kCapacity = 256 * 1024;

    ByteWriter() : buffer_(std::make_unique<unsigned char[]>(kCapacity)) {}

    // Starts writing to sink; bytes still held for another sink are dropped.
    void Attach(ByteSink* sink) {
        sink_ = sink;
        used_ = 0;
        failed_ = false;
        TakeRoom();
    }

    // Room for count bytes (count <= kCapacity), to be filled and committed;
    // nullptr when making room needed a write that failed.
    LRX_HOT_INLINE unsigned char* Reserve(std::size_t count) {
        if (capacity_ - used_ < count && !MakeRoom(count)) return nullptr;
        return block_ + used_;
    }
    void Commit(std::size_t count) { used_ += count; }

    bool Write(const void* bytes, std::size_t count) {
        if (count > capacity_ - used_) return WriteLarge(bytes, count);
        std::memcpy(block_ + used_, bytes, count);
        used_ += count;
        return true;
    }

    LRX_HOT_INLINE bool WriteWord(uint32_t word) {
        unsigned char* room = Reserve(4);
        if (!room) return false;
        StoreU32(room, word);
        used_ += 4;
        return true;
    }

    // Hands everything held to the sink. False when a write failed, now or
    // before.
    bool Drain();

  private:
    // Writes into the sink's own memory when it has some, else into ours.
    void TakeRoom();
    bool MakeRoom(std::size_t count);
    bool WriteLarge(const void* bytes, std::size_t count);

    std::unique_ptr<unsigned char[]> buffer_;
    unsigned char* block_ = nullptr;  // buffer_ or the sink's room
    std::size_t capacity_ = 0;
    ByteSink* sink_ = nullptr;
    std::size_t used_ = 0;
    bool failed_ = false;
};

}  // namespace lrx::codec
