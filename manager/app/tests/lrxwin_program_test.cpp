// LRXWin.exe as a program: started with an archive in a scratch folder,
// found by its caption, closed with WM_CLOSE; then its call trace and its
// recent-file list are read back. Every wait has a time limit.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "help.h"
#include "lrxwin_test_app.h"
#include "trace_reader.h"

namespace lrx::mgr::test {
namespace {

constexpr DWORD kProgramLimitMs = 30000;

TEST_F(LRXWinTest, ProgramOpensItsArgumentAfterSetupTracesEveryCallAndKeepsTheRecentFile) {
    const std::string archive = scratch / "a.lrx";
    lrx::test::Bytes bytes = lrx::test::ArchiveHeader();
    const lrx::test::Bytes record = lrx::test::FileInfoBytes("x.rpl", 10, 0);
    bytes.insert(bytes.end(), record.begin(), record.end());
    lrx::test::WriteFile(archive, bytes);

    // Started in the scratch folder (the current one), with a second argument to ignore.
    std::string commandLine =
        "\"" + fw::ProgramFolderFile("LRXWin.exe") + "\" \"" + archive + "\" x";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &process));
    HWND frame = nullptr;
    for (DWORD waited = 0; !frame && waited < kProgramLimitMs; waited += 50) {
        frame = ::FindWindowA(nullptr, "LRXWin - a.lrx");
        if (!frame) ::Sleep(50);
    }
    EXPECT_TRUE(frame);
    if (frame) ::PostMessageA(frame, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.hProcess, kProgramLimitMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.hProcess, 99);
        ADD_FAILURE() << "LRXWin.exe did not end";
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);

    const lrx::test::Bytes file = lrx::test::ReadFile(scratch / "LRXWin");
    const trace::TraceFile trace = trace::ReadTrace(file.data(), file.size());
    EXPECT_FALSE(trace.Damaged()) << trace.problem;
    EXPECT_EQ(trace.unmatchedLeaves + trace.openAtEnd, 0);
    ASSERT_GE(trace.events.size(), 2u);
    EXPECT_EQ(trace.labels[trace.events[0].label], "App:App");
    EXPECT_FALSE(trace.events[1].enter);
    // The open is posted: it runs once SetupWindow has returned.
    std::vector<std::string> open, outermost;
    int opens = 0;
    for (const trace::TraceEvent& event : trace.events) {
        if (!event.enter) {
            if (!open.empty()) open.pop_back();
            continue;
        }
        const std::string& label = trace.labels[event.label];
        if (event.depth == 0) outermost.push_back(label);
        if (label == "App:CmOpenFile") {
            ++opens;
            EXPECT_EQ(std::count(open.begin(), open.end(), "Wind:SetupWindow"), 0);
        }
        open.push_back(label);
    }
    EXPECT_EQ(opens, 1);
    // The end: the close agreed, the list window (and its listing) gone, and
    // only then the trace closed.
    ASSERT_GE(outermost.size(), 2u);
    EXPECT_EQ(outermost[outermost.size() - 2], "App:CanClose");
    EXPECT_EQ(outermost.back(), "Wind:~Wind");

    const TLRXWinApp restarted;  // reads .\LRXWin.ini as the next run would
    ASSERT_FALSE(restarted.Files().Paths().empty());
    EXPECT_EQ(restarted.Files().Paths()[0], archive);
}

}  // namespace
}  // namespace lrx::mgr::test
