#include "integrity_check.h"

#include <cstdio>
#include <vector>

#include "failure_report.h"
#include "lrxpack_api.h"
#include "name_text.h"

namespace lrx::cli {

int RunTest(const Options& options) {
    FailureScene scene{Operation::Test, options.archive};
    ProgressSink none;
    OperationContext ctx(none, LRX_CALL_TEST);
    std::vector<TestedEntry> report;
    const int result = TestArchive(ctx, options.archive, report);
    if (result != LRX_OK) {
        scene.systemError = ctx.failure.systemError;
        return ReportFailure(scene, result);
    }
    int firstFailure = 0, failures = 0, entries = 0;
    bool outsideDamaged = false;
    for (const TestedEntry& tested : report) {
        const std::string line = PadToColumns(PrintableName(tested.info.name), 13);
        const bool outside = tested.outsideEntries;
        outsideDamaged = outsideDamaged || outside;
        if (!outside) ++entries;
        if (tested.verdict.code != 0) {
            if (!outside) ++failures;
            std::printf("%s DAMAGED: %s\n", line.c_str(), tested.verdict.problem.c_str());
            if (firstFailure == 0) firstFailure = tested.verdict.code;
        } else if (!options.quiet) {
            std::printf("%s OK\n", line.c_str());
        }
    }
    if (!options.quiet || firstFailure != 0) {
        std::printf(
            "%d %s tested, %d damaged%s.\nOK means an entry decodes cleanly, not that it is "
            "unchanged: the archive carries no checksum.\n",
            entries, entries == 1 ? "entry" : "entries", failures,
            outsideDamaged ? "; the archive is damaged outside its entries" : "");
    }
    return firstFailure;
}

}  // namespace lrx::cli
