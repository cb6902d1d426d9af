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

// Replays that break the model in ways the stream can carry come back in the
// canonical form.
TEST(Canonical, BrokenReplaysComeBackCanonical) {
    const Bytes car = Entry(2, 1, 0, 0, 0), empty = EmptyEntry();
    Replay names = TwoCars({});
    names.driverList = Bytes(33, 0);
    names.driverList[0] = 'A';
    names.driverList[32] = 7;
    Replay junkName = names, laterEntry = names;
    junkName.driverList[5] = 'x';             // after the terminator at 1
    laterEntry.driverList.resize(33 * 3, 0);  // entries after the first empty one
    laterEntry.driverList[33 * 2] = 'Z';
    Replay badSize = TwoCars({{{car, empty}}});
    badSize.frames[0].recordSize = 12345;
    // Status 1 always means empty, so a car in slot 0 of base 0 with its flag
    // set is lost.
    Replay slotZero = TwoCars({{{Entry(1, 5, 5, 5, 5), Entry(2, 6, 0, 0, 0)}}});
    Replay slotZeroBack = TwoCars({{{empty, Entry(2, 6, 0, 0, 0)}}});
    slotZero.slotBase = slotZeroBack.slotBase = 0;
    const struct {
        const char* what;
        Replay broken, canonical;
        bool canonicalFollows;
    } cases[] = {
        // The flag bits stay with the positions, not with the cars.
        {"descending frame",
         TwoCars({{{Entry(2, 300, 1, 2, 3), Entry(5, 200, 4, 5, 6)}},
                  {{Entry(2, 310, 1, 2, 3), Entry(5, 210, 4, 5, 6)}}}),
         TwoCars({{{Entry(2, 300, 1, 2, 3), Entry(5, 200, 4, 5, 6)}},
                  {{Entry(4, 210, 4, 5, 6), Entry(3, 310, 1, 2, 3)}}}),
         true},
        {"empty position bytes", TwoCars({{{car, Entry(1, 9, 9, 9, 9)}}}),
         TwoCars({{{car, empty}}}), true},
        {"empty before a car, order rebuilt",
         TwoCars({{{car, Entry(4, 2, 0, 0, 0)}}, {{empty, Entry(4, 3, 0, 0, 0)}}}),
         TwoCars({{{car, Entry(4, 2, 0, 0, 0)}}, {{Entry(5, 3, 0, 0, 0), empty}}}), true},
        {"record size", badSize, TwoCars({{{car, empty}}}), true},
        {"bytes after a name's terminator", junkName, names, true},
        {"entries after the first empty one", laterEntry, names, true},
        {"repeated slot keeps its last values",
         TwoCars({{{Entry(2, 5, 0, 0, 0), Entry(2, 6, 1, 1, 1)}}}),
         TwoCars({{{Entry(2, 6, 1, 1, 1), Entry(2, 6, 1, 1, 1)}}}), false},
        {"repeated slot written once when the order is rebuilt",
         TwoCars({{{Entry(2, 5, 0, 0, 0), Entry(4, 6, 0, 0, 0)}},
                  {{Entry(2, 7, 0, 0, 0), Entry(2, 8, 1, 1, 1)}}}),
         TwoCars({{{Entry(2, 5, 0, 0, 0), Entry(4, 6, 0, 0, 0)}}, {{Entry(2, 8, 1, 1, 1), empty}}}),
         true},
        {"slot 0 of base 0", slotZero, slotZeroBack, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes brokenBytes = ReplayBytes(c.broken);
        const Bytes canonicalBytes = ReplayBytes(c.canonical);
        EXPECT_FALSE(FollowsModel(brokenBytes));
        EXPECT_EQ(FollowsModel(canonicalBytes), c.canonicalFollows);
        const CodecRun back = RoundTrip(brokenBytes);
        ASSERT_EQ(back.result, LRX_OK);
        EXPECT_EQ(back.output, canonicalBytes);
    }
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
    // Out of slot order, but on one key: the frame keeps its order.
    replay.frames[2].entries[0] = Entry(4, 1, 0, 0, 0);
    EXPECT_TRUE(check(replay).FollowsModel());

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
