// Codes of the fixed-size records that close each frame: A1 (14 bytes), A2
// (7 bytes) and A3 (13 bytes). Every record is coded on its own, field by
// field, with short prefix codes for the values seen most often; decoding
// gives back every byte of any record.
#pragma once

#include "bit_stream.h"

namespace lrx::codec {

// False when a write failed.
bool PutA1Record(const unsigned char* record, BitWriter& out);
bool PutA2Record(const unsigned char* record, BitWriter& out);
bool PutA3Record(const unsigned char* record, BitWriter& out);

// Fill all bytes of the record; false when the stream ended.
bool GetA1Record(BitReader& in, unsigned char* record);
bool GetA2Record(BitReader& in, unsigned char* record);
bool GetA3Record(BitReader& in, unsigned char* record);

}  // namespace lrx::codec
