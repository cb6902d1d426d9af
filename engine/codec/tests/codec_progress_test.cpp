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

TEST(CodecProgress, BothDirectionsReportSteadyStepsAndStopOnAnAbort) {
    const Bytes replay = replaygen::GenerateReplay({replaygen::Profile::Race, 4, 20, 1045});
    ASSERT_GE(LoadU32(replay.data() + 4), 200000u);  // the percentage moves in steps of 5
    ASSERT_LT(LoadU32(replay.data() + 4), 215000u);
    const int32_t rawSize = static_cast<int32_t>(replay.size());

    Reports encoding, decoding;
    const CodecRun packed = Encode(replay, encoding.mailbox());
    ASSERT_EQ(packed.result, LRX_OK);
    ExpectSteadySteps(encoding.texts, 5);
    const CodecRun back = Decode(packed.output, rawSize, decoding.mailbox());
    ASSERT_EQ(back.result, LRX_OK);
    EXPECT_EQ(back.output, replay);
    ExpectSteadySteps(decoding.texts, 5);

    Reports encodeAbort, decodeAbort;
    encodeAbort.abortOnFirst = decodeAbort.abortOnFirst = true;
    EXPECT_EQ(Encode(replay, encodeAbort.mailbox()).result, LRX_ABORTED);
    const CodecRun aborted = Decode(packed.output, rawSize, decodeAbort.mailbox());
    EXPECT_EQ(aborted.result, LRX_ABORTED);
    EXPECT_LT(aborted.output.size(), replay.size());
    EXPECT_EQ(encodeAbort.texts.size(), 1u);
    EXPECT_EQ(decodeAbort.texts.size(), 1u);
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
    EXPECT_EQ(back.output, bytes);
    EXPECT_TRUE(encoding.texts.empty() && decoding.texts.empty());
}

}  // namespace
}  // namespace lrx::codec::test
