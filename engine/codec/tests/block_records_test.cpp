#include <gtest/gtest.h>

#include <array>
#include <random>

#include "bit_reader.h"
#include "bit_writer.h"
#include "block_records.h"
#include "codec_test_support.h"

namespace lrx::codec::test {
namespace {

using PutFn = bool (*)(const unsigned char*, BitWriter&);
using GetFn = bool (*)(CheckedBitReader&, unsigned char*);

struct Coded {
    Bytes bytes;
    int64_t bits = 0;
};

Coded Code(PutFn put, const std::vector<Bytes>& records) {
    Coded coded;
    VectorSink sink(coded.bytes);
    ByteWriter out;
    out.Attach(&sink);
    BitWriter writer(out);
    for (const Bytes& r : records) {
        EXPECT_TRUE(writer.Reserve(64));
        EXPECT_TRUE(put(r.data(), writer));
    }
    coded.bits = writer.bytesWritten() * 8 + writer.pendingBits();
    EXPECT_TRUE(writer.Finish() && out.Drain());
    return coded;
}

std::vector<Bytes> Decoded(GetFn get, const Bytes& stream, std::size_t count, std::size_t size) {
    MemorySource source(stream.data(), stream.size());
    ByteReader in;
    in.Attach(&source);
    CheckedBitReader reader(in, 0);
    std::vector<Bytes> records;
    for (std::size_t i = 0; i < count; ++i) {
        Bytes r(size, 0xEE);  // every byte must be set by the decoder
        if (!get(reader, r.data())) break;
        records.push_back(r);
    }
    return records;
}

Bytes A1(uint8_t b0, uint16_t n3, uint32_t n7, uint16_t n11, uint8_t b13) {
    Bytes r{b0, 0xAB, 0xCD};
    lrx::test::AppendU16(r, n3);
    r.push_back(0x01);
    r.push_back(0x02);
    lrx::test::AppendU32(r, n7);
    lrx::test::AppendU16(r, n11);
    r.push_back(b13);
    return r;
}

Bytes A2(uint8_t b0, uint8_t b3, uint16_t n4, uint8_t b6) {
    Bytes r{b0, 0x11, 0x22, b3};
    lrx::test::AppendU16(r, n4);
    r.push_back(b6);
    return r;
}

// One record of each kind bit for bit (the format is shared between
// players), then the code size at each boundary of each field's codes.
TEST(BlockRecords, CodesAsWrittenAndSizesAtEveryBoundary) {
    EXPECT_EQ(Code(PutA1Record, {A1(2, 1023, 200, 3000, 255)}).bytes,
              PackBits("10" + Bits(0xAB, 8) + Bits(0xCD, 8) + "0" + Bits(1023, 10) + Bits(1, 8) +
                       Bits(2, 8) + "10" + Bits(200, 8) + "1" + Bits(3000, 16) + "10"));
    EXPECT_EQ(Code(PutA2Record, {A2(5, 1, 2047, 127)}).bytes,
              PackBits("1110" + Bits(0x11, 8) + Bits(0x22, 8) + "10" + "0" + Bits(2047, 11) + "0"));
    EXPECT_EQ(Code(PutA3Record, {{2, 31, 32, 0, 0, 7, 0, 1, 2, 3, 4, 5, 6}}).bytes,
              PackBits("0 11" + Bits(31, 6) + "1" + Bits(32, 8) + Bits(0, 6) + "0" + "1" +
                       Bits(7, 8) + "0" + Bits(0x010203, 24) + Bits(0x040506, 24)));
    EXPECT_EQ(Code(PutA3Record, {{3, 0, 0, 0, 0, 0, 0, 0, 9, 9, 9, 9, 0}}).bytes,
              PackBits("1" + Bits(3, 8) + Bits(0, 48) + "0" + Bits(0x09090909, 32) + "0"));
    const struct {
        PutFn put;
        Bytes record;
        int64_t bits;
    } cases[] = {
        {PutA1Record, A1(1, 0, 0, 0, 0), 58},  // the shortest code
        {PutA1Record, A1(2, 0, 0, 0, 0), 59},
        {PutA1Record, A1(0, 0, 0, 0, 0), 67},  // 0 has no short code
        {PutA1Record, A1(1, 1024, 0, 0, 0), 64},
        {PutA1Record, A1(1, 0, 255, 0, 0), 67},
        {PutA1Record, A1(1, 0, 256, 0, 0), 91},
        {PutA1Record, A1(1, 0, 0, 2047, 0), 58},
        {PutA1Record, A1(1, 0, 0, 2048, 0), 63},
        {PutA1Record, A1(1, 0, 0, 0, 254), 67},
        {PutA1Record, A1(0, 65535, 0xFFFFFFFF, 65535, 1), 120},  // the longest
        {PutA2Record, A2(1, 0, 0, 127), 32},
        {PutA2Record, A2(2, 0, 0, 127), 33},
        {PutA2Record, A2(5, 0, 0, 127), 34},
        {PutA2Record, A2(6, 0, 0, 127), 42},
        {PutA2Record, A2(0, 2, 0, 127), 41},
        {PutA2Record, A2(0, 0, 2048, 127), 37},
        {PutA2Record, A2(0, 0, 0, 0), 40},
        {PutA2Record, A2(255, 255, 65535, 128), 64},
        {PutA3Record, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 71},
        {PutA3Record, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 72},
        {PutA3Record, {2, 255, 255, 255, 1, 1, 1, 0, 0, 0, 0, 0, 0}, 105},
        {PutA3Record, {255, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 107},
    };
    for (const auto& c : cases) EXPECT_EQ(Code(c.put, {c.record}).bits, c.bits);
}

// Bytes drawn mostly from each code's boundaries.
Bytes RandomRecord(std::mt19937& random, std::size_t size) {
    static const uint8_t kInteresting[] = {0, 1, 2, 3, 4, 5, 6, 7, 31, 32, 126, 127, 128, 254, 255};
    Bytes r(size);
    for (auto& byte : r) {
        byte = random() % 2 ? kInteresting[random() % sizeof kInteresting]
                            : static_cast<uint8_t>(random());
    }
    return r;
}

TEST(BlockRecords, EveryRecordDecodesToItsOwnBytes) {
    std::mt19937 random(7);
    const struct {
        PutFn put;
        GetFn get;
        std::size_t size;
    } kinds[] = {{PutA1Record, GetA1Record, 14},
                 {PutA2Record, GetA2Record, 7},
                 {PutA3Record, GetA3Record, 13}};
    for (const auto& kind : kinds) {
        std::vector<Bytes> records;
        for (int i = 0; i < 3000; ++i) records.push_back(RandomRecord(random, kind.size));
        const Coded coded = Code(kind.put, records);
        EXPECT_EQ(Decoded(kind.get, coded.bytes, records.size(), kind.size), records)
            << "record size " << kind.size;
    }
}

TEST(BlockRecords, AStreamThatEndsInsideARecordFails) {
    const Bytes record = A1(0, 65535, 0xFFFFFFFF, 65535, 1);  // 120 bits: ends in the fourth word
    Bytes stream = Code(PutA1Record, {record}).bytes;
    ASSERT_EQ(stream.size(), 16u);
    stream.resize(12);
    EXPECT_TRUE(Decoded(GetA1Record, stream, 1, 14).empty());
}

}  // namespace
}  // namespace lrx::codec::test
