#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "bit_reader.h"
#include "bit_writer.h"
#include "buffered_bytes.h"
#include "byte_source.h"
#include "codec_test_support.h"

namespace lrx::codec::test {
namespace {

// What a writer body puts out.
Bytes Written(const std::function<void(BitWriter&)>& body) {
    Bytes bytes;
    VectorSink sink(bytes);
    ByteWriter out;
    out.Attach(&sink);
    BitWriter bits(out);
    body(bits);
    EXPECT_TRUE(out.Drain());
    return bytes;
}

// A buffered reader over the given bytes for the body.
void Reading(const Bytes& bytes, const std::function<void(ByteReader&)>& body) {
    MemorySource source(bytes.data(), bytes.size());
    ByteReader in;
    in.Attach(&source);
    body(in);
}

// A field at a time, as the header is written.
void Put(BitWriter& bits, uint32_t value, int count) {
    ASSERT_TRUE(bits.Reserve(8));
    bits.Put(value, count);
}

TEST(BitStream, FillsWordsFromTheTopAndStoresThemLittleEndian) {
    const Bytes bytes = Written([](BitWriter& bits) {
        Put(bits, 1, 1);
        Put(bits, 5, 3);
        Put(bits, 0, 28);
        EXPECT_EQ(bits.pendingBits(), 0);
        EXPECT_TRUE(bits.Finish());  // nothing pending: adds nothing
        EXPECT_EQ(bits.bytesWritten(), 4);
    });
    EXPECT_EQ(bytes, (Bytes{0x00, 0x00, 0x00, 0xD0}));
    // A pending bit becomes a word of its own, completed with zeros.
    EXPECT_EQ(Written([](BitWriter& bits) {
                  Put(bits, 1, 1);
                  EXPECT_TRUE(bits.Finish());
                  EXPECT_EQ(bits.bytesWritten(), 4);
              }),
              (Bytes{0x00, 0x00, 0x00, 0x80}));
}

TEST(BitStream, EveryWidthAtEveryOffsetWithinAWord) {
    std::string expected;
    std::vector<std::pair<int, uint32_t>> fields;  // in the order written, fillers included
    const Bytes bytes = Written([&](BitWriter& bits) {
        uint32_t pattern = 0x9E3779B9u;
        for (int width = 1; width <= 32; ++width) {
            for (int offset = 0; offset < 32; ++offset) {
                const int filler = (offset - bits.pendingBits() + 32) % 32;
                if (filler > 0) {
                    fields.push_back({filler, 0x55555555u & LowBits(filler)});
                }
                pattern = pattern * 1664525u + 1013904223u;
                // Alternate all-ones fields with mixed ones, the hardest cases for masks.
                const uint32_t value = (offset % 3 == 0 ? 0xFFFFFFFFu : pattern) & LowBits(width);
                fields.push_back({width, value});
                for (std::size_t i = fields.size() - (filler > 0 ? 2 : 1); i < fields.size(); ++i) {
                    Put(bits, fields[i].second, fields[i].first);
                    expected += Bits(fields[i].second, fields[i].first);
                }
                ASSERT_EQ(bits.pendingBits(), (offset + width) % 32);
            }
        }
        ASSERT_TRUE(bits.Finish());
        EXPECT_EQ(bits.pendingBits(), 0);
        EXPECT_EQ(bits.bytesWritten(), static_cast<int64_t>((expected.size() + 31) / 32 * 4));
    });
    ASSERT_EQ(bytes, PackBits(expected));

    // Both readers give the fields back; the position handed from one to the
    // other carries on where the first stopped.
    Reading(bytes, [&](ByteReader& in) {
        unsigned offset = 0;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const auto& [width, value] = fields[i];
            uint32_t got = 0;
            if (i % 3 == 1 && in.Ensure(8)) {
                UncheckedBitReader bits(in, offset);
                bits.Get(got, width);
                offset = bits.Release();
            } else {
                CheckedBitReader bits(in, offset);
                ASSERT_TRUE(bits.Get(got, width));
                offset = bits.Release();
            }
            ASSERT_EQ(got, value) << "field " << i << ", width " << width;
        }
        EXPECT_EQ(in.Consumed() * 8 + offset, static_cast<int64_t>(expected.size()));
    });
}

// Reading across words is the every-width test's; here the end of the data.
TEST(BitStream, FailsPastTheEnd) {
    // A field that needs one bit more than the file holds.
    Reading(PackBits(Bits(0, 32)), [](ByteReader& in) {
        CheckedBitReader bits(in, 0);
        uint32_t v;
        ASSERT_TRUE(bits.Get(v, 30));
        EXPECT_FALSE(bits.Get(v, 3));
    });
    // Bytes that do not make up a whole word are not read.
    Reading(Bytes{1, 2, 3, 4, 5, 6}, [](ByteReader& in) {
        CheckedBitReader bits(in, 0);
        uint32_t v;
        ASSERT_TRUE(bits.Get(v, 32));
        EXPECT_EQ(v, 0x04030201u);
        EXPECT_FALSE(bits.Get(v, 1));
    });
}

TEST(BitStream, PeekReadsZerosPastTheEndButSkipStopsThere) {
    Reading(PackBits(Bits(0xFFFFFFFEu, 32)), [](ByteReader& in) {
        CheckedBitReader bits(in, 0);
        uint32_t v;
        ASSERT_TRUE(bits.Get(v, 29));
        EXPECT_EQ(bits.Peek(5), 0x18u);  // 110 and two bits that are not there
        EXPECT_EQ(bits.Ahead(), uint64_t{6} << 61);
        EXPECT_TRUE(bits.Skip(3));
        EXPECT_FALSE(bits.Skip(1));
    });
}

TEST(ByteReader, ReadsLentBytesInPlaceAndCopiesTheLastOnesAfterTheRest) {
    Bytes bytes(100);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i);
    MemorySource source(bytes.data(), bytes.size());
    ByteReader in;
    in.Attach(&source);
    // In place up to the bytes a load may reach past the end.
    EXPECT_EQ(in.data(), bytes.data());
    EXPECT_EQ(in.Buffered(), bytes.size() - ByteReader::kLoadSlack);
    EXPECT_EQ(in.Consumed(), 0);
    unsigned char lent[1];
    EXPECT_EQ(source.Read(lent, 1), 0u);  // lent bytes count as read

