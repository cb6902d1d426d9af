// Walks a replay file section by section for the encoder and the model
// check. Each call returns 0 or the reading code of the section it was in.
#pragma once

#include <cstdint>
#include <vector>

#include "buffered_bytes.h"
#include "replay_model.h"

namespace lrx::codec {

// One frame, pointing into the reader's buffer until the next ReadFrame.
struct FrameView {
    const unsigned char* entries = nullptr;  // N entries of 9 bytes
    int c1 = 0;
    const unsigned char* a1 = nullptr;
    int c2 = 0;
    const unsigned char* a2 = nullptr;
    int c3 = 0;
    const unsigned char* a3 = nullptr;
    uint32_t recordSize = 0;  // as stored, right or wrong
    int64_t size = 0;         // bytes the frame really takes
};

// 1 when the file is shorter than 16 bytes.
int ReadPreamble(ByteReader& in, Preamble& preamble);

// The H bytes of the header block; 1 when the file ends first.
int ReadHeaderBlock(ByteReader& in, uint32_t headerSize, std::vector<unsigned char>& block);

// One frame: 5 when the position entries end early or a status names a slot
// outside 0..N-1 (which the stream cannot carry), 7, 9 or 11 when the A1, A2
// or A3 block ends early, 13 when the recordSize does.
int ReadFrame(ByteReader& in, int slotCount, int slotBase, FrameView& frame);

// The same without looking at the statuses, for a caller that checks them
// on its own pass over the entries. When it fails with 7, 9, 11 or 13 the
// entries are still at in.data(), and a bad status among them comes first.
int ReadFrameParts(ByteReader& in, int slotCount, FrameView& frame);
// Whether every status of the entries is empty or names a slot in 0..N-1.
bool StatusesNameSlots(const unsigned char* entries, int slotCount, int slotBase);

}  // namespace lrx::codec
