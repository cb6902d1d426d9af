// Progress reports and abort requests while a replay is packed or unpacked.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec_test_support.h"
#include "file_stream.h"
#include "host_window.h"
#include "lrxpack.h"
#include "replay_generator.h"

namespace lrx::codec::test {
namespace {

// About 200,000 bytes of frames: the percentage moves in steps of 5.
Bytes RaceOf200k() {
    return replaygen::GenerateReplay({replaygen::Profile::Race, 4, 20, 1045});
}

struct Reports {
    HostWindow window;
    std::vector<std::string> texts;
    bool abortOnFirst = false;

    Reports() {
        window.SetMailboxText("0");
        window.OnMailboxChange([this](HostWindow& w) {
            if (w.MailboxText() == "999") return;
            texts.push_back(w.MailboxText());
            if (abortOnFirst) w.SetMailboxText("999");
        });
    }
    Mailbox mailbox() const { return Mailbox(window.handle()); }
};

void ExpectSteadySteps(const std::vector<std::string>& texts, int step) {
    ASSERT_FALSE(texts.empty());
    int last = 0;
    for (const std::string& text : texts) {
        const int percent = std::stoi(text);
        EXPECT_EQ(percent % step, 0) << text;
        EXPECT_GT(percent, last);
        EXPECT_LE(percent, 100);
        last = percent;
    }
    EXPECT_GE(last, 90);
}

TEST(CodecProgress, BothDirectionsReportThroughTheWindow) {
    const Bytes replay = RaceOf200k();
    const uint32_t positionSize = LoadU32(replay.data() + 4);
    ASSERT_GE(positionSize, 200000u);
    ASSERT_LT(positionSize, 215000u);

    Reports encoding;
    const CodecRun packed = Encode(replay, encoding.mailbox());
    ASSERT_EQ(packed.result, LRX_OK);
    ExpectSteadySteps(encoding.texts, 5);

    Reports decoding;
    const CodecRun back =
        Decode(packed.output, static_cast<int32_t>(replay.size()), decoding.mailbox());
    ASSERT_EQ(back.result, LRX_OK);
    EXPECT_EQ(back.output, replay);
    ExpectSteadySteps(decoding.texts, 5);
}

TEST(CodecProgress, AnAbortStopsAtTheNextStep) {
    const Bytes replay = RaceOf200k();
    Reports encoding;
    encoding.abortOnFirst = true;
    EXPECT_EQ(Encode(replay, encoding.mailbox()).result, LRX_ABORTED);
    EXPECT_EQ(encoding.texts.size(), 1u);

    const Bytes packed = Encode(replay).output;
    Reports decoding;
    decoding.abortOnFirst = true;
    const CodecRun run = Decode(packed, static_cast<int32_t>(replay.size()), decoding.mailbox());
    EXPECT_EQ(run.result, LRX_ABORTED);
    EXPECT_EQ(decoding.texts.size(), 1u);
    EXPECT_LT(run.output.size(), replay.size());
}

TEST(CodecProgress, TinyReplaysRunToTheEndWithoutReports) {
    // Under 100 bytes of frames there is no whole percent step.
    Replay replay;
    replay.slotCount = 1;
    for (int f = 0; f < 5; ++f) replay.frames.push_back({{Entry(2, 10u * f, 0, 0, 0)}});
    const Bytes bytes = ReplayBytes(replay);
    ASSERT_LT(bytes.size() - 16 - 2954, 100u);
    Reports encoding, decoding;
    const CodecRun packed = Encode(bytes, encoding.mailbox());
    ASSERT_EQ(packed.result, LRX_OK);
    const CodecRun back =
        Decode(packed.output, static_cast<int32_t>(bytes.size()), decoding.mailbox());
    ASSERT_EQ(back.result, LRX_OK);
    EXPECT_EQ(back.output, bytes);
    EXPECT_TRUE(encoding.texts.empty());
    EXPECT_TRUE(decoding.texts.empty());
}

}  // namespace
}  // namespace lrx::codec::test
