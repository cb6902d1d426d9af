// Owned C stream with little-endian field access. Every byte format of the
// engine is read and written through these, one field at a time.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

namespace lrx {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

class FileStream {
  public:
    FileStream() = default;
    // Opens in byte mode; mode is "rb" or "wb". "rb" refuses a FIFO, socket or
    // device without waiting for it. Check IsOpen().
    FileStream(const char* path, const char* mode);
    FileStream(const char* path, const char* mode, std::size_t bufferSize);
    FileStream(FileStream&&) = default;
    // Closes what this stream held before taking the other's.
    FileStream& operator=(FileStream&& other) noexcept {
        if (this != &other) {
            Close();
            file_ = std::move(other.file_);
            buffer_ = std::move(other.buffer_);
        }
        return *this;
    }
    ~FileStream() { Close(); }

    bool IsOpen() const { return file_ != nullptr; }
    std::FILE* get() const { return file_.get(); }
    // Closes now; false when the final flush failed.
    bool Close();

    bool Seek(int64_t offset);
    bool SeekEnd();
    int64_t Tell() const;
    // Length of the file, leaving the position where it was; -1 on failure.
    int64_t Length();

    bool ReadBytes(void* data, std::size_t count);
    bool WriteBytes(const void* data, std::size_t count);
    bool ReadU32(uint32_t& value);
    bool ReadI32(int32_t& value);
    bool WriteU32(uint32_t value);
    bool WriteI32(int32_t value) { return WriteU32(static_cast<uint32_t>(value)); }
    bool WriteU16(uint16_t value);

  private:
    // The buffer is declared first so that it is destroyed last: closing the
    // stream flushes from it.
    std::unique_ptr<char[]> buffer_;
    std::unique_ptr<std::FILE, FileCloser> file_;
};

}  // namespace lrx
