// Replays that follow the model come back byte for byte; replays that break
// it in ways the stream can carry come back in the canonical form, and the
// model check tells the two apart.
#include <gtest/gtest.h>

#include "codec_test_support.h"
#include "lrxpack.h"
#include "replay_generator.h"

namespace lrx::codec::test {
namespace {

using replaygen::GenerateReplay;
using replaygen::GeneratorOptions;
using replaygen::Profile;

void ExpectRoundTrip(const GeneratorOptions& options) {
    const Bytes replay = GenerateReplay(options);
    const CodecRun back = RoundTrip(replay);
    ASSERT_EQ(back.result, LRX_OK) << ProfileName(options.profile) << " seed " << options.seed;
    ASSERT_TRUE(back.output == replay) << ProfileName(options.profile) << " seed " << options.seed;
    EXPECT_TRUE(FollowsModel(replay)) << ProfileName(options.profile) << " seed " << options.seed;
}

TEST(RoundTrip, EveryProfileOverSeveralSeeds) {
    const struct {
        Profile profile;
        uint64_t seeds;
        int cars, frames;
    } runs[] = {
        {Profile::Race, 6, -1, 400},
        {Profile::Edge, 40, -1, -1},  // seeds 0..15: each header shape, both slot bases, car counts
        {Profile::Tiny, 20, -1, -1},
    };
    for (const auto& run : runs) {
        for (uint64_t seed = 0; seed < run.seeds; ++seed) {
            ExpectRoundTrip({run.profile, seed, run.cars, run.frames});
        }
    }
    ExpectRoundTrip({Profile::Race, 99, -1, -1});  // the full default length
    ExpectRoundTrip({Profile::Race, 7, 63, 200});  // more cars than driver entries
}

// The decoder's predictor history drifts by whole multiples of the field's
// range; it must wrap, not overflow (UBSan checks this suite).
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

// A replay of two cars over four frames, and the same replay as it comes
// back from the archive.
Replay TwoCars(std::vector<Frame> frames) {
    Replay replay;
    replay.slotCount = 2;
    replay.frames = std::move(frames);
    return replay;
}

void ExpectCanonical(const Replay& broken, const Replay& canonical, bool canonicalFollows = true) {
    const Bytes brokenBytes = ReplayBytes(broken);
    const Bytes canonicalBytes = ReplayBytes(canonical);
    EXPECT_FALSE(FollowsModel(brokenBytes));
    EXPECT_EQ(FollowsModel(canonicalBytes), canonicalFollows);
    const CodecRun back = RoundTrip(brokenBytes);
    ASSERT_EQ(back.result, LRX_OK);
    EXPECT_EQ(back.output, canonicalBytes);
}

TEST(Canonical, DescendingFramesComeBackAscendingAfterTheFirst) {
    // The flag bits stay with the positions, not with the cars.
    const Bytes a = Entry(2, 300, 1, 2, 3), b = Entry(5, 200, 4, 5, 6);
    const Bytes a2 = Entry(2, 310, 1, 2, 3), b2 = Entry(5, 210, 4, 5, 6);
    ExpectCanonical(TwoCars({{{a, b}}, {{a2, b2}}}),
                    TwoCars({{{a, b}}, {{Entry(4, 210, 4, 5, 6), Entry(3, 310, 1, 2, 3)}}}));
}

TEST(Canonical, EmptyPositionsGetTheFixedBytes) {
    ExpectCanonical(TwoCars({{{Entry(2, 1, 0, 0, 0), Entry(1, 9, 9, 9, 9)}}}),
                    TwoCars({{{Entry(2, 1, 0, 0, 0), EmptyEntry()}}}));
    // An empty position before a car, in a frame whose order is rebuilt.
    ExpectCanonical(TwoCars({{{Entry(2, 1, 0, 0, 0), Entry(4, 2, 0, 0, 0)}},
                             {{EmptyEntry(), Entry(4, 3, 0, 0, 0)}}}),
                    TwoCars({{{Entry(2, 1, 0, 0, 0), Entry(4, 2, 0, 0, 0)}},
                             {{Entry(5, 3, 0, 0, 0), EmptyEntry()}}}));
}

TEST(Canonical, RecordSizeIsRecomputed) {
    Replay broken = TwoCars({{{Entry(2, 1, 0, 0, 0), EmptyEntry()}}});
    broken.frames[0].recordSize = 12345;
    ExpectCanonical(broken, TwoCars({{{Entry(2, 1, 0, 0, 0), EmptyEntry()}}}));
}

TEST(Canonical, DriverNamesLoseBytesAfterTheirTerminator) {
    Replay canonical = TwoCars({});
    canonical.driverList = Bytes(33, 0);
    canonical.driverList[0] = 'A';
    canonical.driverList[32] = 7;
    Replay broken = canonical;
    broken.driverList[5] = 'x';  // after the terminator at 1
    ExpectCanonical(broken, canonical);
    // And entries after the first empty one are not carried at all.
    broken = canonical;
    broken.driverList.resize(33 * 3, 0);
    broken.driverList[33 * 2] = 'Z';
    ExpectCanonical(broken, canonical);
}

TEST(Canonical, ARepeatedSlotKeepsItsLastValues) {
    ExpectCanonical(TwoCars({{{Entry(2, 5, 0, 0, 0), Entry(2, 6, 1, 1, 1)}}}),
                    TwoCars({{{Entry(2, 6, 1, 1, 1), Entry(2, 6, 1, 1, 1)}}}), false);
    // In a frame whose order is rebuilt the slot is written once.
    ExpectCanonical(TwoCars({{{Entry(2, 5, 0, 0, 0), Entry(4, 6, 0, 0, 0)}},
                             {{Entry(2, 7, 0, 0, 0), Entry(2, 8, 1, 1, 1)}}}),
                    TwoCars({{{Entry(2, 5, 0, 0, 0), Entry(4, 6, 0, 0, 0)}},
                             {{Entry(2, 8, 1, 1, 1), EmptyEntry()}}}));
}

TEST(Canonical, SlotZeroOfBaseZeroCannotCarryAFlag) {
    // Status 1 always means empty, so a car in slot 0 with its flag set is lost.
    Replay broken = TwoCars({{{Entry(1, 5, 5, 5, 5), Entry(2, 6, 0, 0, 0)}}});
    broken.slotBase = 0;
    Replay canonical = TwoCars({{{EmptyEntry(), Entry(2, 6, 0, 0, 0)}}});
    canonical.slotBase = 0;
    ExpectCanonical(broken, canonical);
}

TEST(Canonical, PositionSizeMayEndInsideTheLastFrame) {
    // The frame loop runs while bytes are left of positionSize, and the
    // decoder stops on the file's length, so the replay is carried whole.
    Replay replay =
        TwoCars({{{Entry(2, 1, 0, 0, 0), EmptyEntry()}}, {{EmptyEntry(), EmptyEntry()}}});
    replay.positionSize = static_cast<int64_t>(FrameBytes(replay.frames[0]).size()) + 1;
    const Bytes bytes = ReplayBytes(replay);
    EXPECT_TRUE(FollowsModel(bytes));
    EXPECT_EQ(RoundTrip(bytes).output, bytes);
}

TEST(ModelCheck, NamesTheFirstProblemAndItsFrame) {
    const auto check = [](const Replay& replay) { return CheckModel(ReplayBytes(replay)); };
    const Bytes car = Entry(2, 1, 0, 0, 0), other = Entry(4, 2, 0, 0, 0);

    Replay replay = TwoCars({{{car, other}}, {{car, other}}, {{other, car}}});
    ModelCheck result = check(replay);
    EXPECT_EQ(result.problem, ModelBreak::EntryOrder);
    EXPECT_EQ(result.frame, 2);

    replay = TwoCars({{{car, other}}, {{car, Entry(1, 0, 0, 0, 0)}}});
    EXPECT_EQ(check(replay).problem, ModelBreak::EmptyPosition);
    replay.frames[1].entries[1] = EmptyEntry();
    replay.frames[0].recordSize = 0;
    EXPECT_EQ(check(replay).problem, ModelBreak::RecordSize);
    EXPECT_EQ(check(replay).frame, 0);

    replay = TwoCars({{{car, car}}});
    EXPECT_EQ(check(replay).problem, ModelBreak::RepeatedSlot);

    replay = TwoCars({});
    replay.driverList = {'a', 0, 'b'};
    EXPECT_EQ(check(replay).problem, ModelBreak::DriverList);
    EXPECT_EQ(check(replay).frame, -1);

    // A refusal further on wins over a problem found earlier.
    replay.frames = {{{car, other}}};
    Bytes bytes = ReplayBytes(replay);
    bytes.push_back(0);
    result = CheckModel(bytes);
    EXPECT_EQ(result.problem, ModelBreak::Refused);
    EXPECT_EQ(result.refusal, LRX_READING_POSITION_DATA);
    EXPECT_STREQ(DescribeModelBreak(result.problem), "cannot be packed");
}

}  // namespace
}  // namespace lrx::codec::test
