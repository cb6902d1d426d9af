#include "bit_stream.h"

namespace lrx::codec {

bool BitCursor::Refill(int count) {
    const uint64_t usedWords = pos_ >> 5;
    in_->Advance(4 * usedWords);
    pos_ &= 31;
    const uint64_t needed = pos_ + static_cast<unsigned>(count);
    in_->Ensure(4 * ((needed + 31) / 32));
    base_ = in_->data();
    limit_ = (in_->Buffered() & ~std::size_t{3}) * 8;
    return needed <= limit_;
}

uint32_t BitCursor::PeekPastTheEnd(int count) {
    // Only the buffered bits are real; those after them read as 0.
    const uint64_t real = limit_ > pos_ ? limit_ - pos_ : 0;
    const uint64_t window = real == 0 ? 0 : Window() & ~(~uint64_t{0} >> real);
    return static_cast<uint32_t>(window >> (64 - count));
}

}  // namespace lrx::codec
