// LRXWin.exe as a program: started with an archive in a scratch folder,
// watched through its caption, closed with WM_CLOSE; then its call trace and
// its recent-file list are read back. Every wait has a time limit.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "lrxwin_app.h"
#include "test_files.h"

namespace lrx::mgr::test {
namespace {

constexpr DWORD kLimitMs = 30000;

std::string ProgramPath() {
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string self(path, length);
    return self.substr(0, self.find_last_of('\\') + 1) + "LRXWin.exe";
}

struct CaptionSearch {
    DWORD processId;
    std::string caption;
    HWND found = nullptr;
};

BOOL CALLBACK FindCaption(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<CaptionSearch*>(lParam);
    DWORD owner = 0;
    char text[300] = {};
    ::GetWindowThreadProcessId(window, &owner);
    ::GetWindowTextA(window, text, sizeof text);
    if (owner != search.processId || search.caption != text) return TRUE;
    search.found = window;
    return FALSE;
}

// The records of a trace file: the label of each enter, "" for a leave.
std::vector<std::string> ReadTrace(const lrx::test::Bytes& bytes) {
    std::vector<std::string> records;
    std::map<uint64_t, std::string> labels;
    uint64_t nextId = 1, limit = 256;
    std::size_t width = 1, at = 0;
    while (at + width <= bytes.size()) {
        uint64_t id = 0;
        for (std::size_t i = 0; i < width; ++i) id |= uint64_t{bytes[at + i]} << (8 * i);
        at += width;
        if (id == 0) {
            records.emplace_back();
        } else if (id == limit - 1) {
            if (at + 2 > bytes.size()) break;
            const std::size_t length = bytes[at] | bytes[at + 1] << 8;
            std::string label;
            for (std::size_t i = 0; i < length && at + 2 + i < bytes.size(); ++i)
                label += static_cast<char>(bytes[at + 2 + i] + 0x41);
            at += 2 + length;
            labels[nextId] = label;
            records.push_back(label);
            if (++nextId == limit - 2) {
                ++width;
                limit *= 256;
            }
        } else {
            records.push_back(labels[id]);
        }
    }
    return records;
}

TEST(LRXWinProgram, OpensItsArgumentAfterSetupTracesEveryCallAndKeepsTheRecentFile) {
    lrx::test::ScratchDir scratch;
    const std::string archive = scratch / "a.lrx";
    lrx::test::Bytes bytes = lrx::test::ArchiveHeader();
    const lrx::test::Bytes record = lrx::test::FileInfoBytes("x.rpl", 10, 0);
    bytes.insert(bytes.end(), record.begin(), record.end());
    lrx::test::WriteFile(archive, bytes);

    std::string commandLine = "\"" + ProgramPath() + "\" \"" + archive + "\" second";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 scratch.path().string().c_str(), &startup, &process));
    CaptionSearch search{process.dwProcessId, "LRXWin - a.lrx"};
    for (DWORD waited = 0; !search.found && waited < kLimitMs; waited += 50) {
        ::EnumWindows(FindCaption, reinterpret_cast<LPARAM>(&search));
        if (!search.found) ::Sleep(50);
    }
    EXPECT_TRUE(search.found);
    if (search.found) ::PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.hProcess, kLimitMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.hProcess, 99);
        ADD_FAILURE() << "LRXWin.exe did not end";
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);

    const std::vector<std::string> records = ReadTrace(lrx::test::ReadFile(scratch / "LRXWin"));
    ASSERT_GE(records.size(), 2u);
    EXPECT_EQ(records[0], "App:App");
    EXPECT_EQ(records[1], "");
    std::vector<std::string> open;
    bool openedAfterSetup = false;
    for (const std::string& label : records) {
        if (label.empty()) {
            ASSERT_FALSE(open.empty()) << "a leave without an enter";
            open.pop_back();
            continue;
        }
        if (label == "App:CmOpenFile") {
            openedAfterSetup =
                std::find(open.begin(), open.end(), "Wind:SetupWindow") == open.end();
        }
        open.push_back(label);
    }
    EXPECT_TRUE(open.empty()) << open.size() << " enters without a leave";
    EXPECT_TRUE(openedAfterSetup);

    // A later run reads the recent-file list the first one wrote.
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(scratch.path());
    {
        const TLRXWinApp restarted;
        ASSERT_FALSE(restarted.Files().Paths().empty());
        EXPECT_EQ(restarted.Files().Paths()[0], archive);
    }
    std::filesystem::current_path(old);
}

}  // namespace
}  // namespace lrx::mgr::test
