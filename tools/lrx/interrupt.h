// Ctrl+C, and on Linux also SIGTERM and SIGHUP: the first one asks the running
// operation to stop cleanly, a second one ends the process at once. Either way
// the temporary files go, and the exit status is 128 plus the signal's number.
#pragma once

namespace lrx::cli {

void InstallInterruptHandler();
bool InterruptRequested();

// 128 plus the number of the first signal (130 for Ctrl+C); 0 before any.
int InterruptExitStatus();

}  // namespace lrx::cli
