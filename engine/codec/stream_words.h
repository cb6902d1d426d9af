// The packed stream of an archive entry: bit fields of 1 to 32 bits in 32-bit
// little-endian words, each word filled from its most significant bit down, a
// field written most significant bit first and free to straddle two words.
// The stream ends on a whole word whose unused low bits are 0.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "buffered_bytes.h"

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
}  // namespace lrx::codec
