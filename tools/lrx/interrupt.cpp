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
std::atomic<int> firstSignal{0};

// Counts a signal; true when it is the second, which ends the process.
bool CountSignal(int signal) {
    int none = 0;
    firstSignal.compare_exchange_strong(none, signal);
    return interrupts.fetch_add(1) >= 1;
}

// Only SIGKILL or a power cut may leave the temporary file of an add or an
// extraction behind.
#ifdef _WIN32
BOOL WINAPI OnConsoleControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    if (CountSignal(SIGINT)) {
        // Best effort: the main thread may still hold the file open.
        RemoveTempFilesInProgress();
        ExitProcess(128 + SIGINT);
    }
    return TRUE;
}
#else
void OnSignal(int signal) {
    if (CountSignal(signal)) {
        RemoveTempFilesInProgress();
        _exit(128 + signal);
    }
}
#endif

}  // namespace

void InstallInterruptHandler() {
#ifdef _WIN32
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
#else
    // Without SA_RESTART: a wait for the terminal (an overwrite question, a
    // stopped terminal) ends so the stop is seen.
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
#endif
}

bool InterruptRequested() {
    return interrupts.load() > 0;
}

int InterruptExitStatus() {
    const int signal = firstSignal.load();
    return signal == 0 ? 0 : 128 + signal;
}

}  // namespace lrx::cli
