#include "car_value_codes.h"

#include "replay_model.h"

namespace lrx::codec {
namespace {

constexpr int kKeyBits = 24;
constexpr int kValueBBits = 16;

uint32_t Extrapolate(const uint32_t h[3]) {
    return 3 * h[0] - 3 * h[1] + h[2];
}

void Shift(uint32_t h[3], uint32_t value) {
    h[2] = h[1];
    h[1] = h[0];
    h[0] = value;
}

int32_t SignExtend(uint32_t value, int bits) {
    const uint32_t sign = uint32_t{1} << (bits - 1);
    return static_cast<int32_t>((value ^ sign) - sign);
}

// 0 | 10s | 110s | 1110s (s = 1 for negative) | 1111 then r in escapeBits.
bool PutResidual(BitWriter& out, uint32_t residual, int escapeBits) {
    const int32_t r = static_cast<int32_t>(residual);
    const uint32_t negative = r < 0 ? 1 : 0;
    const uint32_t magnitude = negative ? 0u - residual : residual;
    if (magnitude == 0) return out.Put(0, 1);
    if (magnitude <= 3) {
        const int ones = static_cast<int>(magnitude);
        return out.Put((LowBits(ones) << 2) | negative, ones + 2);
    }
    return out.Put((0xFu << escapeBits) | (residual & LowBits(escapeBits)), 4 + escapeBits);
}

// Code length and magnitude by the next five bits, for the short codes.
struct ShortResidual {
    uint8_t length;  // 0: the escape
    uint8_t magnitude;
    bool negative;
};
constexpr ShortResidual ShortResidualOf(uint32_t next5) {
    if ((next5 & 0x10) == 0) return {1, 0, false};
    int ones = 1;
    while (ones < 4 && (next5 & (0x10u >> ones))) ++ones;
    if (ones == 4) return {0, 0, false};
    const bool negative = (next5 >> (5 - (ones + 2))) & 1;
    return {static_cast<uint8_t>(ones + 2), static_cast<uint8_t>(ones), negative};
}
constexpr auto kShortResiduals = [] {
    struct Table {
        ShortResidual entry[32];
    } table{};
    for (uint32_t i = 0; i < 32; ++i) table.entry[i] = ShortResidualOf(i);
    return table;
}();

bool GetResidual(BitReader& in, uint32_t& residual, int escapeBits, bool signedEscape) {
    const ShortResidual code = kShortResiduals.entry[in.Peek(5)];
    if (code.length != 0) {
        residual = code.negative ? 0u - code.magnitude : code.magnitude;
        return in.Skip(code.length);
    }
    uint32_t raw;
    if (!in.Skip(4) || !in.Get(raw, escapeBits)) return false;
    residual = signedEscape ? static_cast<uint32_t>(SignExtend(raw, escapeBits)) : raw;
    return true;
}

}  // namespace

bool PutCarValues(BitWriter& out, const unsigned char* entry, SlotHistory& h, RawFrames raw) {
    const uint32_t key = OrderKeyOf(entry);
    const uint32_t b = static_cast<uint32_t>(ValueBOf(entry));
    const uint32_t c = ValueCOf(entry);
    const uint32_t d = ValueDOf(entry);

    if (raw.keyAndB) {
        if (!out.Put(key, kKeyBits) || !out.Put(b, kValueBBits)) return false;
    } else {
        if (!PutResidual(out, key - Extrapolate(h.key), kKeyBits) ||
            !PutResidual(out, b - Extrapolate(h.b), kValueBBits)) {
            return false;
        }
    }
    Shift(h.key, key);
    Shift(h.b, b);

    if (raw.cAndD) {
        if (!out.Put(c, 16) || !out.Put(d, 8)) return false;
    } else {
        // Both histories hold exact field values here, so the differences
        // are small and exact.
        const int32_t dc = static_cast<int32_t>(c - h.c);
        const bool small = dc >= -63 && dc <= 63;
        if (!(small ? out.Put(static_cast<uint32_t>(dc) & 0x7F, 8)
                    : out.Put(0x10000u | (static_cast<uint32_t>(dc) & 0xFFFF), 17))) {
            return false;
        }
        const int32_t dd = static_cast<int32_t>(d - h.d);
        bool ok;
        if (dd == 0) {
            ok = out.Put(0, 1);
        } else if (dd == 1 || dd == -1) {
            ok = out.Put(0x4u | (dd < 0 ? 1 : 0), 3);
        } else {
            ok = out.Put(0x300u | (static_cast<uint32_t>(dd) & 0xFF), 10);
        }
        if (!ok) return false;
    }
    h.c = c;
    h.d = d;
    return true;
}

bool GetCarValues(BitReader& in, unsigned char* record, SlotHistory& h, RawFrames raw) {
    uint32_t key, b;
    if (raw.keyAndB) {
        uint32_t rawB;
        if (!in.Get(key, kKeyBits) || !in.Get(rawB, kValueBBits)) return false;
        b = static_cast<uint32_t>(SignExtend(rawB, kValueBBits));
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
        uint32_t wide, dc;
        if (!in.GetBit(wide)) return false;
        if (wide) {
            if (!in.Get(dc, 16)) return false;
            dc = static_cast<uint32_t>(SignExtend(dc, 16));
        } else {
            if (!in.Get(dc, 7)) return false;
            dc = static_cast<uint32_t>(SignExtend(dc, 7));
        }
        c = h.c + dc;

        uint32_t dd = 0, bit;
        if (!in.GetBit(bit)) return false;
        if (bit) {
            if (!in.GetBit(bit)) return false;
            if (bit) {
                if (!in.Get(dd, 8)) return false;
            } else {
                if (!in.GetBit(bit)) return false;
                dd = bit ? 0xFFFFFFFFu : 1u;
            }
        }
        d = h.d + dd;
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
