// Whether a replay comes back from the archive byte for byte. The codec
// carries every replay it accepts, but rebuilds some parts in a canonical
// form instead of storing them: such a replay is packed and extracted without
// error, yet the extracted file differs. This check tells a caller (the
// command-line add, for one) so it can warn first. It reads the replay once,
// front to back, with memory that does not grow with its length.
#pragma once

#include <cstdint>
#include <cstdio>

#include "byte_source.h"
#include "replay_model.h"

namespace lrx::codec {

enum class ModelBreak {
    None,
    Refused,        // the encoder refuses the replay (see ModelCheck::refusal)
    DriverList,     // bytes after a name's terminator, or after the list's end
    EmptyPosition,  // an empty position whose 8 bytes are not the fixed ones
    EntryOrder,     // present entries not first and ascending by orderKey
    RepeatedSlot,   // one slot twice in a frame
    RecordSize,     // a recordSize other than the frame's length
};

struct ModelCheck {
    ModelBreak problem = ModelBreak::None;
    int refusal = 0;     // the encoder's result code when problem is Refused
    int64_t frame = -1;  // the frame where the problem lies, counted from 0; -1 before the frames

    bool FollowsModel() const { return problem == ModelBreak::None; }
};

// Reads the replay from its source's current position to its end.
ModelCheck CheckReplayModel(ByteSource& replay);
ModelCheck CheckReplayModel(std::FILE* replay);
ModelCheck CheckReplayModel(const unsigned char* replay, std::size_t size);
// The same for a file by path; an unreadable file is Refused with 21.
ModelCheck CheckReplayModel(const char* path);

// True when decode(encode(replay)) gives the replay back byte for byte.
bool ReplayFollowsModel(std::FILE* replay);
bool ReplayFollowsModel(const char* path);

// A short English phrase for a warning, e.g. "empty position with other bytes".
const char* DescribeModelBreak(ModelBreak problem);

// The check of one frame's position entries: what the decoder would order or
// fill in differently. firstFrame: the replay's first, which keeps its order.
ModelBreak CheckPositions(const unsigned char* entries, int slotCount, int slotBase,
                          bool firstFrame);

// CheckReplayModel of the replay a decoder writes, made while it writes it:
// the same verdict, without reading the replay again. The decoder reports its
// header, the position entries of every frame whose order it did not make
// itself, and the size of every frame.
class DecodedModelCheck {
  public:
    void Header(const unsigned char* headerBlock, uint32_t positionSize, int slotCount,
                int slotBase);
    void Positions(const unsigned char* entries);
    void FrameWritten(int64_t size);
    // The verdict once the replay is whole.
    ModelCheck Finish() const;

  private:
    ModelCheck first_;    // the first canonical-form problem
    ModelCheck refused_;  // a refusal, which wins
    int slotCount_ = 0;
    int slotBase_ = 1;
    int64_t frameBytesLeft_ = 0;
    int64_t frame_ = 0;
};

}  // namespace lrx::codec
