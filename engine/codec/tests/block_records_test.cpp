#include <gtest/gtest.h>

#include <array>
#include <random>

#include "bit_stream.h"
#include "block_records.h"
#include "codec_test_support.h"
#include "file_stream.h"

namespace lrx::codec::test {
namespace {

using PutFn = bool (*)(const unsigned char*, BitWriter&);
using GetFn = bool (*)(BitReader&, unsigned char*);

struct Coded {
    Bytes bytes;
    int64_t bits = 0;
};

Coded Code(PutFn put, const std::vector<Bytes>& records) {
    lrx::test::ScratchDir dir;
    Coded coded;
    {
        FileStream file((dir / "records").c_str(), "wb");
        ByteWriter out;
        out.Attach(file.get());
        BitStream bits;
        BitWriter writer(bits, out);
        for (const Bytes& r : records) EXPECT_TRUE(put(r.data(), writer));
        coded.bits = bits.bytesWritten * 8 + bits.bitCount();
        EXPECT_TRUE(bits.Flush(out) && out.Drain());
    }
    coded.bytes = lrx::test::ReadFile(dir / "records");
    return coded;
}

std::vector<Bytes> Decoded(GetFn get, const Bytes& stream, std::size_t count, std::size_t size) {
    lrx::test::ScratchDir dir;
    lrx::test::WriteFile(dir / "records", stream);
    FileStream file((dir / "records").c_str(), "rb");
    ByteReader in;
    in.Attach(file.get());
    BitStream bits;
    BitReader reader(bits, in);
    std::vector<Bytes> records;
    for (std::size_t i = 0; i < count; ++i) {
        Bytes r(size, 0xEE);  // every byte must be set by the decoder
        if (!get(reader, r.data())) break;
        records.push_back(r);
    }
    return records;
}

int64_t CodeBits(PutFn put, const Bytes& record) {
    return Code(put, {record}).bits;
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

TEST(BlockRecords, A1CodesAsWritten) {
    const Bytes record = A1(2, 1023, 200, 3000, 255);
    const std::string bits = "10" + Bits(0xAB, 8) + Bits(0xCD, 8) + "0" + Bits(1023, 10) +
                             Bits(1, 8) + Bits(2, 8) + "10" + Bits(200, 8) + "1" + Bits(3000, 16) +
                             "10";
    EXPECT_EQ(Code(PutA1Record, {record}).bytes, PackBits(bits));
}

TEST(BlockRecords, A1CodeSizesAtEveryBoundary) {
    const struct {
        Bytes record;
        int64_t bits;
    } cases[] = {
        {A1(1, 0, 0, 0, 0), 58},                              // the shortest code
        {A1(2, 0, 0, 0, 0), 59},    {A1(0, 0, 0, 0, 0), 67},  // 0 has no short code
        {A1(1, 1023, 0, 0, 0), 58}, {A1(1, 1024, 0, 0, 0), 64},
        {A1(1, 0, 1, 0, 0), 67},    {A1(1, 0, 255, 0, 0), 67},
        {A1(1, 0, 256, 0, 0), 91},  {A1(1, 0, 0, 2047, 0), 58},
        {A1(1, 0, 0, 2048, 0), 63}, {A1(1, 0, 0, 0, 255), 59},
        {A1(1, 0, 0, 0, 254), 67},  {A1(0, 65535, 0xFFFFFFFF, 65535, 1), 120},  // the longest
    };
    for (const auto& c : cases) EXPECT_EQ(CodeBits(PutA1Record, c.record), c.bits);
}

TEST(BlockRecords, A2CodesAsWritten) {
    EXPECT_EQ(Code(PutA2Record, {A2(5, 1, 2047, 127)}).bytes,
              PackBits("1110" + Bits(0x11, 8) + Bits(0x22, 8) + "10" + "0" + Bits(2047, 11) + "0"));
    const int firstByteBits[8] = {2, 2, 3, 3, 3, 4, 12, 12};
    for (uint8_t b0 = 0; b0 < 8; ++b0) {
        EXPECT_EQ(CodeBits(PutA2Record, A2(b0, 0, 0, 127)), 30 + firstByteBits[b0]) << int{b0};
    }
    EXPECT_EQ(CodeBits(PutA2Record, A2(0, 2, 0, 127)), 41);
    EXPECT_EQ(CodeBits(PutA2Record, A2(0, 0, 2048, 127)), 37);
    EXPECT_EQ(CodeBits(PutA2Record, A2(0, 0, 0, 0)), 40);
    EXPECT_EQ(CodeBits(PutA2Record, A2(255, 255, 65535, 128)), 64);
}

TEST(BlockRecords, A3TakesTheCompactFormOnlyForAFirstByteUpToTwo) {
    const Bytes compact{2, 31, 32, 0, 0, 7, 0, 1, 2, 3, 4, 5, 6};
    EXPECT_EQ(Code(PutA3Record, {compact}).bytes,
              PackBits("0 11" + Bits(31, 6) + "1" + Bits(32, 8) + Bits(0, 6) + "0" + "1" +
                       Bits(7, 8) + "0" + Bits(0x010203, 24) + Bits(0x040506, 24)));
    const Bytes full{3, 0, 0, 0, 0, 0, 0, 0, 9, 9, 9, 9, 0};
    EXPECT_EQ(Code(PutA3Record, {full}).bytes,
              PackBits("1" + Bits(3, 8) + Bits(0, 48) + "0" + Bits(0x09090909, 32) + "0"));

    EXPECT_EQ(CodeBits(PutA3Record, Bytes{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 71);
    EXPECT_EQ(CodeBits(PutA3Record, Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 72);
    EXPECT_EQ(CodeBits(PutA3Record, Bytes{2, 255, 255, 255, 1, 1, 1, 0, 0, 0, 0, 0, 0}), 105);
    EXPECT_EQ(CodeBits(PutA3Record, Bytes{3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 91);
    EXPECT_EQ(CodeBits(PutA3Record, Bytes{255, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}), 107);
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
