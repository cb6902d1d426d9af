#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "call_trace.h"

namespace lrx {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// A trace file named per test in its own scratch folder.
struct TraceFileTest : ::testing::Test {
    void SetUp() override {
        fs::create_directories(dir);
        ASSERT_TRUE(trace.Open(path.c_str()));
    }
    void TearDown() override {
        trace.Close();
        fs::remove_all(dir);
    }
    // Unbuffered: the bytes are in the file before it is closed.
    Bytes FileBytes(std::size_t from = 0) const {
        std::ifstream in(path, std::ios::binary);
        Bytes bytes(std::istreambuf_iterator<char>(in), {});
        return Bytes(bytes.begin() + static_cast<long>(from), bytes.end());
    }

    // Named per run and test: runs of several builds go side by side.
    const fs::path dir =
        fs::path(::testing::TempDir()) /
        ("lrx-trace-" +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    const std::string path = (dir / "LRXWin").string();
    CallTrace trace;
};

int Classify(int value, CallTrace& trace) {
    const TraceScope scope("T:Classify", trace);
    if (value < 0) return -1;
    return value == 0 ? 0 : 1;
}

// The first record of a label announces it; later ones use its id; every
// return path of a scope writes one leave.
TEST_F(TraceFileTest, RecordsAnnounceLabelsOnceAndScopesLeaveOnEveryPath) {
    trace.Enter("App:App");
    trace.Leave();
    EXPECT_EQ(FileBytes(),
              (Bytes{0xFF, 0x07, 0x00, 0x00, 0x2F, 0x2F, 0xF9, 0x00, 0x2F, 0x2F, 0x00}));
    trace.Enter("App:App");
    EXPECT_EQ(Classify(-5, trace) + Classify(0, trace) + Classify(10, trace), 0);
    trace.Leave();
    const Bytes rest = FileBytes(11);  // App:App by its id, T:Classify announced
    ASSERT_EQ(rest.size(), 4u + 10 + 6);
    EXPECT_EQ(Bytes(rest.begin(), rest.begin() + 4), (Bytes{0x01, 0xFF, 0x0A, 0x00}));
    EXPECT_EQ(Bytes(rest.end() - 6, rest.end()), (Bytes{0x00, 0x02, 0x00, 0x02, 0x00, 0x00}));
}

TEST_F(TraceFileTest, ALabelTooLongForItsLengthFieldIsCutToFit) {
    const std::string label(70000, 'B');
    trace.Enter(label);
    trace.Enter(label);
    const Bytes bytes = FileBytes();
    ASSERT_EQ(bytes.size(), 1u + 2 + 0xFFFF + 1);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{0xFF, 0xFF, 0xFF, 0x01}));
    EXPECT_EQ(bytes.back(), 0x01);  // still known by its id
}

TEST_F(TraceFileTest, IdsWidenAfterTheLabelsThatTake253And65533) {
    const auto label = [](int n) { return "L:" + std::to_string(n); };
    for (int n = 1; n <= 252; ++n) trace.Enter(label(n));
    std::size_t before = FileBytes().size();
    trace.Enter(label(253));  // still the one-byte marker
    trace.Enter(label(253));
    trace.Leave();
    trace.Enter(label(254));
    Bytes bytes = FileBytes(before);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 2), (Bytes{0xFF, 0x05}));
    EXPECT_EQ(Bytes(bytes.begin() + 8, bytes.begin() + 14),
              (Bytes{0xFD, 0x00, 0x00, 0x00, 0xFF, 0xFF}));
    for (int n = 255; n <= 65532; ++n) trace.Enter(label(n));
    before = FileBytes().size();
    trace.Enter(label(65533));
    trace.Enter(label(65533));
    trace.Leave();
    bytes = FileBytes(before);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 2), (Bytes{0xFF, 0xFF}));
    EXPECT_EQ(Bytes(bytes.begin() + 11, bytes.end()), (Bytes{0xFD, 0xFF, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(trace.IdWidth(), 3);
}

// Nothing is written after Close; a second run starts a fresh trace; a file
// that cannot be created skips tracing.
TEST_F(TraceFileTest, CloseReopenAndAFileThatCannotBeCreated) {
    trace.Enter("TZP:TZP");
    trace.Close();
    trace.Leave();
    trace.Enter("TZP:~TZP");
    EXPECT_EQ(FileBytes().size(), 10u);
    CallTrace second;
    ASSERT_TRUE(second.Open(path.c_str()));
    second.Enter("Wind:Paint");
    EXPECT_EQ(FileBytes().size(), 13u);
    second.Close();

    const std::string missing = (dir / "no-such-dir" / "LRXWin").string();
    CallTrace none;
    EXPECT_FALSE(none.Open(missing.c_str()));
    EXPECT_FALSE(none.IsOpen());
    Classify(3, none);
    EXPECT_FALSE(fs::exists(missing));
}

}  // namespace
}  // namespace lrx
