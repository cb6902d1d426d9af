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
// These run once per car and frame, so they live here to be inlined.
#pragma once

#include <cstdint>

#include "bit_stream.h"
#include "file_stream.h"
#include "replay_model.h"

namespace lrx::codec {

struct SlotHistory {
    uint32_t key[3] = {0, 0, 0};  // latest first
    uint32_t b[3] = {0, 0, 0};
    uint32_t c = 0;
    uint32_t d = 0;
};

// Whether the values of this frame are stored raw.
struct RawFrames {
    bool keyAndB = false;  // the first three frames
    bool cAndD = false;    // the first frame
};

namespace car_codes {

inline constexpr int kKeyBits = 24;
inline constexpr int kValueBBits = 16;

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

// Codes gathered in one word and written with as few writes as they need.
class CodeBuffer {
  public:
    explicit CodeBuffer(BitWriter& out) : out_(out) {}
    // count 1 to 32; value holds no bits above count.
    LRX_HOT_INLINE bool Add(uint32_t value, int count) {
        if (length_ + count > 64 && !Flush()) return false;
        bits_ = (bits_ << count) | value;
        length_ += count;
        return true;
    }
    bool Flush() {
        const bool ok = length_ == 0 || out_.PutWide(bits_, length_);
        bits_ = 0;
        length_ = 0;
        return ok;
    }