    in.Advance(60);
    ASSERT_TRUE(in.Ensure(30));
    EXPECT_NE(in.data(), bytes.data() + 60);
    ASSERT_EQ(in.Buffered(), 40u);
    EXPECT_EQ(Bytes(in.data(), in.data() + 40), Bytes(bytes.begin() + 60, bytes.end()));
    EXPECT_EQ(in.Consumed(), 60);
    EXPECT_FALSE(in.Ensure(41));
    EXPECT_EQ(in.Buffered(), 40u);

    Bytes rest(40);
    ASSERT_TRUE(in.CopyOut(rest.data(), rest.size()));
    EXPECT_EQ(rest, Bytes(bytes.begin() + 60, bytes.end()));
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(in.Consumed(), 100);

    // Too few to read in place: all are copied.
    MemorySource small(bytes.data(), ByteReader::kLoadSlack);
    in.Attach(&small);
    EXPECT_EQ(in.Buffered(), 0u);
    ASSERT_TRUE(in.Ensure(ByteReader::kLoadSlack));
    EXPECT_NE(in.data(), bytes.data());
    EXPECT_EQ(Bytes(in.data(), in.data() + ByteReader::kLoadSlack),
              Bytes(bytes.begin(), bytes.begin() + ByteReader::kLoadSlack));
    EXPECT_FALSE(in.Ensure(ByteReader::kLoadSlack + 1));
}

TEST(ByteWriter, FillsASinksOwnRoomInPlaceAndCopiesWhatDidNotFit) {
    Bytes buffer(10, 0);
    SpanSink sink(buffer);
    ByteWriter out;
    out.Attach(&sink);
    unsigned char* room = out.Reserve(4);
    ASSERT_EQ(room, buffer.data());
    std::memcpy(room, "abcd", 4);
    out.Commit(4);
    EXPECT_TRUE(out.Write("efgh", 4));
    EXPECT_TRUE(out.Drain());
    EXPECT_EQ(sink.used(), 8u);
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 8), "abcdefgh");

    // Two bytes of room left: four go through the writer's own block, and
    // the sink refuses them whole.
    room = out.Reserve(4);
    ASSERT_NE(room, nullptr);
    EXPECT_NE(room, buffer.data() + 8);
    std::memcpy(room, "ijkl", 4);
    out.Commit(4);
    EXPECT_FALSE(out.Drain());
    EXPECT_EQ(sink.used(), 8u);
    EXPECT_EQ(buffer[8], 0);
    EXPECT_EQ(buffer[9], 0);

    // Bytes from elsewhere are copied in.
    SpanSink copying(buffer);
    const unsigned char two[] = {'x', 'y'};
    EXPECT_TRUE(copying.Write(two, 2));
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(buffer[1], 'y');
    EXPECT_EQ(copying.used(), 2u);
}

}  // namespace
}  // namespace lrx::codec::test
