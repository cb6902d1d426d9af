// What the codec keeps for one entry at a time: the read and write blocks
// (reused from entry to entry) and what the header taught it about the
// replay. The bit readers and writer and the per-frame tables live on the
// stack of one call. Whoever runs an entry owns its context; the codec keeps
// no state of its own.
#pragma once

#include <cstdint>

#include "buffered_bytes.h"

namespace lrx::codec {

struct ReplayContext {
    uint32_t headerSize = 0;
    uint32_t positionSize = 0;
    int slotCount = 0;
    int slotBase = 1;
    // Encoder: position bytes still to read, counted down from positionSize.
    int64_t frameBytesLeft = 0;
};

struct CodecContext {
    CodecContext() = default;
    CodecContext(const CodecContext&) = delete;
    CodecContext& operator=(const CodecContext&) = delete;

    ByteReader input;   // the replay when encoding, the packed data when decoding
    ByteWriter output;  // the packed data when encoding, the replay when decoding
    ReplayContext replay;
    // Decoder: replay bytes still to write, from the entry's rawSize down.
    int32_t bytesLeft = 0;
};

}  // namespace lrx::codec
