// The first frames of a replay carry the car values raw, there being too
// little history to predict them from: orderKey and valueB in the first
// three frames, valueC and valueD in the first. Encoder and decoder walk the
// cars of a frame through the same loop, so they agree on which frames these
// are.
#pragma once

#include <cstdint>

#include "buffered_bytes.h"
#include "slot_set.h"

namespace lrx::codec {

// Whether the values of this frame are stored raw.
struct RawFrames {
    bool keyAndB = false;
    bool cAndD = false;
};

class RawFrameCountdown {
  public:
    // Runs step(slot, raw) for each slot of present in ascending order, with
    // this frame's RawFrames, and moves on to the next frame; false as soon
    // as a step is. Past the first frames raw is a constant, so the common
    // loop has no test of it.
    template <class Step>
    LRX_HOT_INLINE bool EachCar(uint64_t present, Step&& step) {
        if (keyAndB_ == 0) return Each(present, RawFrames{}, step);
        const RawFrames raw{keyAndB_ > 0, cAndD_ > 0};
        --keyAndB_;
        if (cAndD_ > 0) --cAndD_;
        return Each(present, raw, step);
    }

  private:
    template <class Step>
    LRX_HOT_INLINE static bool Each(uint64_t present, RawFrames raw, Step& step) {
        for (uint64_t rest = present; rest; rest &= rest - 1) {
            if (!step(LowestSlot(rest), raw)) return false;
        }
        return true;
    }

    int keyAndB_ = 3;
    int cAndD_ = 1;
};

}  // namespace lrx::codec
