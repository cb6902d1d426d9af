// Everything the codec keeps between the steps of one entry: the bit stream,
// the read-ahead and write-behind buffers over the two open streams, and what
// the header step learnt about the replay. Per-frame tables are not here:
// the frame steps own them for the length of one call. Whoever runs an
// entry owns its context; the codec keeps no state of its own.
#pragma once

#include <cstdint>
#include <cstdio>

#include "bit_stream.h"
#include "buffered_file.h"

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

    BitStream bits;
    ByteReader input;   // the replay when encoding, the archive when decoding
    ByteWriter output;  // the archive when encoding, the replay when decoding
    ReplayContext replay;
    // Decoder: replay bytes still to write; the caller sets it to the entry's
    // rawSize before the header step.
    int32_t bytesLeft = 0;

    // Points the buffers at the streams of this step. What was read ahead
    // from the same stream by an earlier step of the entry is kept.
    void Bind(std::FILE* from, std::FILE* to) {
        if (input.file() != from) input.Attach(from);
        if (output.file() != to) output.Attach(to);
    }
};

}  // namespace lrx::codec
