// Ctrl+C: the first one asks the running operation to stop cleanly, a second
// one ends the process at once.
#pragma once

namespace lrx::cli {

void InstallInterruptHandler();
bool InterruptRequested();

}  // namespace lrx::cli
