// The lrx commands, each returning the process exit status: 0, an engine
// result code, or one of lrx's own below (outside the engine's codes).
#pragma once

#include "command_line.h"
#include "lrxpack_api.h"

namespace lrx::cli {

inline constexpr int kUsageError = 64;
inline constexpr int kNamesUnmatched = 65;               // a name given matched no entry
inline constexpr int kDamagedEntry = LRX_DAMAGED_ENTRY;  // test: an entry decodes but is damaged
inline constexpr int kNotExact = LRX_NOT_EXACT;  // add --strict: a replay would not come back
inline constexpr int kArchiveBusy = 75;          // another lrx changes the archive (--no-wait)

int RunList(const Options& options);
int RunAdd(const Options& options);
int RunDelete(const Options& options);
int RunExtract(const Options& options);
int RunTest(const Options& options);

// Prints "lrx: " and the engine's message for the failure to stderr; returns
// its code.
int ReportFailure(const lrx_failure& failure);

}  // namespace lrx::cli
