// Replays the stream cannot carry, or could not give back whole, are refused
// with the reading code of the section they break, before a wrong entry is
// written.
#include <gtest/gtest.h>

#include "byte_source.h"
#include "codec.h"
#include "codec_test_support.h"
#include "file_stream.h"
#include "lrxpack.h"
#include "replay_generator.h"

namespace lrx::codec::test {
namespace {

// One frame of two cars with a record in each block.
Replay OneFullFrame() {
    Replay replay;
    replay.slotCount = 2;
    Frame frame({Entry(2, 10, 0, 0, 0), Entry(4, 20, 0, 0, 0)});
    frame.a1 = {Bytes(14, 1)};
    frame.a2 = {Bytes(7, 2)};
    frame.a3 = {Bytes(13, 3)};
    replay.frames = {frame};
    return replay;
}

int EncodeResult(const Bytes& replay) {
    return Encode(replay).result;
}

TEST(EncoderRefusals, BytesAfterTheLastFrameCannotComeBack) {
    Bytes bytes = ReplayBytes(OneFullFrame());
    bytes.push_back(0);
    EXPECT_EQ(EncodeResult(bytes), LRX_READING_POSITION_DATA);
    EXPECT_FALSE(FollowsModel(bytes));

    // positionSize covering fewer frames than the file holds.
    Replay replay = OneFullFrame();
    replay.frames.push_back(replay.frames[0]);
    replay.positionSize = static_cast<int64_t>(FrameBytes(replay.frames[0]).size());
    EXPECT_EQ(EncodeResult(ReplayBytes(replay)), LRX_READING_POSITION_DATA);

    // No position data at all, but bytes after the header.
    replay = OneFullFrame();
    replay.positionSize = 0;
    EXPECT_EQ(EncodeResult(ReplayBytes(replay)), LRX_READING_POSITION_DATA);
}

TEST(EncoderRefusals, AReplayEndingInsideASectionGetsThatSectionsCode) {
    const Bytes whole = ReplayBytes(OneFullFrame());
    const std::size_t frameStart = 16 + 2954;
    const struct {
        std::size_t length;
        int code;
    } cuts[] = {
        {0, LRX_READING_HEADER},
        {15, LRX_READING_HEADER},
        {frameStart - 1, LRX_READING_HEADER},
        {frameStart, LRX_READING_POSITION_DATA},
        {frameStart + 17, LRX_READING_POSITION_DATA},
        {frameStart + 18, LRX_READING_A1},       // no A1 count
        {frameStart + 18 + 14, LRX_READING_A1},  // record cut short
        {frameStart + 18 + 15, LRX_READING_A2},  // no A2 count
        {frameStart + 18 + 15 + 7, LRX_READING_A2},
        {frameStart + 18 + 15 + 8, LRX_READING_A3},
        {frameStart + 18 + 15 + 8 + 13, LRX_READING_A3},
        {frameStart + 18 + 15 + 8 + 14, LRX_READING_RECORD_SIZE},
        {whole.size() - 1, LRX_READING_RECORD_SIZE},
    };
    for (const auto& cut : cuts) {
        EXPECT_EQ(EncodeResult(Bytes(whole.begin(), whole.begin() + static_cast<long>(cut.length))),
                  cut.code)
            << "cut at " << cut.length;
    }
}

TEST(EncoderRefusals, HeadersTheStreamCannotCarry) {
    Replay replay = OneFullFrame();
    replay.headerSize = 1351;
    EXPECT_EQ(EncodeResult(ReplayBytes(replay)), LRX_READING_HEADER);

    // A header size far beyond the file: refused before any memory is taken.
    Bytes bytes = ReplayBytes(OneFullFrame());
    bytes[3] = 0x7F;
    EXPECT_EQ(EncodeResult(bytes), LRX_READING_HEADER);

    replay = OneFullFrame();
    replay.slotCount = 64;
    EXPECT_EQ(EncodeResult(ReplayBytes(replay)), LRX_READING_HEADER);

    replay = OneFullFrame();
    replay.driverList = Bytes(33, 'n');  // 32 characters, no terminator
    replay.driverList[32] = 0;
    EXPECT_EQ(EncodeResult(ReplayBytes(replay)), LRX_READING_HEADER);

    replay.driverList = Bytes(33, 0);
    replay.driverList[32] = 127;  // driver byte + 1 does not fit 7 bits
    EXPECT_EQ(EncodeResult(ReplayBytes(replay)), LRX_READING_HEADER);
    replay.driverList[32] = 126;
    EXPECT_EQ(EncodeResult(ReplayBytes(replay)), LRX_OK);

    // Past the first empty entry nothing is carried, so nothing is refused.
    replay.driverList = Bytes(66, 0);
    replay.driverList[33 + 32] = 200;
    EXPECT_EQ(EncodeResult(ReplayBytes(replay)), LRX_OK);
}

TEST(EncoderRefusals, StatusesNamingASlotOutsideTheTable) {
    for (const uint8_t status : {0, 6, 7, 127, 128, 200, 255}) {  // N = 2, slot base 1
        Replay replay = OneFullFrame();
        replay.frames[0].entries[1][0] = status;
        EXPECT_EQ(EncodeResult(ReplayBytes(replay)), LRX_READING_POSITION_DATA) << int{status};
    }
    // With slot base 0, status 0 names slot 0 and 4 and 5 name slot 2 (outside).
    Replay replay = OneFullFrame();
    replay.slotBase = 0;
    replay.frames[0].entries = {Entry(0, 10, 0, 0, 0), Entry(2, 20, 0, 0, 0)};
    EXPECT_EQ(EncodeResult(ReplayBytes(replay)), LRX_OK);
    replay.frames[0].entries[1][0] = 4;
    EXPECT_EQ(EncodeResult(ReplayBytes(replay)), LRX_READING_POSITION_DATA);
    // A later frame is checked as well as the first.
    replay = OneFullFrame();
    replay.frames.push_back(replay.frames[0]);
    replay.frames[1].entries[0][0] = 9;
    EXPECT_EQ(EncodeResult(ReplayBytes(replay)), LRX_READING_POSITION_DATA);
}

TEST(EncoderRefusals, WriteFailuresAreReported) {
    // The archive stream cannot be written: the failure surfaces when the
    // header's words are handed to it.
    lrx::test::ScratchDir dir;
    lrx::test::WriteFile(dir / "in.rpl", ReplayBytes(OneFullFrame()));
    lrx::test::WriteFile(dir / "archive", {});
    FileStream in((dir / "in.rpl").c_str(), "rb");
    FileStream readOnly((dir / "archive").c_str(), "rb");
    CodecContext ctx;
    int64_t packedSize = 0;
    ProgressSink none;
    EXPECT_EQ(EncodeReplay(ctx, in.get(), readOnly.get(), none, packedSize), LRX_WRITING_HEADER);

    // A context keeps nothing of a failed write for its next run, either way.
    const Bytes replay = ReplayBytes(OneFullFrame());
    MemorySource source(replay.data(), replay.size());
    Bytes packed;
    VectorSink packedSink(packed);
    ASSERT_EQ(EncodeReplay(ctx, source, packedSink, none, packedSize), LRX_OK);
    struct Refusing final : ByteSink {
        bool Write(const unsigned char*, std::size_t) override { return false; }
    } refusing;
    const auto rawSize = static_cast<int32_t>(replay.size());
    MemorySource first(packed.data(), packed.size());
    EXPECT_EQ(DecodeReplay(ctx, first, refusing, rawSize, none), LRX_WRITING_HEADER);
    MemorySource second(packed.data(), packed.size());
    Bytes back;
    VectorSink backSink(back);
    EXPECT_EQ(DecodeReplay(ctx, second, backSink, rawSize, none), LRX_OK);
    EXPECT_EQ(back, replay);

    // Memory of the sink's own, decoded into in place: a byte short, the
    // last write fails and nothing lands past its end.
    const struct {
        std::size_t room;
        int code;
    } shortRooms[] = {{replay.size() - 1, LRX_WRITING_POSITION_DATA}, {2969, LRX_WRITING_HEADER}};
    for (const auto& c : shortRooms) {
        Bytes room(c.room);
        SpanSink span(room);
        MemorySource again(packed.data(), packed.size());
        EXPECT_EQ(DecodeReplay(ctx, again, span, rawSize, none), c.code) << c.room;
    }
}

}  // namespace
}  // namespace lrx::codec::test
