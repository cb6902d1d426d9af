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
#pragma once

#include <cstdint>

#include "bit_stream.h"

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

// Writes the codes of orderKey, valueB, valueC and valueD of a 9-byte
// position entry and moves the history on. False when a write failed.
bool PutCarValues(BitWriter& out, const unsigned char* entry, SlotHistory& history, RawFrames raw);

// Reads the four codes into bytes 1 to 8 of a 9-byte record (byte 0 is left
// alone) and moves the history on. False when the stream ended.
bool GetCarValues(BitReader& in, unsigned char* record, SlotHistory& history, RawFrames raw);

}  // namespace lrx::codec
