// A car's four values as one 64-bit word: the 8 bytes that follow the status
// in a position entry, read little-endian. The encoder loads it whole, the
// decoder builds and stores it whole; no byte is handled on its own.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "byte_order.h"

namespace lrx::codec {

namespace car_word {
// Where each value lies in the word, and how wide it is.
inline constexpr int kKeyShift = 0, kKeyBits = 24;
inline constexpr int kValueBShift = 24, kValueBBits = 16;
inline constexpr int kValueCShift = 40, kValueCBits = 16;
inline constexpr int kValueDShift = 56, kValueDBits = 8;

constexpr uint32_t Field(uint64_t car, int shift, int bits) {
    return static_cast<uint32_t>(car >> shift) & ((uint32_t{1} << bits) - 1);
}
}  // namespace car_word

inline uint32_t CarKey(uint64_t car) {
    return car_word::Field(car, car_word::kKeyShift, car_word::kKeyBits);
}
inline uint32_t CarValueB(uint64_t car) {
    return car_word::Field(car, car_word::kValueBShift, car_word::kValueBBits);
}
inline uint32_t CarValueC(uint64_t car) {
    return car_word::Field(car, car_word::kValueCShift, car_word::kValueCBits);
}
inline uint32_t CarValueD(uint64_t car) {
    return car_word::Field(car, car_word::kValueDShift, car_word::kValueDBits);
}

// The word of these values; bits above each value's width are dropped.
inline uint64_t PackCar(uint32_t key, uint32_t b, uint32_t c, uint32_t d) {
    using namespace car_word;
    return uint64_t{key & 0xFFFFFF} << kKeyShift | uint64_t{b & 0xFFFF} << kValueBShift |
           uint64_t{c & 0xFFFF} << kValueCShift | uint64_t{d & 0xFF} << kValueDShift;
}

// The word of a position entry (its status at entry[0]).
inline uint64_t LoadCar(const unsigned char* entry) {
    uint64_t car;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&car, entry + 1, sizeof car);
    } else {
        car = uint64_t{LoadU32(entry + 1)} | uint64_t{LoadU32(entry + 5)} << 32;
    }
    return car;
}
inline void StoreCar(unsigned char* entry, uint64_t car) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(entry + 1, &car, sizeof car);
    } else {
        StoreU32(entry + 1, static_cast<uint32_t>(car));
        StoreU32(entry + 5, static_cast<uint32_t>(car >> 32));
    }
}

}  // namespace lrx::codec
