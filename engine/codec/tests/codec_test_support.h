// Shared helpers of the codec tests: replays built field by field, expected
// streams written as bit strings, and the codec run over scratch files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mailbox.h"
#include "model_check.h"
#include "test_files.h"

namespace lrx::codec::test {

using lrx::test::Bytes;

// "0110..." for the low count bits of value, most significant first; wider
// fields get leading zeros.
std::string Bits(uint32_t value, int count);

// The stream of words that a bit string packs into; spaces are ignored and
// the last word is padded with zero bits.
Bytes PackBits(std::string_view bits);

// One 9-byte position entry.
Bytes Entry(uint8_t status, uint32_t orderKey, int16_t valueB, uint16_t valueC, uint8_t valueD);
Bytes EmptyEntry();

// A frame: its entries, the three blocks (records concatenated) and, unless
// given, the right recordSize.
struct Frame {
    Frame(std::vector<Bytes> positionEntries = {}) : entries(std::move(positionEntries)) {}
    std::vector<Bytes> entries;
    std::vector<Bytes> a1, a2, a3;
    int64_t recordSize = -1;
};
Bytes FrameBytes(const Frame& frame);

// A replay: header block of zeros apart from the layout marker and any
// driver list given; positionSize as the frames' total unless given.
struct Replay {
    uint32_t headerSize = 2954;
    uint32_t slotCount = 0;
    int slotBase = 1;
    uint32_t preambleWord = 0;
    Bytes driverList;  // placed at offset 32 of the header block
    std::vector<Frame> frames;
    int64_t positionSize = -1;
};
Bytes ReplayBytes(const Replay& replay);

struct CodecRun {
    int result = -1;
    Bytes output;
};

// Packs replay bytes as the add operation does; output is the packed data.
// The result is -4 when packing from memory differs.
CodecRun Encode(const Bytes& replay, ProgressSink* progress = nullptr);
// Unpacks packed data of an entry of rawSize bytes; output is what was written.
// The result is -4 when decoding from memory differs, -5 when the model
// verdict made while decoding differs from the check of the output.
CodecRun Decode(const Bytes& packed, int32_t rawSize, ProgressSink* progress = nullptr);

// Packs and unpacks; the result is the replay that comes back (empty when
// either side failed, with the failure in result).
CodecRun RoundTrip(const Bytes& replay);

ModelCheck CheckModel(const Bytes& replay);
bool FollowsModel(const Bytes& replay);

}  // namespace lrx::codec::test
