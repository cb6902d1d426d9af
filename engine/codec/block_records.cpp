#include "block_records.h"

#include "byte_order.h"

namespace lrx::codec {
namespace {

// "0" for zero, else "1" and the byte.
template <class Out>
bool PutZeroOrByte(Out& out, unsigned char value) {
    return value == 0 ? out.Put(0, 1) : out.Put(0x100u | value, 9);
}
template <class In>
LRX_HOT_INLINE bool GetZeroOrByte(In& in, unsigned char& value) {
    uint32_t bit, byte = 0;
    if (!in.GetBit(bit) || (bit && !in.Get(byte, 8))) return false;
    value = static_cast<unsigned char>(byte);
    return true;
}

// "0" and the number in shortBits when it fits, else "1" and 16 bits.
template <class Out>
bool PutShortOr16(Out& out, uint16_t value, int shortBits) {
    if (value < (1u << shortBits)) return out.Put(value, shortBits + 1);
    return out.Put(0x10000u | value, 17);
}
template <class In>
LRX_HOT_INLINE bool GetShortOr16(In& in, unsigned char* field, int shortBits) {
    uint32_t wide, value;
    if (!in.GetBit(wide) || !in.Get(value, wide ? 16 : shortBits)) return false;
    StoreU16(field, static_cast<uint16_t>(value));
    return true;
}

}  // namespace

template <class Out>
bool PutA1Record(const unsigned char* r, Out& out) {
    bool ok;
    switch (r[0]) {
        case 1:
            ok = out.Put(0, 1);
            break;
        case 2:
            ok = out.Put(0x2, 2);
            break;
        default:
            ok = out.Put(0x300u | r[0], 10);
            break;
    }
    if (!ok || !out.PutBytes(r + 1, 2) || !PutShortOr16(out, LoadU16(r + 3), 10) ||
        !out.PutBytes(r + 5, 2)) {
        return false;
    }
    const uint32_t number = LoadU32(r + 7);
    if (number == 0) {
        ok = out.Put(0, 1);
    } else if (number <= 255) {
        ok = out.Put(0x200u | number, 10);
    } else {
        ok = out.Put(0x3, 2) && out.Put(number, 32);
    }
    if (!ok || !PutShortOr16(out, LoadU16(r + 11), 11)) return false;
    switch (r[13]) {
        case 0:
            return out.Put(0, 1);
        case 255:
            return out.Put(0x2, 2);
        default:
            return out.Put(0x300u | r[13], 10);
    }
}

template <class In>
LRX_HOT_INLINE bool ReadA1Record(In& in, unsigned char* r) {
    uint32_t bit, value;
    if (!in.GetBit(bit)) return false;
    if (!bit) {
        r[0] = 1;
    } else {
        if (!in.GetBit(bit)) return false;
        if (!bit) {
            r[0] = 2;
        } else {
            if (!in.Get(value, 8)) return false;
            r[0] = static_cast<unsigned char>(value);
        }
    }
    if (!in.GetBytes(r + 1, 2) || !GetShortOr16(in, r + 3, 10) || !in.GetBytes(r + 5, 2)) {
        return false;
    }
    uint32_t number = 0;
    if (!in.GetBit(bit)) return false;
    if (bit) {
        if (!in.GetBit(bit) || !in.Get(number, bit ? 32 : 8)) return false;
    }
    StoreU32(r + 7, number);
    if (!GetShortOr16(in, r + 11, 11) || !in.GetBit(bit)) return false;
    if (!bit) {
        r[13] = 0;
    } else {
        if (!in.GetBit(bit)) return false;
        if (!bit) {
            r[13] = 255;
        } else {
            if (!in.Get(value, 8)) return false;
            r[13] = static_cast<unsigned char>(value);
        }
    }
    return true;
}

template <class Out>
bool PutA2Record(const unsigned char* r, Out& out) {
    // 00, 01, 100, 101, 110, 1110, or 1111 and the byte.
    static constexpr struct {
        uint8_t code;
        uint8_t length;
    } kFirstByte[6] = {{0x0, 2}, {0x1, 2}, {0x4, 3}, {0x5, 3}, {0x6, 3}, {0xE, 4}};
    const bool ok = r[0] < 6 ? out.Put(kFirstByte[r[0]].code, kFirstByte[r[0]].length)
                             : out.Put(0xF00u | r[0], 12);
    if (!ok || !out.PutBytes(r + 1, 2)) return false;
    bool third;
    switch (r[3]) {
        case 0:
            third = out.Put(0, 1);
            break;
        case 1:
            third = out.Put(0x2, 2);
            break;
        default:
            third = out.Put(0x300u | r[3], 10);
            break;
    }
    if (!third || !PutShortOr16(out, LoadU16(r + 4), 11)) return false;
    return r[6] == 127 ? out.Put(0, 1) : out.Put(0x100u | r[6], 9);
}

template <class In>
LRX_HOT_INLINE bool ReadA2Record(In& in, unsigned char* r) {
    uint32_t bits, bit, value;
    if (!in.Get(bits, 2)) return false;
    if (bits < 2) {
        r[0] = static_cast<unsigned char>(bits);
    } else {
        if (!in.GetBit(bit)) return false;
        if (bits == 2) {
            r[0] = static_cast<unsigned char>(2 + bit);
        } else if (!bit) {
            r[0] = 4;
        } else {
            if (!in.GetBit(bit)) return false;
            if (!bit) {
                r[0] = 5;
            } else {
                if (!in.Get(value, 8)) return false;
                r[0] = static_cast<unsigned char>(value);
            }
        }
    }
    if (!in.GetBytes(r + 1, 2) || !in.GetBit(bit)) return false;
    if (!bit) {
        r[3] = 0;
    } else {
        if (!in.GetBit(bit)) return false;
        if (!bit) {
            r[3] = 1;
        } else {
            if (!in.Get(value, 8)) return false;
            r[3] = static_cast<unsigned char>(value);
        }
    }
    if (!GetShortOr16(in, r + 4, 11) || !in.GetBit(bit)) return false;
    if (!bit) {
        r[6] = 127;
    } else {
        if (!in.Get(value, 8)) return false;
        r[6] = static_cast<unsigned char>(value);
    }
    return true;
}

template <class Out>
bool PutA3Record(const unsigned char* r, Out& out) {
    if (r[0] <= 2) {
        // Compact form: "0", byte 0 as 0 (1), 10 (0) or 11 (2), then small bytes.
        static constexpr uint8_t kFirstByte[3][2] = {{0x2, 2}, {0x0, 1}, {0x3, 2}};
        if (!out.Put(0, 1) || !out.Put(kFirstByte[r[0]][0], kFirstByte[r[0]][1])) return false;
        for (int i = 1; i <= 3; ++i) {
            if (!(r[i] < 32 ? out.Put(r[i], 6) : out.Put(0x100u | r[i], 9))) return false;
        }
        for (int i = 4; i <= 6; ++i) {
            if (!PutZeroOrByte(out, r[i])) return false;
        }
        return out.PutBytes(r + 7, 6);
    }
    return out.Put(1, 1) && out.PutBytes(r, 7) && PutZeroOrByte(out, r[7]) &&
           out.PutBytes(r + 8, 4) && PutZeroOrByte(out, r[12]);
}

template <class In>
LRX_HOT_INLINE bool ReadA3Record(In& in, unsigned char* r) {
    uint32_t full, bit, value;
    if (!in.GetBit(full)) return false;
    if (full) {
        return in.GetBytes(r, 7) && GetZeroOrByte(in, r[7]) && in.GetBytes(r + 8, 4) &&
               GetZeroOrByte(in, r[12]);
    }
    if (!in.GetBit(bit)) return false;
    if (!bit) {
        r[0] = 1;
    } else {
        if (!in.GetBit(bit)) return false;
        r[0] = bit ? 2 : 0;
    }
    for (int i = 1; i <= 3; ++i) {
        if (!in.GetBit(bit) || !in.Get(value, bit ? 8 : 5)) return false;
        r[i] = static_cast<unsigned char>(value);
    }
    for (int i = 4; i <= 6; ++i) {
        if (!GetZeroOrByte(in, r[i])) return false;
    }
    return in.GetBytes(r + 7, 6);
}

// Each reads through a copy of the reader, which can stay in registers:
// through the caller's, every byte stored into the record could be the
// reader's own and would send it back to memory.
template <class In, bool (*read)(In&, unsigned char*)>
LRX_HOT_INLINE bool ReadOnCopy(In& stream, unsigned char* record) {
    In in = stream;
    const bool ok = read(in, record);
    stream = in;
    return ok;
}
template <class In>
bool GetA1Record(In& in, unsigned char* r) {
    return ReadOnCopy<In, ReadA1Record<In>>(in, r);
}
template <class In>
bool GetA2Record(In& in, unsigned char* r) {
    return ReadOnCopy<In, ReadA2Record<In>>(in, r);
}
template <class In>
bool GetA3Record(In& in, unsigned char* r) {
    return ReadOnCopy<In, ReadA3Record<In>>(in, r);
}

// The writer and readers the codec and its tests use.
template bool PutA1Record(const unsigned char*, BitWriter&);
template bool PutA2Record(const unsigned char*, BitWriter&);
template bool PutA3Record(const unsigned char*, BitWriter&);
template bool GetA1Record(CheckedBitReader&, unsigned char*);
template bool GetA2Record(CheckedBitReader&, unsigned char*);
template bool GetA3Record(CheckedBitReader&, unsigned char*);
template bool GetA1Record(UncheckedBitReader&, unsigned char*);
template bool GetA2Record(UncheckedBitReader&, unsigned char*);
template bool GetA3Record(UncheckedBitReader&, unsigned char*);

}  // namespace lrx::codec
