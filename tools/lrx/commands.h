// The lrx commands, each returning the process exit status.
#pragma once

#include "command_line.h"

namespace lrx::cli {

inline constexpr int kUsageError = 64;

int RunList(const Options& options);
int RunAdd(const Options& options);
int RunDelete(const Options& options);
int RunExtract(const Options& options);
int RunTest(const Options& options);

}  // namespace lrx::cli
