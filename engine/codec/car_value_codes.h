// Codes of the four values of a car in a frame. Each value is predicted from
// the same car's earlier values: orderKey and valueB by quadratic
// extrapolation from the last three, valueC and valueD by the last one; the
// difference gets a short code when it is small. In the first frames of a
// replay the values are stored raw.
//
// The history is kept in wrapping 32-bit arithmetic on both sides. The
// encoder's history holds the exact field values; the decoder's holds sums
// that agree with them in the low 24, 16, 16 and 8 bits, which is all the
// stored bits depend on, but that drift far beyond the 32-bit range.
//
// A car's four values travel as one word (car_word.h).
//
// These run once per car and frame, so they live here to be inlined. Which
// code a value takes is chosen by table look-ups and selects, not branches:
// about one residual in ten escapes, at no pattern a predictor could learn.
// The one branch is on a wide valueC, which is rare.
#pragma once

#include <cstdint>

#include "bit_reader.h"
#include "bit_writer.h"
#include "block_records.h"
#include "car_word.h"
#include "raw_frames.h"
#include "replay_model.h"

namespace lrx::codec {

struct SlotHistory {
    uint32_t key[3] = {0, 0, 0};  // latest first
    uint32_t b[3] = {0, 0, 0};
    uint32_t c = 0;
    uint32_t d = 0;
};

// The bits a car's codes can take at most: escapes of 4 + 24 and 4 + 16
// bits, 17 for valueC, 10 for valueD (raw values take 64).
inline constexpr int kMaxCarBits = 28 + 20 + 17 + 10;

// The most bits the stream can hold for one frame, whatever its bytes: the
// flag bits, the presence bit and bits, every car, the statuses, the three
// block counts and a full block of each record at its longest.
inline constexpr int kMaxFrameBits = kMaxSlots * (1 + kMaxCarBits + 7) + 1 + kMaxSlots + 9 + 9 +
                                     10 + kMaxBlockCount * (kMaxA1Bits + kMaxA2Bits + kMaxA3Bits);

namespace car_codes {

inline constexpr int kKeyBits = car_word::kKeyBits;
inline constexpr int kValueBBits = car_word::kValueBBits;

inline uint32_t Extrapolate(const uint32_t h[3]) {
    return 3 * h[0] - 3 * h[1] + h[2];
}

inline void Shift(uint32_t h[3], uint32_t value) {
    h[2] = h[1];
    h[1] = h[0];
    h[0] = value;
}

inline uint32_t SignExtend(uint32_t value, int bits) {
    const uint32_t sign = uint32_t{1} << (bits - 1);
    return (value ^ sign) - sign;
}

// The code of a value, its length in bits.
struct Code {
    uint32_t bits;
    int length;
};

// A code looked up by a clamped index: its fixed bits, shifted left by
// shift, with the bits of the value under mask below them. Every choice is
// in the table, so nothing is left to branch on.
struct CodeEntry {
    uint8_t bits;
    uint8_t length;
    uint8_t shift;
    uint8_t unused;
    uint32_t mask;
};
LRX_HOT_INLINE Code CodeOf(const CodeEntry& entry, uint32_t value) {
    return {(uint32_t{entry.bits} << entry.shift) | (value & entry.mask), entry.length};
}

// 0 | 10s | 110s | 1110s (s = 1 for negative) | 1111 then r in escapeBits,
// by residual + 3; entry 7 is the escape.
template <int escapeBits>
inline constexpr CodeEntry kResidualCodes[8] = {
    {0x1D, 5, 0, 0, 0}, {0xD, 4, 0, 0, 0},
    {0x5, 3, 0, 0, 0},  {0x0, 1, 0, 0, 0},
    {0x4, 3, 0, 0, 0},  {0xC, 4, 0, 0, 0},
    {0x1C, 5, 0, 0, 0}, {0xF, 4 + escapeBits, escapeBits, 0, LowBits(escapeBits)}};

template <int escapeBits>
LRX_HOT_INLINE Code ResidualCode(uint32_t residual) {
    const uint32_t index = residual + 3;
    return CodeOf(kResidualCodes<escapeBits>[index < 7 ? index : 7], residual);
}

// valueC: "0" and d in 7 bits when |d| <= 63, else "1" and d in 16 bits.
LRX_HOT_INLINE Code ValueCCode(uint32_t d) {
    static constexpr CodeEntry kCodes[2] = {{0x0, 8, 7, 0, 0x7F}, {0x1, 17, 16, 0, 0xFFFF}};
    return CodeOf(kCodes[d + 63 > 126], d);
}

// valueD: "0" for 0, "10" and the sign for +1 or -1, else "11" and 8 bits,
// by d + 1; entry 3 is the escape.
LRX_HOT_INLINE Code ValueDCode(uint32_t d) {
    static constexpr CodeEntry kCodes[4] = {
        {0x5, 3, 0, 0, 0}, {0x0, 1, 0, 0, 0}, {0x4, 3, 0, 0, 0}, {0x3, 10, 8, 0, 0xFF}};
    const uint32_t index = d + 1;
    return CodeOf(kCodes[index < 3 ? index : 3], d);
}

// The short residual codes by their first five bits: the residual (0 for
// the escape, whose value follows) and the code's length (4 for the escape).
struct ShortResidual {
    int8_t value;
    uint8_t length;
};
constexpr ShortResidual ShortResidualOf(uint32_t next5) {
    if ((next5 & 0x10) == 0) return {0, 1};
    int ones = 1;
    while (ones < 4 && (next5 & (0x10u >> ones))) ++ones;
    if (ones == 4) return {0, 4};
    const bool negative = (next5 >> (3 - ones)) & 1;
    return {static_cast<int8_t>(negative ? -ones : ones), static_cast<uint8_t>(ones + 2)};
}
struct ShortResidualValues {
    int8_t value[32];
};
inline constexpr ShortResidualValues kShortResidualValues = [] {
    ShortResidualValues table{};
    for (uint32_t i = 0; i < 32; ++i) table.value[i] = ShortResidualOf(i).value;
    return table;
}();

// Code lengths from a table held in a register, four bits an entry: the
// decoder is held by the chain from one code's length to where the next
// code starts, and a load from memory would be part of it. The short
// residual codes by their first four bits, which decide the length (the
// escape's value bits come on top); valueD's codes by their first three.
inline constexpr uint64_t kShortResidualLengths = [] {
    uint64_t table = 0;
    for (uint32_t i = 0; i < 16; ++i) {
        table |= uint64_t{ShortResidualOf(i << 1).length} << (4 * i);
    }
    return table;
}();
inline constexpr uint64_t kValueDLengths = [] {
    // "0"; "10" and the sign; "11" and 8 bits.
    constexpr uint8_t kLengths[8] = {1, 1, 1, 1, 3, 3, 10, 10};
    uint64_t table = 0;
    for (uint32_t i = 0; i < 8; ++i) table |= uint64_t{kLengths[i]} << (4 * i);
    return table;
}();

LRX_HOT_INLINE uint32_t LengthAt(uint64_t lengths, uint64_t index) {
    return static_cast<uint32_t>(lengths >> (4 * index)) & 15;
}

}  // namespace car_codes

// Writes the codes of orderKey, valueB, valueC and valueD of a car and moves
// the history on.
LRX_HOT_INLINE void PutCarValues(BitWriter& out, uint64_t car, SlotHistory& h, RawFrames raw) {
    using namespace car_codes;
    const uint32_t key = CarKey(car);
    const uint32_t b = SignExtend(CarValueB(car), kValueBBits);
    const uint32_t c = CarValueC(car);
    const uint32_t d = CarValueD(car);

    if (raw.keyAndB) {
        out.Add(key, kKeyBits);
        out.Spill();
        out.Add(b & 0xFFFF, kValueBBits);
        out.Spill();
    } else {
        const Code keyCode = ResidualCode<kKeyBits>(key - Extrapolate(h.key));
        out.Add(keyCode.bits, keyCode.length);
        out.Spill();
        const Code bCode = ResidualCode<kValueBBits>(b - Extrapolate(h.b));
        out.Add(bCode.bits, bCode.length);
        out.Spill();
    }
    Shift(h.key, key);
    Shift(h.b, b);

    if (raw.cAndD) {
        out.Add(c << 8 | d, 24);
    } else {
        // The encoder's history holds exact field values, so the differences
        // are small and exact. Both codes go in as one.
        const Code cCode = ValueCCode(c - h.c);
        const Code dCode = ValueDCode(d - h.d);
        out.Add(cCode.bits << dCode.length | dCode.bits, cCode.length + dCode.length);
    }
    out.Spill();
    h.c = c;
    h.d = d;
}

// Reads the four codes of a car and moves the history on. False when the
// stream ended. The codes are taken apart from a 64-bit look ahead with
// selects, not branches; orderKey and valueB take at most 48 bits of it,
// valueC and valueD at most 27 of the next.
template <class In>
LRX_HOT_INLINE bool GetCarValues(In& in, uint64_t& car, SlotHistory& h, RawFrames raw) {
    using namespace car_codes;
    uint32_t key, b;
    if (raw.keyAndB) {
        if (!in.Get(key, kKeyBits) || !in.Get(b, kValueBBits)) return false;
        b = SignExtend(b, kValueBBits);
    } else {
        uint64_t ahead = in.Ahead();
        const uint32_t keyEscape = 0u - static_cast<uint32_t>(ahead >> 60 == 15);
        const uint32_t keyLength =
            LengthAt(kShortResidualLengths, ahead >> 60) + (keyEscape & kKeyBits);
        key = Extrapolate(h.key) +
              static_cast<uint32_t>(int32_t{kShortResidualValues.value[ahead >> 59]}) +
              (static_cast<uint32_t>(ahead >> 36) & keyEscape);
        ahead <<= keyLength;
        const uint32_t bEscape = 0u - static_cast<uint32_t>(ahead >> 60 == 15);
        const uint32_t bLength =
            LengthAt(kShortResidualLengths, ahead >> 60) + (bEscape & kValueBBits);
        // The escaped value, sign and all, by an arithmetic shift.
        const uint32_t bWide = static_cast<uint32_t>(static_cast<int64_t>(ahead << 4) >> 48);
        b = Extrapolate(h.b) +
            static_cast<uint32_t>(int32_t{kShortResidualValues.value[ahead >> 59]}) +
            (bWide & bEscape);
        if (!in.Consume(static_cast<int>(keyLength)) || !in.Consume(static_cast<int>(bLength))) {
            return false;
        }
    }
    Shift(h.key, key);
    Shift(h.b, b);

    uint32_t c, d;
    if (raw.cAndD) {
        if (!in.Get(c, 16) || !in.Get(d, 8)) return false;
    } else {
        // valueC: 0 and 7 bits, or 1 and 16 bits.
        uint64_t ahead = in.Ahead();
        const uint32_t wide = 0u - static_cast<uint32_t>(ahead >> 63);
        const uint32_t cLength = 8 + (wide & 9);
        const int64_t afterFlag = static_cast<int64_t>(ahead << 1);
        c = h.c + ((static_cast<uint32_t>(afterFlag >> 48) & wide) |
                   (static_cast<uint32_t>(afterFlag >> 57) & ~wide));
        // valueD: 0; 10 and the sign; 11 and 8 bits. By the first three
        // bits, where valueD starts. A wide valueC is rare: as a branch the
        // CPU predicts, the choice stays off the chain from code to code,
        // which a select would lengthen (10% slower).
        static constexpr int8_t kShortD[8] = {0, 0, 0, 0, 1, -1, 0, 0};
        uint64_t index = ahead << 8 >> 61;
        if (wide) [[unlikely]]
            index = ahead << 17 >> 61;
        const uint32_t escape = 0u - static_cast<uint32_t>(index >= 6);
        d = h.d + static_cast<uint32_t>(static_cast<int32_t>(kShortD[index])) +
            (static_cast<uint32_t>(ahead << cLength >> 54) & 0xFF & escape);
        if (!in.Consume(static_cast<int>(cLength + LengthAt(kValueDLengths, index)))) return false;
    }
    h.c = c;
    h.d = d;
    car = PackCar(key, b, c, d);
    return true;
}

}  // namespace lrx::codec
