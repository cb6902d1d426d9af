// Whether a replay comes back from the archive byte for byte. The codec
// carries every replay it accepts, but rebuilds some parts in a canonical
// form instead of storing them: such a replay is packed and extracted without
// error, yet the extracted file differs. This check tells a caller (the
// command-line add, for one) so it can warn first. It reads the replay once,
// front to back, with memory that does not grow with its length.
#pragma once

#include <cstdint>
#include <cstdio>

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

// Reads the replay from its current position to its end.
ModelCheck CheckReplayModel(std::FILE* replay);
// The same for a file by path; an unreadable file is Refused with 21.
ModelCheck CheckReplayModel(const char* path);

// True when decode(encode(replay)) gives the replay back byte for byte.
bool ReplayFollowsModel(std::FILE* replay);
bool ReplayFollowsModel(const char* path);

// A short English phrase for a warning, e.g. "empty position with other bytes".
const char* DescribeModelBreak(ModelBreak problem);

}  // namespace lrx::codec