  private:
    BitWriter& out_;
    uint64_t bits_ = 0;
    int length_ = 0;
};

// 0 | 10s | 110s | 1110s (s = 1 for negative) | 1111 then r in escapeBits.
// The short codes by residual + 3, looked up rather than branched on: small
// residuals follow no pattern a branch predictor could learn.
inline constexpr uint8_t kShortResidualCode[7] = {0x1D, 0xD, 0x5, 0x0, 0x4, 0xC, 0x1C};
inline constexpr uint8_t kShortResidualLength[7] = {5, 4, 3, 1, 3, 4, 5};

LRX_HOT_INLINE bool AddResidual(CodeBuffer& codes, uint32_t residual, int escapeBits) {
    const uint32_t index = residual + 3;
    if (index <= 6) return codes.Add(kShortResidualCode[index], kShortResidualLength[index]);
    return codes.Add((0xFu << escapeBits) | (residual & LowBits(escapeBits)), 4 + escapeBits);
}

// The short residual codes by their first five bits; length 0 is the escape.
struct ShortResidual {
    uint8_t length;
    uint8_t magnitude;
    bool negative;
    uint8_t unused;  // four bytes an entry: one load, no multiply
};
constexpr ShortResidual ShortResidualOf(uint32_t next5) {
    if ((next5 & 0x10) == 0) return {1, 0, false, 0};
    int ones = 1;
    while (ones < 4 && (next5 & (0x10u >> ones))) ++ones;
    if (ones == 4) return {0, 0, false, 0};
    const bool negative = (next5 >> (3 - ones)) & 1;
    return {static_cast<uint8_t>(ones + 2), static_cast<uint8_t>(ones), negative, 0};
}
struct ShortResidualTable {
    ShortResidual entry[32];
};
inline constexpr ShortResidualTable kShortResiduals = [] {
    ShortResidualTable table{};
    for (uint32_t i = 0; i < 32; ++i) table.entry[i] = ShortResidualOf(i);
    return table;
}();

LRX_HOT_INLINE bool GetResidual(BitReader& in, uint32_t& residual, int escapeBits,
                                bool signedEscape) {
    const ShortResidual code = kShortResiduals.entry[in.Peek(5)];
    if (code.length != 0) {
        residual = code.negative ? 0u - code.magnitude : code.magnitude;
        return in.Skip(code.length);
    }
    uint32_t raw;
    if (!in.Skip(4) || !in.Get(raw, escapeBits)) return false;
    residual = signedEscape ? SignExtend(raw, escapeBits) : raw;
    return true;
}

}  // namespace car_codes

using car_codes::CodeBuffer;

// Adds the codes of orderKey, valueB, valueC and valueD of a 9-byte position
// entry to codes and moves the history on. False when a write failed.
LRX_HOT_INLINE bool PutCarValues(CodeBuffer& codes, const unsigned char* entry, SlotHistory& h,
                                 RawFrames raw) {
    using namespace car_codes;
    const uint32_t key = OrderKeyOf(entry);
    const uint32_t b = static_cast<uint32_t>(ValueBOf(entry));
    const uint32_t c = ValueCOf(entry);
    const uint32_t d = ValueDOf(entry);

    if (raw.keyAndB) {
        if (!codes.Add(key, kKeyBits) || !codes.Add(b & 0xFFFF, kValueBBits)) return false;
    } else if (!AddResidual(codes, key - Extrapolate(h.key), kKeyBits) ||
               !AddResidual(codes, b - Extrapolate(h.b), kValueBBits)) {
        return false;
    }
    Shift(h.key, key);
    Shift(h.b, b);

    if (raw.cAndD) {
        if (!codes.Add(c, 16) || !codes.Add(d, 8)) return false;
    } else {
        // The encoder's history holds exact field values, so the differences
        // are small and exact.
        const uint32_t dc = c - h.c;
        const bool small = dc + 63 <= 126;  // -63 to 63
        if (!(small ? codes.Add(dc & 0x7F, 8) : codes.Add(0x10000u | (dc & 0xFFFF), 17))) {
            return false;
        }
        const uint32_t dd = d - h.d;
        bool ok;
        if (dd == 0) {
            ok = codes.Add(0, 1);
        } else if (dd == 1 || dd == 0xFFFFFFFFu) {
            ok = codes.Add(0x4u | (dd >> 31), 3);
        } else {
            ok = codes.Add(0x300u | (dd & 0xFF), 10);
        }
        if (!ok) return false;
    }
    h.c = c;
    h.d = d;
    return true;
}

// Reads the four codes into bytes 1 to 8 of a 9-byte record (byte 0 is left
// alone) and moves the history on. False when the stream ended.
LRX_HOT_INLINE bool GetCarValues(BitReader& in, unsigned char* record, SlotHistory& h,
                                 RawFrames raw) {
    using namespace car_codes;
    uint32_t key, b;
    if (raw.keyAndB) {
        if (!in.Get(key, kKeyBits) || !in.Get(b, kValueBBits)) return false;
        b = SignExtend(b, kValueBBits);
    } else {
        uint32_t rk, rb;
        if (!GetResidual(in, rk, kKeyBits, false) || !GetResidual(in, rb, kValueBBits, true)) {
            return false;
        }
        key = Extrapolate(h.key) + rk;
        b = Extrapolate(h.b) + rb;
    }
    Shift(h.key, key);
    Shift(h.b, b);

    uint32_t c, d;
    if (raw.cAndD) {
        if (!in.Get(c, 16) || !in.Get(d, 8)) return false;
    } else {
        // 0 and 7 bits, or 1 and 16 bits.
        const uint32_t next = in.Peek(17);
        if (next & 0x10000) {
            if (!in.Skip(17)) return false;
            c = h.c + SignExtend(next & 0xFFFF, 16);
        } else {
            if (!in.Skip(8)) return false;
            c = h.c + SignExtend((next >> 9) & 0x7F, 7);
        }
        // 0, 10 and the sign, or 11 and 8 bits.
        const uint32_t code = in.Peek(10);
        if ((code & 0x200) == 0) {
            if (!in.Skip(1)) return false;
            d = h.d;
        } else if ((code & 0x100) == 0) {
            if (!in.Skip(3)) return false;
            d = h.d + ((code & 0x80) ? 0xFFFFFFFFu : 1u);
        } else {
            if (!in.Skip(10)) return false;
            d = h.d + (code & 0xFF);
        }
    }
    h.c = c;
    h.d = d;

    record[1] = static_cast<unsigned char>(key);
    record[2] = static_cast<unsigned char>(key >> 8);
    record[3] = static_cast<unsigned char>(key >> 16);
    StoreU16(record + 4, static_cast<uint16_t>(b));
    StoreU16(record + 6, static_cast<uint16_t>(c));
    record[8] = static_cast<unsigned char>(d);
    return true;
}

}  // namespace lrx::codec
