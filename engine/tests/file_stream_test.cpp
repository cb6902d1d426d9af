#include <gtest/gtest.h>

#include "file_stream.h"
#include "test_files.h"

namespace lrx::test {
namespace {

// A stream with its own buffer flushes from it when it closes: the buffer
// must outlive the close on every way out (destroyed, reassigned).
TEST(FileStream, BufferedWritesReachTheFileOnEveryClose) {
    ScratchDir dir;
    { FileStream((dir / "destroyed").c_str(), "wb", 32000).WriteU32(0x0A0B0C0D); }
    EXPECT_EQ(ReadFile(dir / "destroyed"), (Bytes{0x0D, 0x0C, 0x0B, 0x0A}));
    FileStream first((dir / "first").c_str(), "wb", 2000);
    ASSERT_TRUE(first.WriteU16(0x0102));
    first = FileStream((dir / "second").c_str(), "wb", 2000);  // closes "first"
    EXPECT_EQ(ReadFile(dir / "first"), (Bytes{0x02, 0x01}));
}

}  // namespace
}  // namespace lrx::test
