// The reader on traces the manager's writer makes (the writer's bytes are
// its own tests).
#include <gtest/gtest.h>

#include <chrono>
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
using Bytes = std::vector<unsigned char>;

// Runs `body` against a fresh trace file (named per run: several builds'
// tests go side by side) and returns the file's bytes.
Bytes Record(const std::function<void(CallTrace&)>& body) {
    const fs::path path =
        fs::temp_directory_path() /
        ("lrxtrace-test-" +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
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

std::string Tree(const Bytes& bytes, std::size_t size) {
    std::ostringstream out;
    PrintCallTree(ReadTrace(bytes.data(), size), out);
    return out.str();
}

// Nested calls with an early return; every cut that is not at a record's
// start is reported at the start of the record it cuts.
TEST(TraceReader, PrintsNestedCallsAndSaysWhereATruncatedFileEnds) {
    const Bytes full = Record([](CallTrace& t) {
        const TraceScope app("App:App", t);
        const TraceScope drop("App:EvDropFiles", t);
        for (bool fail : {false, true}) {
            const TraceScope add("Wind:DoAddReplay", t);
            { const TraceScope progress("TZP:TZP", t); }
            if (fail) continue;
            const TraceScope count("Wind:CountFiles", t);
        }
    });
    const TraceFile whole = ReadTrace(full.data(), full.size());
    EXPECT_EQ(Tree(full, full.size()),
              "App:App\n  App:EvDropFiles\n    Wind:DoAddReplay\n      TZP:TZP\n"
              "      Wind:CountFiles\n    Wind:DoAddReplay\n      TZP:TZP\n");
    EXPECT_FALSE(whole.Damaged());
    EXPECT_EQ(whole.openAtEnd + whole.unmatchedLeaves, 0);

    std::size_t lastStart = 0, next = 0;
    for (std::size_t cut = 1; cut < full.size(); ++cut) {
        while (next < whole.events.size() && whole.events[next].offset < cut) {
            lastStart = whole.events[next++].offset;
        }
        const TraceFile part = ReadTrace(full.data(), cut);
        const bool boundary = next < whole.events.size() && whole.events[next].offset == cut;
        EXPECT_EQ(part.Damaged(), !boundary) << cut;
        EXPECT_TRUE(boundary || part.problemOffset == lastStart) << cut;
    }
    // Cut inside the text of "App:EvDropFiles" (its record starts at byte 10).
    EXPECT_EQ(Diagnostics(ReadTrace(full.data(), 20)),
              "trace ends at byte 10: truncated inside the text of a new label "
              "(15 bytes announced, 7 present)\n"
              "1 call(s) still open at the end\n");
}

TEST(TraceReader, FollowsTheIdWidthThroughTwoGrowths) {
    const Bytes bytes = Record([](CallTrace& t) {
        for (int n = 1; n <= 65540; ++n) {
            const TraceScope scope("L:" + std::to_string(n), t);
            // A known label after each growth, at the width then in force.
            if (n == 253 || n == 65533) {
                const TraceScope again("L:1", t);
            }
        }
    });
    const TraceFile trace = ReadTrace(bytes.data(), bytes.size());
    ASSERT_FALSE(trace.Damaged()) << Diagnostics(trace);
    EXPECT_EQ(trace.labels.size(), 65540u);
    EXPECT_EQ(trace.labels.back(), "L:65540");
    EXPECT_EQ(trace.events.size(), 2u * 65540 + 2 * 2);
}

TEST(TraceReader, StopsAtAnUnknownIdAndCountsStrayLeaves) {
    const Bytes bytes{0x00, 0xFF, 0x01, 0x00, 0x00, 0x01, 0x05, 0x01};
    const TraceFile trace = ReadTrace(bytes.data(), bytes.size());
    EXPECT_EQ(Diagnostics(trace),
              "trace ends at byte 6: unknown id 5\n"
              "1 leave record(s) without an open call\n"
              "2 call(s) still open at the end\n");
    EXPECT_EQ(Tree(bytes, bytes.size()), "A\n  A\n");
}

}  // namespace
}  // namespace lrx::trace
