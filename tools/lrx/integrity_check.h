// lrx test: the engine's verdict on every entry of an archive, one line each.
#pragma once

#include "command_line.h"

namespace lrx::cli {

int RunTest(const Options& options);

}  // namespace lrx::cli
