// Messages that tell apart failures the engine gives one code for.
#include "failure_report.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "lrxpack.h"

namespace lrx::cli {
namespace {

TEST(FailureReport, AnArchiveThatAppearedDuringAnAddIsNotAWriteFailure) {
    FailureScene scene{Operation::Add, "missing-dir/a.lrx"};
    scene.replay = "r.rpl";
    scene.systemError = EEXIST;
    EXPECT_EQ(DescribeFailure(scene, LRX_CREATING_TEMP_FILE),
              "missing-dir/a.lrx: appeared while this add ran and was kept; nothing added, run "
              "it again");
    scene.systemError = ENOSPC;
    EXPECT_EQ(DescribeFailure(scene, LRX_CREATING_TEMP_FILE),
              "missing-dir/a.lrx: cannot write the new archive: " + std::string(strerror(ENOSPC)));
    // Only an add creates an archive.
    scene.operation = Operation::Delete;
    scene.systemError = EEXIST;
    EXPECT_EQ(DescribeFailure(scene, LRX_CREATING_TEMP_FILE),
              "missing-dir/a.lrx: cannot write the new archive: " + std::string(strerror(EEXIST)));
}

}  // namespace
}  // namespace lrx::cli
