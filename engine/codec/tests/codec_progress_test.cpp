// Progress reports and abort requests while a replay is packed or unpacked.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "byte_order.h"
#include "codec_test_support.h"
#include "host_window.h"
#include "lrxpack.h"
#include "mailbox_sink.h"
#include "replay_generator.h"

namespace lrx::codec::test {
namespace {

struct Reports {
    HostWindow window;
    MailboxSink sink{window.handle()};
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
};

// Steps of 5 from 5 up to at least 90 (tiny totals and the step's own rules
// are the progress step's tests).
void ExpectSteadySteps(const std::vector<std::string>& texts) {
    ASSERT_GE(texts.size(), 18u);
    for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(texts[i], std::to_string(5 * (i + 1)));
}

TEST(CodecProgress, BothDirectionsReportSteadyStepsAndStopOnAnAbort) {
    const Bytes replay = replaygen::GenerateReplay({replaygen::Profile::Race, 4, 20, 1045});
    ASSERT_GE(LoadU32(replay.data() + 4), 200000u);  // the percentage moves in steps of 5
    ASSERT_LT(LoadU32(replay.data() + 4), 215000u);
    const int32_t rawSize = static_cast<int32_t>(replay.size());

    Reports encoding, decoding;
    const CodecRun packed = Encode(replay, &encoding.sink);
    ASSERT_EQ(packed.result, LRX_OK);
    ExpectSteadySteps(encoding.texts);
    const CodecRun back = Decode(packed.output, rawSize, &decoding.sink);
    ASSERT_EQ(back.result, LRX_OK);
    EXPECT_EQ(back.output, replay);
    ExpectSteadySteps(decoding.texts);

    Reports encodeAbort, decodeAbort;
    encodeAbort.abortOnFirst = decodeAbort.abortOnFirst = true;
    EXPECT_EQ(Encode(replay, &encodeAbort.sink).result, LRX_ABORTED);
    const CodecRun aborted = Decode(packed.output, rawSize, &decodeAbort.sink);
    EXPECT_EQ(aborted.result, LRX_ABORTED);
    EXPECT_LT(aborted.output.size(), replay.size());
    EXPECT_EQ(encodeAbort.texts.size(), 1u);
    EXPECT_EQ(decodeAbort.texts.size(), 1u);
}

}  // namespace
}  // namespace lrx::codec::test
