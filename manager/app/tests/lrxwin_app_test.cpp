// LRXWin's window classes in-process under wine: the real frame, list window
// and dialogs over the real engine, every prompt answered through the prompt
// seam, and input sent as the system would send it.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "command_ids.h"
#include "dialog.h"
#include "lrxpack.h"
#include "lrxwin_ids.h"
#include "lrxwin_test_app.h"
#include "prompt.h"
#include "sample_replays.h"
#include "test_files.h"

namespace lrx::mgr::test {
namespace {

using lrx::test::Bytes;
using lrx::test::ScratchDir;

// Every prompt is recorded; `answer` decides, and nothing else ever shows.
struct Prompts {
    Prompts()
        : scope([this](fw::TPrompt& prompt) -> std::optional<int> {
              seen.push_back(prompt);
              return answer ? answer(prompt) : std::optional<int>(IDCANCEL);
          }) {}
    std::vector<fw::TPrompt> seen;
    std::function<std::optional<int>(fw::TPrompt&)> answer;
    fw::TScopedPromptAnswerer scope;
};

// The program keeps LRXWin.ini in the current folder: a scratch one.
class ScratchFolderAsCurrent {
  public:
    explicit ScratchFolderAsCurrent(const std::filesystem::path& folder)
        : old_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~ScratchFolderAsCurrent() { std::filesystem::current_path(old_); }

