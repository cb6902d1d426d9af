// patch.exe as a program: started as a child process with its command line,
// watched through its window (read across the process boundary) and ended
// with WM_CLOSE. Every wait has a time limit; a program left running is
// terminated.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "app_test_support.h"
#include "patch_resource_ids.h"

namespace kqp::test {
namespace {

constexpr DWORD kStartLimitMs = 30000;
constexpr DWORD kRunLimitMs = 60000;

std::string ProgramPath() {
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1) + "patch.exe";
}

struct WindowSearch {
    DWORD processId;
    int controlId;
    HWND found;
};

BOOL CALLBACK FindFrame(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    char name[32];
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !::GetClassNameA(window, name, sizeof name) ||
        std::string(name) != "LrxFrame") {
        return TRUE;
    }
    search.found = window;
    return FALSE;
}

BOOL CALLBACK FindControl(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<WindowSearch*>(lParam);
    if (::GetDlgCtrlID(window) != search.controlId) return TRUE;
    search.found = window;
    return FALSE;
}

std::string WindowText(HWND window) {
    char text[512] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

class RunningProgram {
  public:
    explicit RunningProgram(const std::string& arguments) {
        std::string commandLine = "\"" + ProgramPath() + "\" " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        started_ = ::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0,
                                    nullptr, nullptr, &startup, &process_) != 0;
        EXPECT_TRUE(started_) << commandLine;
    }
    ~RunningProgram() {
        if (!started_) return;
        if (::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(process_.hProcess, 99);
            ::WaitForSingleObject(process_.hProcess, kStartLimitMs);
        }
        ::CloseHandle(process_.hThread);
        ::CloseHandle(process_.hProcess);
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // The main window once it exists.
    HWND Frame() {
        for (DWORD waited = 0; started_ && !frame_ && waited < kStartLimitMs; waited += 50) {
            WindowSearch search{process_.dwProcessId, 0, nullptr};
            ::EnumWindows(FindFrame, reinterpret_cast<LPARAM>(&search));
            if (search.found && ::IsWindowVisible(search.found)) frame_ = search.found;
            if (!frame_) ::Sleep(50);
        }
        return frame_;
    }
    std::string Caption() { return WindowText(Frame()); }
    std::string InfoText() {
        WindowSearch search{0, IDC_PATCH_INFO, nullptr};
        if (HWND frame = Frame())
            ::EnumChildWindows(frame, FindControl, reinterpret_cast<LPARAM>(&search));
        return search.found ? WindowText(search.found) : std::string();
    }
    bool WaitForInfoText(const std::string& text, DWORD limitMs) {
        for (DWORD waited = 0; waited < limitMs; waited += 50) {
            if (InfoText() == text) return true;
            ::Sleep(50);
        }
        return false;
    }
    // Closes the main window; the exit code, or none when the program does
    // not end in time.
    std::optional<DWORD> Close() {
        if (HWND frame = Frame()) ::PostMessageA(frame, WM_CLOSE, 0, 0);
        DWORD code = 0;
        if (::WaitForSingleObject(process_.hProcess, kStartLimitMs) != WAIT_OBJECT_0 ||
            !::GetExitCodeProcess(process_.hProcess, &code)) {
            return std::nullopt;
        }
        return code;
    }

  private:
    PROCESS_INFORMATION process_{};
    bool started_ = false;
    HWND frame_ = nullptr;
};

TEST(PatchProgram, RunsThePatchNamedOnTheCommandLineToTheEnd) {
    GameFolder game;
    const std::string patch = game.WritePatch("full.kqp", Build(game.FullPatch("Program run")));
    RunningProgram program("\"" + patch + "\"");
    ASSERT_TRUE(program.Frame());
    EXPECT_EQ(program.Caption(), "KQPatch - Program run");
    EXPECT_TRUE(program.WaitForInfoText("Update successfully completed.", kRunLimitMs))
        << program.InfoText();
    EXPECT_EQ(program.Close(), 0u);
    game.ExpectFullPatchApplied();
}

}  // namespace
}  // namespace kqp::test
