// Where the codec's bytes come from and where they go: a file, memory, or a
// caller's function. The codec buffers in large blocks on its side (see
// buffered_bytes.h), so a call here moves many kilobytes at a time and its
// cost does not matter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <span>
#include <vector>

namespace lrx::codec {

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Up to size bytes into `into`; fewer only at the end of the data or on a
    // failure, which a later call repeats.
    virtual std::size_t Read(unsigned char* into, std::size_t size) = 0;
    // The rest of the bytes, when they already lie in memory that stays put
    // while they are read, so that a reader may read them in place instead
    // of copying them. They count as read. Empty when the source has none.
    virtual std::span<const unsigned char> Lend() { return {}; }
};

class ByteSink {
  public:
    virtual ~ByteSink() = default;
    // All size bytes, or false.
    virtual bool Write(const unsigned char* bytes, std::size_t size) = 0;
    // Memory of the sink's own that a writer may fill in place and hand back
    // from its start to Write, which then keeps it without a copy. Empty
    // when the sink has none; nothing is kept until that Write.
    virtual std::span<unsigned char> Room() { return {}; }
};

// A C stream from its current position, to its end or for limit bytes (an
// archive entry's data, so that a damaged entry is not read on into the
// next); the caller keeps it open.
class FileSource final : public ByteSource {
  public:
    explicit FileSource(std::FILE* file, int64_t limit = -1) : file_(file), left_(limit) {}
    std::size_t Read(unsigned char* into, std::size_t size) override {
        if (left_ >= 0 && static_cast<uint64_t>(left_) < size)
            size = static_cast<std::size_t>(left_);
        const std::size_t got = file_ && size > 0 ? std::fread(into, 1, size, file_) : 0;
        if (left_ >= 0) left_ -= static_cast<int64_t>(got);
        return got;
    }

  private:
    std::FILE* file_;
    int64_t left_;  // bytes still to read, or -1 for all
};

class FileSink final : public ByteSink {
  public:
    explicit FileSink(std::FILE* file) : file_(file) {}
    bool Write(const unsigned char* bytes, std::size_t size) override {
        return file_ && std::fwrite(bytes, 1, size, file_) == size;
    }

  private:
    std::FILE* file_;
};

// Bytes the caller keeps alive.
class MemorySource final : public ByteSource {
  public:
    MemorySource(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t Read(unsigned char* into, std::size_t size) override {
        const std::size_t piece = size < size_ - used_ ? size : size_ - used_;
        if (piece > 0) std::memcpy(into, data_ + used_, piece);
        used_ += piece;
        return piece;
    }
    std::span<const unsigned char> Lend() override {
        const std::span<const unsigned char> rest(data_ + used_, size_ - used_);
        used_ = size_;
        return rest;
    }

  private:
    const unsigned char* data_;
    std::size_t size_;
    std::size_t used_ = 0;
};

// Appends to the caller's vector.
class VectorSink final : public ByteSink {
  public:
    explicit VectorSink(std::vector<unsigned char>& bytes) : bytes_(bytes) {}
    bool Write(const unsigned char* bytes, std::size_t size) override {
        bytes_.insert(bytes_.end(), bytes, bytes + size);
        return true;
    }

  private:
    std::vector<unsigned char>& bytes_;
};

// Fills the caller's buffer of a known size, such as a replay's whose raw
// size an archive records; a writer can decode straight into it.
class SpanSink final : public ByteSink {
  public:
    explicit SpanSink(std::span<unsigned char> buffer) : buffer_(buffer) {}
    bool Write(const unsigned char* bytes, std::size_t size) override {
        if (size > buffer_.size() - used_) return false;
        unsigned char* const room = buffer_.data() + used_;
        if (bytes != room) std::memcpy(room, bytes, size);
        used_ += size;
        return true;
    }
    std::span<unsigned char> Room() override { return buffer_.subspan(used_); }
    std::size_t used() const { return used_; }

  private:
    std::span<unsigned char> buffer_;
    std::size_t used_ = 0;
};

// Counts what it is given and keeps nothing: a check needs the decoding, not
// the replay.
class CountingSink final : public ByteSink {
  public:
    bool Write(const unsigned char*, std::size_t size) override {
        count_ += static_cast<int64_t>(size);
        return true;
    }
    int64_t count() const { return count_; }

  private:
    int64_t count_ = 0;
};

}  // namespace lrx::codec
