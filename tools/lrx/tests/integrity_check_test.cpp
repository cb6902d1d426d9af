// lrx test against a table of damage to one entry: what changes what the
// decoder reads or yields a malformed replay is found; a changed value is not
// (the format has no checksum).
#include <gtest/gtest.h>

#include "commands.h"
#include "lrxpack_api.h"
#include "replay_generator.h"
#include "test_files.h"

namespace lrx::cli {
namespace {

using test::Bytes;

TEST(IntegrityCheck, ReportsDamageThatChangesWhatTheDecoderReads) {
    test::ScratchDir dir;
    const std::string replay = dir / "s.rpl", archive = dir / "s.lrx";
    test::WriteFile(replay, replaygen::GenerateReplay({replaygen::Profile::Edge, 4, -1, 40}));
    ASSERT_EQ(
        sJTU(const_cast<char*>(archive.c_str()), const_cast<char*>(replay.c_str()), nullptr, false),
        0);
    const Bytes sound = test::ReadFile(archive);
    ASSERT_EQ(sound.size(), 18752u);  // the bits below are found in this entry
    const int64_t packed = 18708, rawSizeBit = (packed + 14) * 8;
    const struct {
        int64_t bit;  // from the first bit of packed data; -1 for none
        int code;
        const char* problem;
    } cases[] = {
        {-1, 0, ""},
        {62380, 0, ""},  // changes one value only
        {124270, LRX_READING_A1, "does not decode"},
        {148656, kDamagedEntry, "decoding uses 18636 of its 18708 packed bytes"},
        {149569, kDamagedEntry, "decoding uses 18704 of its 18708 packed bytes"},
        {149656, kDamagedEntry, "the unused bits of its last word are not 0"},
        {34189, kDamagedEntry, "decodes to a malformed replay: car slot repeated"},
        {rawSizeBit, LRX_READING_A3, "does not decode"},  // rawSize one less
    };
    for (const auto& c : cases) {
        Bytes damaged = sound;
        if (c.bit >= 0) damaged[12 + c.bit / 8] ^= static_cast<unsigned char>(1 << (c.bit % 8));
        test::WriteFile(archive, damaged);
        lrx_test_entry* report = nullptr;
        std::size_t count = 0;
        lrx_failure failure;
        ASSERT_EQ(lrx_test(archive.c_str(), &report, &count, nullptr, &failure), 0);
        ASSERT_EQ(count, 1u);
        const std::string problem = report->problem;
        EXPECT_EQ(report->code, c.code) << "bit " << c.bit << ": " << problem;
        EXPECT_EQ(problem.rfind(c.problem, 0), 0u) << "bit " << c.bit << ": " << problem;
        lrx_free(report);
    }
}

}  // namespace
}  // namespace lrx::cli
