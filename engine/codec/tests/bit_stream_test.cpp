#include <gtest/gtest.h>

#include <functional>

#include "bit_stream.h"
#include "codec_test_support.h"
#include "file_stream.h"

namespace lrx::codec::test {
namespace {

// What a writer body puts into a file.
Bytes Written(const std::function<void(BitStream&, ByteWriter&)>& body) {
    lrx::test::ScratchDir dir;
    {
        FileStream file((dir / "bits").c_str(), "wb");
        ByteWriter out;
        out.Attach(file.get());
        BitStream bits;
        body(bits, out);
        EXPECT_TRUE(out.Drain());
    }
    return lrx::test::ReadFile(dir / "bits");
}

// A reader over the given bytes for the body.
void Reading(const Bytes& bytes, const std::function<void(BitStream&, ByteReader&)>& body) {
    lrx::test::ScratchDir dir;
    lrx::test::WriteFile(dir / "bits", bytes);
    FileStream file((dir / "bits").c_str(), "rb");
    ByteReader in;
    in.Attach(file.get());
    BitStream bits;
    body(bits, in);
}

TEST(BitStream, FillsWordsFromTheTopAndStoresThemLittleEndian) {
    const Bytes bytes = Written([](BitStream& bits, ByteWriter& out) {
        EXPECT_TRUE(bits.Put(1, 1, out));
        EXPECT_TRUE(bits.Put(5, 3, out));
        EXPECT_TRUE(bits.Put(0, 28, out));
        EXPECT_EQ(bits.bitCount(), 0);
        EXPECT_TRUE(bits.Flush(out));  // nothing pending: writes nothing
        EXPECT_EQ(bits.bytesWritten, 4);
    });
    EXPECT_EQ(bytes, (Bytes{0x00, 0x00, 0x00, 0xD0}));
}

TEST(BitStream, EveryWidthAtEveryOffsetWithinAWord) {
    std::string expected;
    std::vector<std::pair<int, uint32_t>> fields;  // in the order written, fillers included
    const Bytes bytes = Written([&](BitStream& bits, ByteWriter& out) {
        uint32_t pattern = 0x9E3779B9u;
        for (int width = 1; width <= 32; ++width) {
            for (int offset = 0; offset < 32; ++offset) {
                const int filler = (offset - bits.bitCount() + 32) % 32;
                if (filler > 0) {
                    fields.push_back({filler, 0x55555555u & LowBits(filler)});
                }
                pattern = pattern * 1664525u + 1013904223u;
                // Alternate all-ones fields with mixed ones, the hardest cases for masks.
                const uint32_t value = (offset % 3 == 0 ? 0xFFFFFFFFu : pattern) & LowBits(width);
                fields.push_back({width, value});
                for (std::size_t i = fields.size() - (filler > 0 ? 2 : 1); i < fields.size(); ++i) {
                    ASSERT_TRUE(bits.Put(fields[i].second, fields[i].first, out));
                    expected += Bits(fields[i].second, fields[i].first);
                }
                ASSERT_EQ(bits.bitCount(), (offset + width) % 32);
            }
        }
        ASSERT_TRUE(bits.Flush(out));
        EXPECT_EQ(bits.bitCount(), 0);
        EXPECT_EQ(bits.bytesWritten % 4, 0);
    });
    ASSERT_EQ(bytes, PackBits(expected));

    Reading(bytes, [&](BitStream& bits, ByteReader& in) {
        for (const auto& [width, value] : fields) {
            uint32_t got = 0;
            ASSERT_TRUE(bits.Get(got, width, in));
            ASSERT_EQ(got, value) << "width " << width;
        }
    });
}

// Reading across words is the every-width test's; here the end of the data.
TEST(BitStream, FailsPastTheEnd) {
    // A field that needs one bit more than the file holds.
    Reading(PackBits(Bits(0, 32)), [](BitStream& bits, ByteReader& in) {
        uint32_t v;
        ASSERT_TRUE(bits.Get(v, 30, in));
        EXPECT_FALSE(bits.Get(v, 3, in));
    });
    // Bytes that do not make up a whole word are not read.
    Reading(Bytes{1, 2, 3, 4, 5, 6}, [](BitStream& bits, ByteReader& in) {
        uint32_t v;
        ASSERT_TRUE(bits.Get(v, 32, in));
        EXPECT_EQ(v, 0x04030201u);
        EXPECT_FALSE(bits.Get(v, 1, in));
    });
}

TEST(BitStream, PeekReadsZerosPastTheEndButSkipStopsThere) {
    Reading(PackBits(Bits(0xFFFFFFFEu, 32)), [](BitStream& bits, ByteReader& in) {
        uint32_t v;
        ASSERT_TRUE(bits.Get(v, 29, in));
        EXPECT_EQ(bits.Peek(5, in), 0x18u);  // 110 and two bits that are not there
        EXPECT_TRUE(bits.Skip(3));
        EXPECT_FALSE(bits.Skip(1));
    });
}

}  // namespace
}  // namespace lrx::codec::test
