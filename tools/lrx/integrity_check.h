// lrx test: the engine's verdict on every entry of an archive, one line each.
#pragma once

#include "command_line.h"
#include "entry_check.h"

namespace lrx::cli {

using lrx::CheckEntry;
using lrx::EntryVerdict;

int RunTest(const Options& options);

}  // namespace lrx::cli
