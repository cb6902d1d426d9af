// Codes of the fixed-size records that close each frame: A1 (14 bytes), A2
// (7 bytes) and A3 (13 bytes). Every record is coded on its own, field by
// field, with short prefix codes for the values seen most often; decoding
// gives back every byte of any record.
#pragma once

#include "bit_reader.h"
#include "bit_writer.h"

namespace lrx::codec {

// The longest code of each record, in bits.
inline constexpr int kMaxA1Bits = 120;
inline constexpr int kMaxA2Bits = 64;
inline constexpr int kMaxA3Bits = 107;

// Each works with the writer and the readers of bit_writer.h and
// bit_reader.h.

// False when a write failed.
template <class Out>
bool PutA1Record(const unsigned char* record, Out& out);
template <class Out>
bool PutA2Record(const unsigned char* record, Out& out);
template <class Out>
bool PutA3Record(const unsigned char* record, Out& out);

// Fill all bytes of the record; false when the stream ended.
template <class In>
bool GetA1Record(In& in, unsigned char* record);
template <class In>
bool GetA2Record(In& in, unsigned char* record);
template <class In>
bool GetA3Record(In& in, unsigned char* record);

}  // namespace lrx::codec
