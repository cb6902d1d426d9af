// LRXWin's window classes in-process under wine: the real frame, list window
// and dialogs over the real engine, every prompt answered through the prompt
// seam, and input sent as the system sends it.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "command_ids.h"
#include "dialog.h"
#include "lrxpack.h"
#include "lrxwin_ids.h"
#include "lrxwin_test_app.h"
#include "sample_replays.h"

namespace lrx::mgr::test {
namespace {

using lrx::test::Bytes;

std::string RowName(const TLRXWindow& list, int row) {
    return list.Model().List().Row(row).name;
}

// A click in the middle of the row `onPage` rows below the header, placed as
// Paint places rows.
void Click(TLRXWindow& list, int onPage, WPARAM keys = 0) {
    const ListGeometry& g = list.Model().Geometry();
    const int y = g.ToPixels(g.HeaderTwips() + onPage * g.LineHeight() + g.LineHeight() / 2);
    ::SendMessageA(list.GetHandle(), WM_LBUTTONDOWN, keys, MAKELPARAM(10, y));
}

void ClickHeader(TLRXWindow& list, int item) {
    NMHEADERA click{};
    click.hdr = {::GetDlgItem(list.GetHandle(), IDC_COLUMNHEADER), IDC_COLUMNHEADER,
                 static_cast<UINT>(HDN_ITEMCLICKA)};
    click.iItem = item;
    ::SendMessageA(list.GetHandle(), WM_NOTIFY, IDC_COLUMNHEADER, reinterpret_cast<LPARAM>(&click));
}

void Command(HWND frame, int id) {
    ::SendMessageA(frame, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

// Files dropped on the window, as the shell hands them over.
void PostDrop(HWND frame, const std::vector<std::string>& paths) {
    std::string names;
    for (const std::string& path : paths) names += path + '\0';
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() + 1);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    std::memcpy(drop + 1, names.data(), names.size());
    ::GlobalUnlock(memory);
    ::PostMessageA(frame, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

void SetKeysHeld(std::initializer_list<int> keys) {
    BYTE state[256] = {};
    for (int key : keys) state[key] = 0x80;
    ::SetKeyboardState(state);
}

TEST_F(LRXWinTest, RowsSortAndTheMouseSelectsTheRowUnderThePointerFarDownTheList) {
    // 300 listing-only entries, raw sizes falling.
    Bytes archive = lrx::test::ArchiveHeader();
    for (int i = 0; i < 300; ++i) {
        archive.insert(archive.end(), 8, 0);
        const Bytes record = lrx::test::FileInfoBytes("r" + std::to_string(100 + i), 1000 - i, 8);
        archive.insert(archive.end(), record.begin(), record.end());
    }
    lrx::test::WriteFile(scratch / "big.lrx", archive);
    TLRXWinTestApp app;
    app.Steps.push_back([&] { app.CmOpenFile((scratch / "big.lrx").c_str()); });
    app.Steps.push_back([&] {
        TLRXWindow& list = app.List();
        EXPECT_EQ(app.Caption(), "LRXWin - big.lrx");
        EXPECT_EQ(list.StatusBar->GetText(), "big.lrx  (300 files)");
        for (auto [item, first] : {std::pair{1, "r399"}, {1, "r100"}, {3, "r100"}}) {
            ClickHeader(list, item);  // raw size up, down; Ratio does not sort
            EXPECT_EQ(RowName(list, 0), first);
        }
        ::SendMessageA(list.GetHandle(), WM_VSCROLL, SB_BOTTOM, 0);
    });
    app.Steps.push_back([&] {
        TLRXWindow& list = app.List();
        const int top = list.Model().Geometry().TopLine();
        const int last = list.Model().Geometry().LinesPerPage() - 1;
        ASSERT_GT(last, 10);
        EXPECT_EQ(top + last, 299);
        EXPECT_EQ(::GetScrollPos(list.GetHandle(), SB_VERT), top);
        Click(list, last);
        Click(list, last - 5, MK_CONTROL);
        Click(list, last - 2, MK_SHIFT | MK_CONTROL);  // Shift wins: anchor to row
        for (int row = top; row < 300; ++row) {
            EXPECT_EQ(list.Model().List().IsSelected(row),
                      row >= top + last - 5 && row <= top + last - 2)
                << row;
        }
    });
    app.RunSteps();
    EXPECT_TRUE(Prompts.empty());
}

TEST_F(LRXWinTest, AddDropDeleteAndExtractWithTheOverwriteQuestion) {
    const Bytes first = lrx::test::SampleReplay(1, 40), second = lrx::test::SampleReplay(2, 40);
    lrx::test::WriteFile(scratch / "first.rpl", first);
    lrx::test::WriteFile(scratch / "second.rpl", second);
    lrx::test::WriteFile(scratch / "broken.rpl", Bytes(100, 7));
    lrx::test::WriteFile(scratch / "third.rpl", second);
    std::filesystem::create_directories(scratch.path() / "out");
    const std::string extracted = scratch / "out\\first.rpl";
    lrx::test::WriteFile(extracted, Bytes{1, 2, 3});
    HWND frame = nullptr;
    int overwriteAnswer = 1;
    bool abortAtQuestion = false;
    std::string question;
    Answer = [&](fw::TPrompt& prompt) -> std::optional<int> {
        if (prompt.Kind == fw::TPromptKind::FileOpen) {
            prompt.FileData->FileName =
                scratch / (prompt.Text == "New Archive" ? "new.lrx" : "first.rpl");
        } else if (prompt.Kind == fw::TPromptKind::Folder) {
            EXPECT_EQ(prompt.Owner, frame);
            prompt.Path = scratch / "out";
        } else if (prompt.Kind == fw::TPromptKind::Dialog) {
            char text[300] = {};
            ::GetDlgItemTextA(prompt.Dialog->GetHandle(), IDC_OVERWRITEMESSAGE, text, sizeof text);
            question = text;
            EXPECT_FALSE(::IsWindowEnabled(frame));  // no live menu under the question
            if (abortAtQuestion) {
                // Abort clicked; the click is handled once the answer is in.
                HWND progress = prompt.Owner;
                ::PostMessageA(progress, WM_COMMAND, MAKEWPARAM(IDC_ABORT, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(progress, IDC_ABORT)));
            }
            return overwriteAnswer;
        }
        return IDOK;
    };
    TLRXWinTestApp app;
    app.Steps.push_back([&] {
        frame = app.Frame();
        Command(frame, kCmAddReplay);
        EXPECT_EQ(app.Caption(), "LRXWin - new.lrx");
        PostDrop(frame, {scratch / "second.rpl", scratch / "broken.rpl", scratch / "third.rpl"});
    });
    app.Steps.push_back([&] {
        ASSERT_EQ(app.List().Model().List().RowCount(), 2);  // the third is never tried
        EXPECT_EQ(Prompts.back().Caption, "Add File Error");
        EXPECT_EQ(RowName(app.List(), 1), "second.rpl");
        // Both files exist; Abort right after the first is answered Yes: no
        // second question, nothing written, and the call ends Aborted.
        const std::string extractedSecond = scratch / "out\\second.rpl";
        lrx::test::WriteFile(extractedSecond, Bytes{4, 5});
        abortAtQuestion = true;
        overwriteAnswer = 0;
        Prompts.clear();
        Command(frame, kCmFileExtractAll);
        abortAtQuestion = false;
        overwriteAnswer = 1;
        ASSERT_EQ(Prompts.size(), 3u);  // the folder, one question, the error
        EXPECT_EQ(question, extracted + " exists.");
        EXPECT_EQ(Prompts[2].Caption, "Extract Error");
        EXPECT_EQ(Prompts[2].Text, "Aborted");
        EXPECT_EQ(lrx::test::ReadFile(extracted), (Bytes{1, 2, 3}));
        EXPECT_EQ(lrx::test::ReadFile(extractedSecond), (Bytes{4, 5}));
        // The next commands ask and answer as usual.
        Click(app.List(), 1);
        Command(frame, kCmRepDelete);
        ASSERT_EQ(app.List().Model().List().RowCount(), 1);
        Command(frame, kCmFileExtractAll);  // answered No
        EXPECT_EQ(lrx::test::ReadFile(extracted), (Bytes{1, 2, 3}));
        EXPECT_EQ(question, extracted + " exists.");
        overwriteAnswer = 0;
        Click(app.List(), 0);
        Command(frame, kCmRepExtractSel);  // answered Yes
        EXPECT_EQ(lrx::test::ReadFile(extracted), first);
        Prompts.clear();
        Command(frame, kCmRepDelete);   // the last entry: the archive goes
        ASSERT_EQ(Prompts.size(), 1u);  // no error box after the information
        EXPECT_EQ(Prompts[0].Caption, "Delete Files");
        EXPECT_EQ(Prompts[0].Text, "Removed empty archive");
        EXPECT_EQ(app.Caption(), "LRXWin");
    });
    app.RunSteps();
}

// Runs `action` once, when the engine's first status report ("101...") has
// reached a mailbox: the engine call is under way.
class AtFirstStatusReport {
  public:
    explicit AtFirstStatusReport(std::function<void()> action) {
        action_ = std::move(action);
        hook_ = ::SetWindowsHookExA(WH_CALLWNDPROCRET, &Hook, nullptr, ::GetCurrentThreadId());
    }
    ~AtFirstStatusReport() { ::UnhookWindowsHookEx(hook_); }

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (code >= 0 && action_ && call->message == WM_SETTEXT &&
            ::GetDlgCtrlID(call->hwnd) == IDC_MAILBOX &&
            std::strncmp(reinterpret_cast<const char*>(call->lParam), "101", 3) == 0) {
            std::exchange(action_, nullptr)();
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline std::function<void()> action_;
    HHOOK hook_;
};

TEST_F(LRXWinTest, DuringAnEngineCallKeysMissTheMailboxCommandsCloseAndDropsAreRefusedEscAborts) {
    lrx::test::WriteFile(scratch / "long.rpl", lrx::test::SampleReplay(4, 3000));
    Answer = [&](fw::TPrompt& prompt) -> std::optional<int> {
        if (prompt.Kind == fw::TPromptKind::FileOpen) {
            prompt.FileData->FileName =
                scratch / (prompt.Text == "New Archive" ? "a.lrx" : "long.rpl");
        }
        return IDOK;
    };
    TLRXWinTestApp app;
    app.Steps.push_back([&] {
        {
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
        }
        EXPECT_EQ(app.Caption(), "LRXWin - a.lrx");          // neither New nor close ran
        EXPECT_EQ(app.List().Model().List().RowCount(), 1);  // and no abort
        EXPECT_EQ(Prompts.back().Text, kBusyText);           // the drop
        Prompts.clear();
        const AtFirstStatusReport escape(
            [] { ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); });
        Command(app.Frame(), kCmAddReplay);
        ASSERT_EQ(Prompts.size(), 2u);  // the replay, then the error
        EXPECT_EQ(Prompts[1].Caption, "Add File Error");
        EXPECT_EQ(Prompts[1].Text, "Aborted");
    });
    app.RunSteps();
}

TEST_F(LRXWinTest, ShiftF1ThenAToolbarAddShowsItsHelpF1InAMenuAndAboutReadsTheVersionBlock) {
    std::string about[3];
    Answer = [&](fw::TPrompt& prompt) -> std::optional<int> {
        if (prompt.Kind == fw::TPromptKind::Dialog) {
            for (int i = 0; i < 3; ++i) {
                char text[200] = {};
                ::GetDlgItemTextA(prompt.Dialog->GetHandle(), IDC_ABOUTVERSION + i, text, 200);
                about[i] = text;
            }
        }
        return prompt.Kind == fw::TPromptKind::Help ? 0 : 1;  // no help engine here
    };
    TLRXWinTestApp app;
    app.Steps.push_back([&] {
        SetKeysHeld({VK_SHIFT});
        ::PostMessageA(app.Frame(), WM_KEYDOWN, VK_F1, 0);
    });
    app.Steps.push_back([&] {
        SetKeysHeld({});
        HWND bar =
            static_cast<fw::TDecoratedFrame*>(app.GetMainWindow())->GetControlBar()->GetHandle();
        ::SendMessageA(app.Frame(), WM_COMMAND, MAKEWPARAM(kCmAddReplay, BN_CLICKED),
                       reinterpret_cast<LPARAM>(bar));
        ASSERT_EQ(Prompts.size(), 2u);  // no file dialog
        EXPECT_EQ(Prompts[0].Kind, fw::TPromptKind::Help);
        EXPECT_EQ(Prompts[0].Style, static_cast<UINT>(HELP_CONTEXT));
        EXPECT_EQ(Prompts[0].Data, 11684u);
        EXPECT_TRUE(Prompts[1].Path.ends_with("/LRXWin.html#11684")) << Prompts[1].Path;
        EXPECT_FALSE(app.Help().Active());
        Command(app.Frame(), kCmHelpAbout);
        EXPECT_EQ(about[0], "LRXWin Version 1.1");
        EXPECT_EQ(about[1], "Copyright (C) 2026 the LRX replay tools authors");
        EXPECT_EQ(about[2], "");
        SetKeysHeld({VK_F1});  // F1 on a highlighted menu item
        ::SendMessageA(app.Frame(), WM_ENTERIDLE, MSGF_MENU, 0);
        SetKeysHeld({});
        EXPECT_TRUE(app.Help().Active());
    });
    app.RunSteps();
}

}  // namespace
}  // namespace lrx::mgr::test
