#include <gtest/gtest.h>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "call_trace.h"
#include "trace_reader.h"

namespace lrx::trace {
namespace {

namespace fs = std::filesystem;

int CurrentProcessId() {
#ifdef _WIN32
    return _getpid();
#else
    return getpid();
#endif
}
using Bytes = std::vector<unsigned char>;

// Runs `body` against a fresh trace file and returns the file's bytes.
Bytes Record(const std::function<void(CallTrace&)>& body) {
    // One name per process and call: tests run side by side.
    static int calls = 0;
    const fs::path path =
        fs::temp_directory_path() /
        ("lrxtrace-test-" + std::to_string(CurrentProcessId()) + "-" + std::to_string(calls++));
    {
        CallTrace trace;
        EXPECT_TRUE(trace.Open(path.string().c_str()));
        body(trace);
    }
    std::ifstream in(path, std::ios::binary);
    Bytes bytes(std::istreambuf_iterator<char>(in), {});
    in.close();
    fs::remove(path);
    return bytes;
}

std::string Tree(const TraceFile& trace) {
    std::ostringstream out;
    PrintCallTree(trace, out);
    return out.str();
}

void AddReplay(CallTrace& t, bool fail) {
    const TraceScope add("Wind:DoAddReplay", t);
    { const TraceScope progress("TZP:TZP", t); }
    for (int i = 0; i < 2; ++i) {
        const TraceScope change("TZP:ENChange", t);
    }
    if (fail) return;
    const TraceScope count("Wind:CountFiles", t);
}

Bytes Session() {
    return Record([](CallTrace& t) {
        const TraceScope app("App:App", t);
        const TraceScope drop("App:EvDropFiles", t);
        AddReplay(t, false);
        AddReplay(t, true);
    });
}

TEST(TraceReader, ReadsTheFirstRecordExample) {
    const Bytes bytes{0xFF, 0x07, 0x00, 0x00, 0x2F, 0x2F, 0xF9, 0x00, 0x2F, 0x2F, 0x00};
    const TraceFile trace = ReadTrace(bytes.data(), bytes.size());
    EXPECT_EQ(Tree(trace), "App:App\n");
    EXPECT_EQ(Diagnostics(trace), "");
}

TEST(TraceReader, PrintsNestedCallsIncludingEarlyReturns) {
    const Bytes bytes = Session();
    const TraceFile trace = ReadTrace(bytes.data(), bytes.size());
    EXPECT_EQ(Tree(trace),
              "App:App\n"
              "  App:EvDropFiles\n"
              "    Wind:DoAddReplay\n"
              "      TZP:TZP\n"
              "      TZP:ENChange\n"
              "      TZP:ENChange\n"
              "      Wind:CountFiles\n"
              "    Wind:DoAddReplay\n"
              "      TZP:TZP\n"
              "      TZP:ENChange\n"
              "      TZP:ENChange\n");
    EXPECT_FALSE(trace.Damaged());
    EXPECT_EQ(trace.openAtEnd, 0);
    EXPECT_EQ(trace.unmatchedLeaves, 0);
}

TEST(TraceReader, FollowsTheIdWidthThroughTwoGrowths) {
    constexpr int kLabels = 65540;
    const Bytes bytes = Record([](CallTrace& t) {
        for (int n = 1; n <= kLabels; ++n) {
            const TraceScope scope("L:" + std::to_string(n), t);
            // Known labels around each growth, at the width then in force.
            if (n == 252 || n == 253 || n == 254 || n == 65533 || n == 65534) {
                const TraceScope again("L:1", t);
            }
        }
    });
    const TraceFile trace = ReadTrace(bytes.data(), bytes.size());
    ASSERT_FALSE(trace.Damaged()) << Diagnostics(trace);
    ASSERT_EQ(trace.labels.size(), static_cast<std::size_t>(kLabels));
    EXPECT_EQ(trace.labels[252], "L:253");
    EXPECT_EQ(trace.labels[65532], "L:65533");
    EXPECT_EQ(trace.labels.back(), "L:65540");
    EXPECT_EQ(trace.events.size(), 2u * kLabels + 2 * 5);
    int nestedAgain = 0;
    for (const TraceEvent& e : trace.events) {
        if (e.enter && e.label == 0 && e.depth == 1) ++nestedAgain;
    }
    EXPECT_EQ(nestedAgain, 5);
}

TEST(TraceReader, SaysWhereATruncatedFileEnds) {
    const Bytes full = Session();
    const TraceFile whole = ReadTrace(full.data(), full.size());
    std::vector<std::size_t> recordStarts;
    for (const TraceEvent& e : whole.events) recordStarts.push_back(e.offset);

    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        const TraceFile part = ReadTrace(full.data(), cut);
        // The last record that starts before the cut is either whole or reported.
        std::size_t lastStart = 0;
        bool boundary = cut == 0;
        for (std::size_t start : recordStarts) {
            if (start < cut) lastStart = start;
            if (start == cut) boundary = true;
        }
        if (boundary) {
            EXPECT_FALSE(part.Damaged()) << cut;
        } else {
            ASSERT_TRUE(part.Damaged()) << cut;
            EXPECT_EQ(part.problemOffset, lastStart) << cut;
        }
    }
    // Cut inside the text of "App:EvDropFiles" (its record starts at byte 10).
    const TraceFile cutText = ReadTrace(full.data(), 20);
    EXPECT_EQ(Diagnostics(cutText),
              "trace ends at byte 10: truncated inside the text of a new label "
              "(15 bytes announced, 7 present)\n"
              "1 call(s) still open at the end\n");
    EXPECT_EQ(Tree(cutText), "App:App\n");
}

TEST(TraceReader, StopsAtAnUnknownIdAndCountsStrayLeaves) {
    const Bytes bytes{0x00, 0xFF, 0x01, 0x00, 0x00, 0x01, 0x05, 0x01};
    const TraceFile trace = ReadTrace(bytes.data(), bytes.size());
    EXPECT_EQ(trace.unmatchedLeaves, 1);
    EXPECT_EQ(Diagnostics(trace),
              "trace ends at byte 6: unknown id 5\n"
              "1 leave record(s) without an open call\n"
              "2 call(s) still open at the end\n");
    EXPECT_EQ(Tree(trace), "A\n  A\n");
}

}  // namespace
}  // namespace lrx::trace
