#include "integrity_check.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "commands.h"
#include "lrxpack_api.h"
#include "name_text.h"

namespace lrx::cli {
namespace {

// The verdict the engine puts first for bytes after the header that belong
// to no entry: it is no entry.
bool IsOutsideEntries(const lrx_test_entry& tested, std::size_t index) {
    return index == 0 && std::strcmp(tested.entry.name, "(archive)") == 0 && tested.entry.year == 0;
}

}  // namespace

int RunTest(const Options& options) {
    lrx_test_entry* verdicts = nullptr;
    std::size_t count = 0;
    lrx_failure failure;
    if (lrx_test(options.archive.c_str(), &verdicts, &count, nullptr, &failure) != LRX_OK) {
        return ReportFailure(failure);
    }
    const std::unique_ptr<lrx_test_entry, decltype(&lrx_free)> owned(verdicts, &lrx_free);
    int firstFailure = 0, failures = 0, entries = 0;
    bool outsideDamaged = false;
    for (std::size_t i = 0; i < count; ++i) {
        const lrx_test_entry& tested = verdicts[i];
        const std::string line = PadToColumns(PrintableName(tested.entry.name), 13);
        const bool outside = IsOutsideEntries(tested, i);
        outsideDamaged = outsideDamaged || outside;
        if (!outside) ++entries;
        if (tested.code != 0) {
            if (!outside) ++failures;
            std::printf("%s DAMAGED: %s\n", line.c_str(), tested.problem);
            if (firstFailure == 0) firstFailure = tested.code;
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
