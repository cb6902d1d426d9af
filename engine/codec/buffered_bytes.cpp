#include "buffered_bytes.h"

#include <algorithm>

namespace lrx::codec {

void ByteReader::Attach(ByteSource* source) {
    source_ = source;
    bytes_ = buffer_.get();
    lentRest_ = source ? source->Lend() : std::span<const unsigned char>{};
    begin_ = end_ = 0;
    if (lentRest_.size() > kLoadSlack) {
        bytes_ = lentRest_.data();
        end_ = lentRest_.size() - kLoadSlack;
        lentRest_ = lentRest_.subspan(end_);
    }
    fetched_ = static_cast<int64_t>(end_);
    atEnd_ = false;
}

std::size_t ByteReader::Pull(unsigned char* into, std::size_t size) {
    const std::size_t lent = std::min(size, lentRest_.size());
    if (lent > 0) std::memcpy(into, lentRest_.data(), lent);
    lentRest_ = lentRest_.subspan(lent);
    return lent < size ? lent + source_->Read(into + lent, size - lent) : lent;
}

bool ByteReader::Refill(std::size_t count) {
    if (atEnd_ || !source_) return false;
    // What is left goes to the buffer's start, from lent memory too: fewer
    // than count bytes, so they fit.
    if (begin_ > 0 || bytes_ != buffer_.get()) {
        std::memmove(buffer_.get(), bytes_ + begin_, end_ - begin_);
        bytes_ = buffer_.get();
        end_ -= begin_;
        begin_ = 0;
    }
    while (end_ < count) {
        const std::size_t wanted = kCapacity - end_;
        const std::size_t got = Pull(buffer_.get() + end_, wanted);
        end_ += got;
        fetched_ += static_cast<int64_t>(got);
        // A source only comes back short at its end or on a failure.
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
        std::memcpy(destination, bytes_ + begin_, piece);
        begin_ += piece;
        destination += piece;
        count -= piece;
    }
    return true;
}

void ByteWriter::TakeRoom() {
    const std::span<unsigned char> room = sink_ ? sink_->Room() : std::span<unsigned char>{};
    if (room.empty()) {
        block_ = buffer_.get();
        capacity_ = kCapacity;
    } else {
        block_ = room.data();
        capacity_ = room.size();
    }
}

bool ByteWriter::Drain() {
    if (used_ > 0 && !failed_) {
        if (!sink_ || !sink_->Write(block_, used_)) failed_ = true;
    }
    used_ = 0;
    TakeRoom();
    return !failed_;
}

bool ByteWriter::MakeRoom(std::size_t count) {
    if (!Drain()) return false;
    // The sink's room running out: what follows goes through our block, and
    // the sink says whether it still fits.
    if (capacity_ < count) {
        block_ = buffer_.get();
        capacity_ = kCapacity;
    }
    return true;
}

bool ByteWriter::WriteLarge(const void* bytes, std::size_t count) {
    if (!MakeRoom(count <= kCapacity ? count : 0)) return false;
    if (count <= capacity_) return Write(bytes, count);
    if (!sink_ || !sink_->Write(static_cast<const unsigned char*>(bytes), count)) failed_ = true;
    return !failed_;
}

}  // namespace lrx::codec
