#include "interrupt.h"

#include <atomic>
#include <csignal>

#include "temp_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace lrx::cli {
namespace {

std::atomic<int> interrupts{0};

// Only SIGKILL or a power cut may leave the temporary file of an add or an
// extraction behind.
#ifdef _WIN32
BOOL WINAPI OnConsoleControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    if (interrupts.fetch_add(1) >= 1) {
        // Best effort: the main thread may still hold the file open.
        RemoveTempFilesInProgress();
        ExitProcess(130);
    }
    return TRUE;
}
#else
void OnInterrupt(int) {
    if (interrupts.fetch_add(1) >= 1) {
        RemoveTempFilesInProgress();
        _exit(130);
    }
}
#endif

}  // namespace

void InstallInterruptHandler() {
#ifdef _WIN32
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
#else
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
#endif
}

bool InterruptRequested() {
    return interrupts.load() > 0;
}

}  // namespace lrx::cli