  private:
    std::filesystem::path old_;
};

// An archive of listing-only entries ("r000.rpl" ...), raw sizes falling.
void WriteListingArchive(const std::string& path, int count) {
    Bytes bytes = lrx::test::ArchiveHeader();
    for (int i = 0; i < count; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "r%03d.rpl", i);
        bytes.insert(bytes.end(), 8, 0);
        const Bytes record = lrx::test::FileInfoBytes(name, 100000 - i, 8);
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    lrx::test::WriteFile(path, bytes);
}

std::string RowName(const TLRXWindow& list, int row) {
    return list.Model().List().Row(row).name;
}

// The client y of the middle of the row shown `onPage` rows below the
// header, as Paint places it.
int RowY(const TLRXWindow& list, int onPage) {
    const ListGeometry& g = list.Model().Geometry();
    return g.ToPixels(g.HeaderTwips() + onPage * g.LineHeight() + g.LineHeight() / 2);
}

void Click(TLRXWindow& list, int onPage, WPARAM keys = 0) {
    ::SendMessageA(list.GetHandle(), WM_LBUTTONDOWN, keys, MAKELPARAM(10, RowY(list, onPage)));
}

void ClickHeader(TLRXWindow& list, int item) {
    NMHEADERA notification{};
    notification.hdr.hwndFrom = ::GetDlgItem(list.GetHandle(), IDC_COLUMNHEADER);
    notification.hdr.idFrom = IDC_COLUMNHEADER;
    notification.hdr.code = HDN_ITEMCLICKA;
    notification.iItem = item;
    ::SendMessageA(list.GetHandle(), WM_NOTIFY, IDC_COLUMNHEADER,
                   reinterpret_cast<LPARAM>(&notification));
}

void Command(HWND frame, int id) {
    ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

// Files dropped on the window, as the shell hands them over.
void PostDrop(HWND frame, const std::vector<std::string>& paths) {
    std::string names;
    for (const std::string& path : paths) names += path + '\0';
    names += '\0';
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
    ::GlobalUnlock(memory);
    ::PostMessageA(frame, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

void SetKeysHeld(std::initializer_list<int> keys) {
    BYTE state[256] = {};
    for (int key : keys) state[key] = 0x80;
    ::SetKeyboardState(state);
}

TEST(LRXWinList, RowsSortAndMouseSelectsTheRowUnderThePointerFarDownTheList) {
    ScratchDir scratch;
    const ScratchFolderAsCurrent current(scratch.path());
    WriteListingArchive(scratch / "big.lrx", 300);
    Prompts prompts;
    TLRXWinTestApp app;
    app.Steps.push_back([&] { app.CmOpenFile((scratch / "big.lrx").c_str()); });
    app.Steps.push_back([&] {
        TLRXWindow& list = app.List();
        EXPECT_EQ(app.GetMainWindow()->GetCaption(), "LRXWin - big.lrx");
        EXPECT_EQ(list.StatusBar->GetText(), "big.lrx  (300 files)");
        EXPECT_EQ(RowName(list, 0), "r000.rpl");
        ClickHeader(list, 1);  // raw size, ascending
        EXPECT_EQ(RowName(list, 0), "r299.rpl");
        ClickHeader(list, 1);
        EXPECT_EQ(RowName(list, 0), "r000.rpl");
        ClickHeader(list, 3);  // Ratio: no change
        EXPECT_EQ(RowName(list, 0), "r000.rpl");
        ::SendMessageA(list.GetHandle(), WM_VSCROLL, SB_BOTTOM, 0);
    });
    app.Steps.push_back([&] {
        TLRXWindow& list = app.List();
        const int top = list.Model().Geometry().TopLine();
        const int last = list.Model().Geometry().LinesPerPage() - 1;
        ASSERT_GT(last, 10);
        EXPECT_EQ(top + last, 299);
        Click(list, last);
        Click(list, last - 5, MK_CONTROL);
        Click(list, last - 2, MK_SHIFT | MK_CONTROL);  // Shift wins: anchor..row
        const ArchiveList& rows = list.Model().List();
        for (int row = top; row < 300; ++row) {
            EXPECT_EQ(rows.IsSelected(row), row >= top + last - 5 && row <= top + last - 2) << row;
        }
        EXPECT_EQ(::GetScrollPos(list.GetHandle(), SB_VERT), top);
    });
    app.RunSteps();
    EXPECT_TRUE(prompts.seen.empty());
}

TEST(LRXWinCommands, AddDropDeleteAndExtractWithTheOverwriteQuestion) {
    ScratchDir scratch;
    const ScratchFolderAsCurrent current(scratch.path());
    const Bytes first = lrx::test::SampleReplay(1, 40);
    lrx::test::WriteFile(scratch / "first.rpl", first);
    lrx::test::WriteFile(scratch / "second.rpl", lrx::test::SampleReplay(2, 40));
    lrx::test::WriteFile(scratch / "broken.rpl", Bytes(100, 7));
    lrx::test::WriteFile(scratch / "third.rpl", lrx::test::SampleReplay(3, 40));
    std::filesystem::create_directories(scratch.path() / "out");
    lrx::test::WriteFile(scratch / "out\\first.rpl", Bytes{1, 2, 3});
    const std::string archive = scratch / "new.lrx";

    Prompts prompts;
    int overwriteAnswer = 1;
    std::string overwriteText;
    HWND frame = nullptr;
    prompts.answer = [&](fw::TPrompt& prompt) -> std::optional<int> {
        switch (prompt.Kind) {
            case fw::TPromptKind::FileOpen:
                prompt.FileData->FileName =
                    prompt.Text == "New Archive" ? archive : scratch / "first.rpl";
                return IDOK;
            case fw::TPromptKind::Folder:
                EXPECT_EQ(prompt.Owner, frame);
                prompt.Path = scratch / "out";
                return IDOK;
            case fw::TPromptKind::Dialog: {
                char text[300] = {};
                ::GetDlgItemTextA(prompt.Dialog->GetHandle(), IDC_OVERWRITEMESSAGE, text,
                                  sizeof text);
                overwriteText = text;
                EXPECT_FALSE(::IsWindowEnabled(frame));  // its menu is not live meanwhile
                return overwriteAnswer;
            }
            default:
                return IDOK;
        }
    };
    TLRXWinTestApp app;
    app.Steps.push_back([&] {
        frame = app.Frame();
        Command(frame, kCmAddReplay);
    });
    app.Steps.push_back([&] {
        EXPECT_EQ(app.GetMainWindow()->GetCaption(), "LRXWin - new.lrx");
        PostDrop(app.Frame(),
                 {scratch / "second.rpl", scratch / "broken.rpl", scratch / "third.rpl"});
    });
    app.Steps.push_back([&] {
        const ArchiveList& rows = app.List().Model().List();
        ASSERT_EQ(rows.RowCount(), 2);  // the third is never tried
        EXPECT_EQ(prompts.seen.back().Caption, "Add File Error");
        EXPECT_EQ(RowName(app.List(), 1), "second.rpl");
        Click(app.List(), 1);
        Command(app.Frame(), kCmRepDelete);
    });
    app.Steps.push_back([&] {
        ASSERT_EQ(app.List().Model().List().RowCount(), 1);
        Command(app.Frame(), kCmFileExtractAll);  // answered No
        EXPECT_EQ(lrx::test::ReadFile(scratch / "out\\first.rpl"), (Bytes{1, 2, 3}));
        EXPECT_EQ(overwriteText, scratch / "out\\first.rpl" + " exists.");
        overwriteAnswer = 0;
        Click(app.List(), 0);
        Command(app.Frame(), kCmRepExtractSel);  // answered Yes
        EXPECT_EQ(lrx::test::ReadFile(scratch / "out\\first.rpl"), first);
        prompts.seen.clear();
        Command(app.Frame(), kCmRepDelete);  // the last entry: the archive goes
    });
    app.Steps.push_back([&] {
        ASSERT_EQ(prompts.seen.size(), 1u);
        EXPECT_EQ(prompts.seen[0].Caption, "Delete Files");
        EXPECT_EQ(prompts.seen[0].Text, "Removed empty archive");
        EXPECT_EQ(app.GetMainWindow()->GetCaption(), "LRXWin");
        EXPECT_EQ(app.List().Model().List().RowCount(), 0);
    });
    app.RunSteps();
}

// Runs `action` once, when the engine's first status report ("101...")
// reaches a mailbox: the engine call is then under way.
class AtFirstStatusReport {
  public:
    explicit AtFirstStatusReport(std::function<void()> action) {
        action_ = std::move(action);
        hook_ = ::SetWindowsHookExA(WH_CALLWNDPROCRET, &Hook, nullptr, ::GetCurrentThreadId());
    }
    ~AtFirstStatusReport() {
        ::UnhookWindowsHookEx(hook_);
        action_ = nullptr;
    }

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (code >= 0 && action_ && call->message == WM_SETTEXT &&
            ::GetDlgCtrlID(call->hwnd) == IDC_MAILBOX &&
            std::string(reinterpret_cast<const char*>(call->lParam)).starts_with("101")) {
            auto action = std::move(action_);
            action_ = nullptr;
            action();
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline std::function<void()> action_;
    HHOOK hook_;
};

TEST(LRXWinCommands, DuringAnEngineCallKeysMissTheMailboxCommandsAndCloseAreRefusedEscAborts) {
    ScratchDir scratch;
    const ScratchFolderAsCurrent current(scratch.path());
    lrx::test::WriteFile(scratch / "long.rpl", lrx::test::SampleReplay(4, 3000));
    const std::string archive = scratch / "a.lrx";
    Prompts prompts;
    prompts.answer = [&](fw::TPrompt& prompt) -> std::optional<int> {
        if (prompt.Kind == fw::TPromptKind::FileOpen) {
            prompt.FileData->FileName =
                prompt.Text == "New Archive" ? archive : scratch / "long.rpl";
        }
        return IDOK;
    };
    TLRXWinTestApp app;
    app.Steps.push_back([&] {
        const AtFirstStatusReport meanwhile([&] {
            // Whatever has the focus gets its text selected and "999" typed.
            HWND focus = ::GetFocus();
            ::PostMessageA(focus, EM_SETSEL, 0, -1);
            for (char key : std::string("999")) ::PostMessageA(focus, WM_CHAR, key, 0);
            ::PostMessageA(app.Frame(), WM_COMMAND, kCmFileNew, 0);
            ::PostMessageA(app.Frame(), WM_CLOSE, 0, 0);
            PostDrop(app.Frame(), {scratch / "long.rpl"});
        });
        Command(app.Frame(), kCmAddReplay);
        EXPECT_TRUE(::IsWindow(app.Frame()));
        EXPECT_EQ(app.GetMainWindow()->GetCaption(), "LRXWin - a.lrx");  // New refused
        EXPECT_EQ(app.List().Model().List().RowCount(), 1);              // not aborted
        ASSERT_FALSE(prompts.seen.empty());
        EXPECT_EQ(prompts.seen.back().Text, kBusyText);  // the drop
        prompts.seen.clear();
    });
    app.Steps.push_back([&] {
        const AtFirstStatusReport meanwhile(
            [] { ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); });
        Command(app.Frame(), kCmAddReplay);
        ASSERT_EQ(prompts.seen.size(), 2u);  // the replay, then the error
        EXPECT_EQ(prompts.seen[1].Caption, "Add File Error");
        EXPECT_EQ(prompts.seen[1].Text, "Aborted");
    });
    app.RunSteps();
}

TEST(LRXWinHelp, ShiftF1ThenAToolbarAddShowsItsHelpF1InAMenuAndAboutReadsTheVersionBlock) {
    ScratchDir scratch;
    const ScratchFolderAsCurrent current(scratch.path());
    Prompts prompts;
    std::string versionLine, legal, special = "?";
    prompts.answer = [&](fw::TPrompt& prompt) -> std::optional<int> {
        if (prompt.Kind == fw::TPromptKind::Browser) return 1;
        if (prompt.Kind == fw::TPromptKind::Dialog && prompt.ResourceId == IDD_ABOUT) {
            char text[200];
            HWND about = prompt.Dialog->GetHandle();
            ::GetDlgItemTextA(about, IDC_ABOUTVERSION, text, sizeof text);
            versionLine = text;
            ::GetDlgItemTextA(about, IDC_ABOUTLEGAL, text, sizeof text);
            legal = text;
            ::GetDlgItemTextA(about, IDC_ABOUTSPECIAL, text, sizeof text);
            special = text;
            return IDOK;
        }
        return 0;  // no help engine here
    };
    TLRXWinTestApp app;
    app.Steps.push_back([&] {
        SetKeysHeld({VK_SHIFT, VK_LSHIFT});
        ::PostMessageA(app.Frame(), WM_KEYDOWN, VK_F1, 0);
    });
    app.Steps.push_back([&] {
        SetKeysHeld({});
        EXPECT_TRUE(app.Help().Active());
        HWND bar =
            static_cast<fw::TDecoratedFrame*>(app.GetMainWindow())->GetControlBar()->GetHandle();
        ::SendMessageA(app.Frame(), WM_COMMAND, MAKEWPARAM(kCmAddReplay, BN_CLICKED),
                       reinterpret_cast<LPARAM>(bar));
        ASSERT_EQ(prompts.seen.size(), 2u);  // no file dialog
        EXPECT_EQ(prompts.seen[0].Kind, fw::TPromptKind::Help);
        EXPECT_EQ(prompts.seen[0].Style, static_cast<UINT>(HELP_CONTEXT));
        EXPECT_EQ(prompts.seen[0].Data, 11684u);
        EXPECT_TRUE(prompts.seen[1].Path.ends_with("/LRXWin.html#11684"));
        EXPECT_FALSE(app.Help().Active());
        Command(app.Frame(), kCmHelpAbout);
        EXPECT_EQ(versionLine, "LRXWin Version 1.1");
        EXPECT_EQ(legal, "Copyright (C) 2026 the LRX replay tools authors");
        EXPECT_EQ(special, "");
        // F1 on a highlighted menu item: the menu loop's idle message.
        SetKeysHeld({VK_F1});
        ::SendMessageA(app.Frame(), WM_ENTERIDLE, MSGF_MENU, 0);
        SetKeysHeld({});
        EXPECT_TRUE(app.Help().Active());
    });
    app.RunSteps();
}

}  // namespace
}  // namespace lrx::mgr::test
