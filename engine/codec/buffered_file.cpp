#include "buffered_file.h"

#include <algorithm>

namespace lrx::codec {

bool ByteReader::Refill(std::size_t count) {
    if (atEnd_ || !file_) return false;
    if (begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    while (end_ < count) {
        const std::size_t wanted = kCapacity - end_;
        const std::size_t got = std::fread(buffer_.get() + end_, 1, wanted, file_);
        end_ += got;
        // fread only comes back short at the end of the stream or on an error.
        if (got < wanted) {
            atEnd_ = true;
            break;
        }
    }
    return end_ >= count;
}

bool ByteReader::CopyOut(unsigned char* destination, std::size_t count) {
    while (count > 0) {
        if (begin_ == end_ && !Refill(1)) return false;
        const std::size_t piece = std::min(count, end_ - begin_);
        std::memcpy(destination, buffer_.get() + begin_, piece);
        begin_ += piece;
        destination += piece;
        count -= piece;
    }
    return true;
}

bool ByteWriter::Drain() {
    if (used_ > 0 && !failed_) {
        if (!file_ || std::fwrite(buffer_.get(), 1, used_, file_) != used_) failed_ = true;
    }
    used_ = 0;
    return !failed_;
}

bool ByteWriter::WriteLarge(const void* bytes, std::size_t count) {
    if (!Drain()) return false;
    if (count <= kCapacity) return Write(bytes, count);
    if (!file_ || std::fwrite(bytes, 1, count, file_) != count) failed_ = true;
    return !failed_;
}

}  // namespace lrx::codec
