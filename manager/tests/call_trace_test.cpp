#include <gtest/gtest.h>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

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

int CurrentProcessId() {
#ifdef _WIN32
    return _getpid();
#else
    return getpid();
#endif
}

class CallTraceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("lrx-trace-" + std::to_string(CurrentProcessId()) + "-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        path_ = (dir_ / "LRXWin").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    Bytes FileBytes() const {
        std::ifstream in(path_, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

    fs::path dir_;
    std::string path_;
};

TEST_F(CallTraceTest, FirstRecordAnnouncesTheLabelAndLaterOnesUseItsId) {
    CallTrace trace;
    ASSERT_TRUE(trace.Open(path_.c_str()));
    trace.Enter("App:App");
    trace.Leave();
    // Unbuffered: the bytes are in the file before it is closed.
    EXPECT_EQ(FileBytes(),
              (Bytes{0xFF, 0x07, 0x00, 0x00, 0x2F, 0x2F, 0xF9, 0x00, 0x2F, 0x2F, 0x00}));
    trace.Enter("Wind:Paint");
    trace.Enter("App:App");
    trace.Leave();
    trace.Enter("Wind:Paint");
    trace.Leave();
    trace.Leave();
    trace.Close();
    const Bytes bytes = FileBytes();
    ASSERT_EQ(bytes.size(), 11u + 13 + 5);
    EXPECT_EQ(Bytes(bytes.end() - 5, bytes.end()), (Bytes{0x01, 0x00, 0x02, 0x00, 0x00}));
}

TEST_F(CallTraceTest, ALabelTooLongForItsLengthFieldIsCutToFit) {
    CallTrace trace;
    ASSERT_TRUE(trace.Open(path_.c_str()));
    const std::string label(70000, 'B');
    trace.Enter(label);
    trace.Enter(label);
    const Bytes bytes = FileBytes();
    ASSERT_EQ(bytes.size(), 1u + 2 + 0xFFFF + 1);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{0xFF, 0xFF, 0xFF, 0x01}));
    EXPECT_EQ(bytes.back(), 0x01);  // still known by its id
}

std::string Label(int n) {
    return "L:" + std::to_string(n);
}

TEST_F(CallTraceTest, IdsWidenAfterTheLabelsThatTake253And65533) {
    CallTrace trace;
    ASSERT_TRUE(trace.Open(path_.c_str()));
    for (int n = 1; n <= 252; ++n) trace.Enter(Label(n));
    EXPECT_EQ(trace.IdWidth(), 1);
    std::size_t before = FileBytes().size();
    trace.Enter(Label(253));  // still the one-byte marker
    Bytes bytes = FileBytes();
    EXPECT_EQ(bytes[before], 0xFF);
    EXPECT_EQ(bytes[before + 1], Label(253).size());
    EXPECT_EQ(trace.IdWidth(), 2);

    before = bytes.size();
    trace.Enter(Label(253));
    trace.Leave();
    trace.Enter(Label(254));
    bytes = FileBytes();
    EXPECT_EQ(Bytes(bytes.begin() + before, bytes.begin() + before + 6),
              (Bytes{0xFD, 0x00, 0x00, 0x00, 0xFF, 0xFF}));

    for (int n = 255; n <= 65532; ++n) trace.Enter(Label(n));
    EXPECT_EQ(trace.IdWidth(), 2);
    before = FileBytes().size();
    trace.Enter(Label(65533));
    trace.Enter(Label(65533));
    trace.Leave();
    bytes = FileBytes();
    const std::size_t announce = 2 + 2 + Label(65533).size();
    EXPECT_EQ(Bytes(bytes.begin() + before, bytes.begin() + before + 2), (Bytes{0xFF, 0xFF}));
    EXPECT_EQ(Bytes(bytes.begin() + before + announce, bytes.end()),
              (Bytes{0xFD, 0xFF, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(trace.IdWidth(), 3);
}

int Classify(int value, CallTrace& trace) {
    const TraceScope scope("T:Classify", trace);
    if (value < 0) return -1;
    if (value == 0) return 0;
    for (int i = 1;; ++i) {
        if (i * i >= value) return i;
    }
}

TEST_F(CallTraceTest, EveryReturnPathWritesOneLeave) {
    CallTrace trace;
    ASSERT_TRUE(trace.Open(path_.c_str()));
    EXPECT_EQ(Classify(-5, trace), -1);
    EXPECT_EQ(Classify(0, trace), 0);
    EXPECT_EQ(Classify(10, trace), 4);
    const Bytes bytes = FileBytes();
    const std::size_t announce = 1 + 2 + std::string("T:Classify").size();
    ASSERT_EQ(bytes.size(), announce + 5);
    EXPECT_EQ(Bytes(bytes.begin() + announce, bytes.end()), (Bytes{0x00, 0x01, 0x00, 0x01, 0x00}));
}

TEST_F(CallTraceTest, NothingIsWrittenAfterCloseAndReopeningStartsAFreshTrace) {
    {
        CallTrace trace;
        ASSERT_TRUE(trace.Open(path_.c_str()));
        trace.Enter("Wind:Wind");
        trace.Enter("TZP:TZP");
        trace.Close();
        trace.Leave();
        trace.Enter("TZP:~TZP");
        EXPECT_EQ(FileBytes().size(), 2u * 3 + 9 + 7);
    }
    CallTrace second;  // a second run in the same directory
    ASSERT_TRUE(second.Open(path_.c_str()));
    second.Enter("App:App");
    EXPECT_EQ(FileBytes().size(), 10u);
}

TEST_F(CallTraceTest, AFileThatCannotBeCreatedSkipsTracing) {
    CallTrace trace;
    const std::string missing = (dir_ / "no-such-dir" / "LRXWin").string();
    EXPECT_FALSE(trace.Open(missing.c_str()));
    EXPECT_FALSE(trace.IsOpen());
    Classify(3, trace);
    trace.Close();
    EXPECT_FALSE(fs::exists(missing));
}

}  // namespace
}  // namespace lrx
