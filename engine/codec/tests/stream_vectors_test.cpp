// Replays whose packed stream is written out bit by bit: the format is shared
// between players, so these pin every field of it.
#include <gtest/gtest.h>

#include "codec_test_support.h"
#include "lrxpack.h"

namespace lrx::codec::test {
namespace {

// The header section of a replay made by ReplayBytes with no drivers.
std::string HeaderBits(const Replay& replay, uint32_t positionSize) {
    const uint32_t h = replay.headerSize;
    std::string bits = h == 2954 ? "0" : "1" + Bits(h, 32);
    bits += Bits(positionSize, 32) + Bits(replay.preambleWord, 32) + Bits(replay.slotCount, 6);
    for (int i = 0; i < 32; ++i) bits += Bits(i == 4 && replay.slotBase == 0 ? 5 : 0, 8);
    bits += "0000000";                         // empty driver list
    bits += std::string((h - 1352) / 4, '0');  // zero header words
    for (uint32_t t = 0; t < (h - 1352) % 4; ++t) bits += Bits(0, 8);
    return bits;
}

uint32_t PositionSize(const Replay& replay) {
    uint32_t size = 0;
    for (const Frame& f : replay.frames) size += static_cast<uint32_t>(FrameBytes(f).size());
    return size;
}

// Packs the replay, checks the stream against the expected frame bits, and
// checks that it unpacks to the same bytes.
void ExpectStream(const Replay& replay, const std::string& frameBits) {
    const Bytes bytes = ReplayBytes(replay);
    const CodecRun packed = Encode(bytes);
    ASSERT_EQ(packed.result, LRX_OK);
    EXPECT_EQ(packed.output, PackBits(HeaderBits(replay, PositionSize(replay)) + frameBits));
    const CodecRun unpacked = Decode(packed.output, static_cast<int32_t>(bytes.size()));
    ASSERT_EQ(unpacked.result, LRX_OK);
    EXPECT_EQ(unpacked.output, bytes);
}

std::string RawCar(uint32_t key, int16_t b, uint16_t c, uint8_t d) {
    return Bits(key, 24) + Bits(static_cast<uint16_t>(b), 16) + Bits(c, 16) + Bits(d, 8);
}

TEST(StreamVectors, TwoFramesOfTwoCars) {
    Replay replay;
    replay.slotCount = 2;
    replay.preambleWord = 0xCAFEF00D;
    replay.frames = {{{Entry(2, 1000, -5, 300, 7), Entry(4, 2000, 10, 400, 8)}},
                     {{Entry(2, 1010, -4, 301, 7), Entry(4, 2020, 10, 330, 9)}}};
    const std::string first = "00 0" + RawCar(1000, -5, 300, 7) + RawCar(2000, 10, 400, 8) +
                              Bits(2, 7) + Bits(4, 7) + "000";
    const std::string second = "00 0" +  // flags, presence
                               Bits(1010, 24) + Bits(0xFFFC, 16) + "0" + Bits(1, 7) + "0" +
                               Bits(2020, 24) + Bits(10, 16) + "1" + Bits(0xFFBA, 16) + "10 0" +
                               "000";  // no statuses
    ExpectStream(replay, first + second);

    // A stream whose positionSize covers the first frame alone: the second
    // comes back as bytes after the last frame, which the model refuses.
    Replay shorter = replay;
    shorter.positionSize = static_cast<int64_t>(FrameBytes(replay.frames[0]).size());
    const Bytes shorterBytes = ReplayBytes(shorter);
    const CodecRun unpacked = Decode(
        PackBits(HeaderBits(replay, static_cast<uint32_t>(shorter.positionSize)) + first + second),
        static_cast<int32_t>(shorterBytes.size()));
    ASSERT_EQ(unpacked.result, LRX_OK);  // not -5: the check on the way agrees
    EXPECT_EQ(unpacked.output, shorterBytes);
    EXPECT_EQ(CheckModel(shorterBytes).refusal, LRX_READING_POSITION_DATA);
}

TEST(StreamVectors, QuadraticPredictionFromTheFourthFrame) {
    // Car 0 passes 985, 990, 1000 and then 1017 (prediction 1015, residual 2);
    // car 1 ends 5000 higher but at 6013 (residual -2).
    Replay replay;
    replay.slotCount = 2;
    const uint32_t keys[4] = {985, 990, 1000, 1017};
    for (int f = 0; f < 4; ++f) {
        const uint32_t other = f == 3 ? 6013 : keys[f] + 5000;
        replay.frames.push_back({{Entry(2, keys[f], 0, 0, 0), Entry(4, other, 0, 0, 0)}});
    }
    std::string bits =
        "000" + RawCar(985, 0, 0, 0) + RawCar(5985, 0, 0, 0) + Bits(2, 7) + Bits(4, 7) + "000";
    for (uint32_t key : {990u, 1000u}) {
        const std::string still = Bits(0, 16) + "0" + Bits(0, 7) + "0";  // b raw; c, d unchanged
        bits += "000" + Bits(key, 24) + still + Bits(key + 5000, 24) + still + "000";
    }
    const std::string unchanged = "0 0" + Bits(0, 7) + "0";  // b, c, d
    bits += "000 1100" + unchanged + "1101" + unchanged + "000";
    ExpectStream(replay, bits);
}

TEST(StreamVectors, ResidualCodesUpToTheEscape) {
    // A car standing still from frame 1 on has a prediction equal to its key;
    // each later frame moves it by a residual from 0 to -5 and back.
    Replay replay;
    replay.slotCount = 1;
    const int32_t residuals[] = {0, 1, -1, 2, -2, 3, -3, 4, -4};
    uint32_t hist[3] = {500, 500, 500};
    for (int f = 0; f < 3; ++f) replay.frames.push_back({{Entry(2, 500, 0, 0, 0)}});
    std::string bits = "0 0" + RawCar(500, 0, 0, 0) + Bits(2, 7) + "000";
    for (int f = 1; f < 3; ++f)
        bits += "0 0" + Bits(500, 24) + Bits(0, 16) + "0" + Bits(0, 7) + "0 000";
    const char* codes[] = {"0", "100", "101", "1100", "1101", "11100", "11101"};
    for (std::size_t i = 0; i < std::size(residuals); ++i) {
        const uint32_t prediction = 3 * hist[0] - 3 * hist[1] + hist[2];
        const uint32_t key = prediction + static_cast<uint32_t>(residuals[i]);
        replay.frames.push_back({{Entry(2, key, 0, 0, 0)}});
        const std::string code = i < std::size(codes)
                                     ? codes[i]
                                     : "1111" + Bits(static_cast<uint32_t>(residuals[i]), 24);
        bits += "0 0" + code + "0 0" + Bits(0, 7) + "0 000";
        hist[2] = hist[1];
        hist[1] = hist[0];
        hist[0] = key;
    }
    ExpectStream(replay, bits);
}

TEST(StreamVectors, ValueCWrapsFrom65535ToZeroAsAWideDifference) {
    Replay replay;
    replay.slotCount = 1;
    replay.frames = {{{Entry(2, 7, 0, 65535, 0)}},
                     {{Entry(2, 7, 0, 0, 0)}},
                     {{Entry(2, 7, 0, 63, 1)}},
                     {{Entry(2, 7, 0, 127, 3)}}};
    std::string bits = "00" + RawCar(7, 0, 65535, 0) + Bits(2, 7) + "000";
    bits += "00" + Bits(7, 24) + Bits(0, 16) + "1" + Bits(0x0001, 16) + "0 000";
    bits += "00" + Bits(7, 24) + Bits(0, 16) + "0" + Bits(63, 7) + "100 000";
    bits += "00 0 0 1" + Bits(64, 16) + "11" + Bits(2, 8) + "000";
    ExpectStream(replay, bits);
}

TEST(StreamVectors, TiedKeysCarryTheStatusesAndEmptyFramesOnlyFlags) {
    Replay replay;
    replay.slotCount = 2;
    replay.frames = {{{Entry(4, 100, 0, 0, 0), Entry(3, 50, 0, 0, 0)}},  // first: any order
                     {{Entry(5, 60, 0, 0, 0), Entry(2, 60, 0, 0, 0)}},   // tie: any order
                     {{Entry(2, 70, 0, 0, 0), Entry(4, 80, 0, 0, 0)}},   // sorted again
                     {{EmptyEntry(), EmptyEntry()}}};
    const std::string same = "0" + Bits(0, 7) + "0";  // c and d unchanged
    std::string bits =
        "01 0" + RawCar(50, 0, 0, 0) + RawCar(100, 0, 0, 0) + Bits(4, 7) + Bits(3, 7) + "000";
    bits += "10 0" + Bits(60, 24) + Bits(0, 16) + same + Bits(60, 24) + Bits(0, 16) + same +
            Bits(5, 7) + Bits(2, 7) + "000";
    bits += "00 0" + Bits(70, 24) + Bits(0, 16) + same + Bits(80, 24) + Bits(0, 16) + same + "000";
    bits += "11 1 11 000";
    ExpectStream(replay, bits);
}

TEST(StreamVectors, HeaderSizesAndDriverEntries) {
    Replay replay;
    replay.headerSize = 2955;
    replay.slotBase = 0;
    const std::string emptyFrame = "000";
    Bytes bytes = ReplayBytes(replay);
    bytes[16 + 32 + 32] = 5;  // first entry: empty name, driver byte 5
    std::string header = "1" + Bits(2955, 32) + Bits(0, 32) + Bits(0, 32) + Bits(0, 6);
    for (int i = 0; i < 32; ++i) header += Bits(i == 4 ? 5 : 0, 8);
    header += Bits(6, 7) + Bits(0, 5) + "0000000" + std::string(400, '0') + Bits(0, 24);
    const CodecRun packed = Encode(bytes);
    ASSERT_EQ(packed.result, LRX_OK);
    EXPECT_EQ(packed.output, PackBits(header));
    EXPECT_EQ(Decode(packed.output, static_cast<int32_t>(bytes.size())).output, bytes);
}

}  // namespace
}  // namespace lrx::codec::test
