// The decoder's predictor history holds sums that drift by whole multiples of
// the field's range; it must wrap, not overflow (UBSan checks this suite).
#include <gtest/gtest.h>

#include "codec_test_support.h"
#include "lrxpack.h"

namespace lrx::codec::test {
namespace {

TEST(PredictorHistory, KeysSwingingAcrossTheWholeRangeComeBack) {
    // Every frame jumps between the ends of the 24-bit and 16-bit ranges, so
    // every residual is an escape and the decoder's history grows without
    // bound: far past 2^31 within a few dozen frames.
    Replay replay;
    replay.slotCount = 2;
    for (int f = 0; f < 300; ++f) {
        const bool high = (f / 2) % 2 == 0;
        replay.frames.push_back({{Entry(2, high ? 0xFFFFFE : 0, high ? 32767 : -32768,
                                        static_cast<uint16_t>(high ? 65535 : 0), high ? 255 : 0),
                                  Entry(4, high ? 0xFFFFFF : 1, high ? -32768 : 32767, 0, 0)}});
    }
    const Bytes bytes = ReplayBytes(replay);
    ASSERT_TRUE(FollowsModel(bytes));
    const CodecRun back = RoundTrip(bytes);
    ASSERT_EQ(back.result, LRX_OK);
    EXPECT_EQ(back.output, bytes);
}

}  // namespace
}  // namespace lrx::codec::test
