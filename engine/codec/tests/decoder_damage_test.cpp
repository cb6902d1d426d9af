// Packed data that was cut short or damaged: the decoder ends with a result
// code, writes no more than the entry's length, and never reads or writes
// outside its buffers (this suite also runs under the sanitizers; random
// damage is the decode fuzzer's, whose corpus the suite replays).
#include <gtest/gtest.h>

#include <random>

#include "codec_test_support.h"
#include "lrxpack.h"
#include "replay_generator.h"

namespace lrx::codec::test {
namespace {

bool IsDecoderReadingCode(int code) {
    return code == LRX_READING_HEADER || code == LRX_READING_DRIVER_LIST ||
           code == LRX_READING_POSITION_DATA || code == LRX_READING_A1 || code == LRX_READING_A2 ||
           code == LRX_READING_A3;
}

Bytes SmallEdgeReplay(uint64_t seed) {
    return replaygen::GenerateReplay({replaygen::Profile::Edge, seed, 3, 12});
}

TEST(DecoderDamage, EveryCutEndsWithTheReadingCodeOfItsSection) {
    const Bytes replay = SmallEdgeReplay(2);
    const Bytes packed = Encode(replay).output;
    ASSERT_FALSE(packed.empty());
    for (std::size_t length = 0; length < packed.size(); length += 4) {
        const CodecRun run =
            Decode(Bytes(packed.begin(), packed.begin() + static_cast<long>(length)),
                   static_cast<int32_t>(replay.size()));
        EXPECT_TRUE(IsDecoderReadingCode(run.result)) << "cut at " << length << ": " << run.result;
        // What was written is the start of the replay.
        ASSERT_LE(run.output.size(), replay.size());
        EXPECT_TRUE(std::equal(run.output.begin(), run.output.end(), replay.begin()));
    }
}

TEST(DecoderDamage, FlippedBitsNeverOverrunTheEntry) {
    std::mt19937 random(11);
    for (uint64_t seed = 0; seed < 9; ++seed) {
        // The last is long enough for frames to be read from a fully buffered
        // stream, where the reads are not tested one by one.
        const Bytes replay =
            seed < 8 ? SmallEdgeReplay(seed)
                     : replaygen::GenerateReplay({replaygen::Profile::Edge, seed, 63, 300});
        const Bytes packed = Encode(replay).output;
        for (int trial = 0; trial < 40; ++trial) {
            Bytes damaged = packed;
            for (int flips = 1 + trial % 3; flips > 0; --flips) {
                damaged[random() % damaged.size()] ^=
                    static_cast<unsigned char>(1u << (random() % 8));
            }
            const CodecRun run = Decode(damaged, static_cast<int32_t>(replay.size()));
            EXPECT_TRUE(run.result == LRX_OK || IsDecoderReadingCode(run.result)) << run.result;
            EXPECT_LE(run.output.size(), replay.size());
            if (run.result == LRX_OK) {
                EXPECT_EQ(run.output.size(), replay.size());
            }
        }
    }
}

TEST(DecoderDamage, ZerosForAHugeEntryStopAtTheEndOfTheStream) {
    // All-zero bits decode as empty frames of 7 bytes each; the decoder must
    // stop when the stream ends, not when 1 GiB has been written.
    const CodecRun run = Decode(Bytes(4096, 0), 1 << 30);
    EXPECT_TRUE(IsDecoderReadingCode(run.result));
    EXPECT_LT(run.output.size(), 200000u);
}

// A header section with the given size and slot count, nothing after it.
std::string HeaderWithSize(uint32_t headerSize, uint32_t slotCount) {
    return "1" + Bits(headerSize, 32) + Bits(0, 32) + Bits(0, 32) + Bits(slotCount, 6);
}

TEST(DecoderDamage, ImpossibleHeaderSizesAreRefusedBeforeAllocating) {
    for (const uint32_t size : {0u, 1351u, 16u * 1024 * 1024 + 1, 0xFFFFFFFFu}) {
        const CodecRun run =
            Decode(PackBits(HeaderWithSize(size, 1) + std::string(64, '0')), 1 << 30);
        EXPECT_EQ(run.result, LRX_READING_HEADER) << size;
        EXPECT_TRUE(run.output.empty());
    }
    // A header larger than the entry itself cannot be right either.
    const CodecRun run = Decode(PackBits(HeaderWithSize(5000, 1)), 16 + 4999);
    EXPECT_EQ(run.result, LRX_READING_HEADER);
}

TEST(DecoderDamage, AStatusNamingASlotOutsideTheTable) {
    // One car, slot base 1: statuses 2 and 3 name slot 0; 0, 4 and 127 name none.
    for (const uint32_t status : {0u, 4u, 127u}) {
        std::string bits = "0" + Bits(0, 32) + Bits(0, 32) + Bits(1, 6) + Bits(0, 256) + "0000000" +
                           std::string(400, '0') + Bits(0, 16);
        bits +=
            "0 0" + Bits(5, 24) + Bits(0, 16) + Bits(0, 16) + Bits(0, 8) + Bits(status, 7) + "000";
        const CodecRun run = Decode(PackBits(bits), 16 + 2954 + 9 + 7);
        EXPECT_EQ(run.result, LRX_READING_POSITION_DATA) << status;
    }
}

}  // namespace
}  // namespace lrx::codec::test
