#include "bit_reader.h"

namespace lrx::codec {

bool CheckedBitReader::Refill(int count) {
    in_->Advance(4 * (pos_ >> 5));
    pos_ &= 31;
    const uint64_t needed = pos_ + static_cast<unsigned>(count);
    in_->Ensure(4 * ((needed + 31) / 32));
    base_ = in_->data();
    limit_ = (in_->Buffered() & ~std::size_t{3}) * 8;
    return needed <= limit_;
}

uint32_t CheckedBitReader::PeekPastTheEnd(int count) {
    // Only the buffered bits are real; those after them read as 0.
    const uint64_t real = limit_ > pos_ ? limit_ - pos_ : 0;
    const uint64_t window = real == 0 ? 0 : Window() & ~(~uint64_t{0} >> real);
    return static_cast<uint32_t>(window >> (64 - count));
}

uint64_t CheckedBitReader::Ahead() {
    Has(64);  // fewer at the end of the stream
    const uint64_t real = limit_ > pos_ ? limit_ - pos_ : 0;
    const unsigned offset = pos_ & 31;
    const unsigned char* word = base_ + 4 * (pos_ >> 5);
    const uint64_t window =
        stream_words::LoadWordPair(word) << offset | uint64_t{LoadU32(word + 8)} >> (32 - offset);
    return real >= 64 ? window : real == 0 ? 0 : window & ~(~uint64_t{0} >> real);
}

}  // namespace lrx::codec
