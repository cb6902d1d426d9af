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

// Where `window` lies in the frame's client area.
RECT InFrame(HWND frame, HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    ::MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// "left,top,right,bottom", for comparisons that print what they compare.
std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

POINT Centre(const RECT& rect) {
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// A press of the left button (`down` at `at`, in that message's coordinates),
// then the mouse moved to `to` on the screen and released there.
void PostDrag(HWND window, UINT down, WPARAM downWParam, POINT at, POINT to) {
    POINT origin{0, 0};
    ::ClientToScreen(window, &origin);
    const LPARAM toClient = MAKELPARAM(to.x - origin.x, to.y - origin.y);
    ::PostMessageA(window, down, downWParam, MAKELPARAM(at.x, at.y));
    ::PostMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, toClient);
    ::PostMessageA(window, WM_LBUTTONUP, 0, toClient);
}

// The toolbar art of command `id`, its greys mapped to the button colours,
// `size` pixels square as the resource holds it.
std::vector<COLORREF> ArtOf(int id, int size) {
    HBITMAP bitmap = ::CreateMappedBitmap(::GetModuleHandleA(nullptr), id, 0, nullptr, 0);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    std::vector<COLORREF> pixels = PixelsOf(dc, RECT{0, 0, size, size});
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::DeleteObject(bitmap);
    return pixels;
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

TEST_F(LRXWinTest, TheToolbarFloatsDocksAtTheEdgesAndItsButtonsWorkWherever) {
    TLRXWinTestApp app;
    HWND frame = nullptr, floating = nullptr;
    fw::THarbor* harbor = nullptr;
    fw::TDockableControlBar* bar = nullptr;
    RECT area{};  // the frame's client area above the status bar
    const auto barRect = [&] { return InFrame(frame, bar->GetHandle()); };
    const auto listRect = [&] { return InFrame(frame, app.List().GetHandle()); };
    const auto onScreen = [&](POINT point) {
        ::ClientToScreen(frame, &point);
        return point;
    };
    app.Steps.push_back([&] {
        frame = app.Frame();
        harbor = static_cast<fw::TDecoratedFrame*>(app.GetMainWindow())->GetHarbor();
        bar = harbor->GetBar(0);
        ::GetClientRect(frame, &area);
        area.bottom -= app.List().StatusBar->Height();
        EXPECT_EQ(bar->GetCaption(), "Toolbar");
        LOGFONTA font{};
        ::GetObjectA(reinterpret_cast<HFONT>(bar->SendMessage(WM_GETFONT)), sizeof font, &font);
        EXPECT_EQ(font.lfHeight, -::MulDiv(10, fw::ScreenDpi(), 72));
        // The buttons in their order, a separator of 6 after Open and Extract Selected.
        const fw::GadgetMetrics& m = bar->Metrics();
        const int separator = fw::ScaleToDpi(6, fw::ScreenDpi());
        int left = bar->ButtonRect(kCmFileNew).left;
        for (int id : {kCmFileNew, kCmFileOpen, kCmAddReplay, kCmRepDelete, kCmFileExtractAll,
                       kCmRepExtractSel, kCmHelpContents}) {
            const RECT button = bar->ButtonRect(id);
            EXPECT_EQ(button.left, left) << id;
            EXPECT_EQ(button.right - button.left, m.button) << id;
            left = button.right + (id == kCmFileOpen || id == kCmRepExtractSel ? separator : 0);
            EXPECT_EQ(bar->IsButtonEnabled(id), id != kCmFileNew && id != kCmRepDelete &&
                                                    id != kCmFileExtractAll &&
                                                    id != kCmRepExtractSel)
                << id;
        }
        // Each button shows the art of its command, pixel for pixel at 96 dpi:
        // as drawn when enabled, its dark lines in the shadow colour when not.
        ::UpdateWindow(bar->GetHandle());
        HDC shown = ::GetDC(bar->GetHandle());
        for (int id : {kCmFileNew, kCmFileOpen, kCmAddReplay, kCmRepDelete, kCmFileExtractAll,
                       kCmRepExtractSel, kCmHelpContents}) {
            RECT glyph = bar->ButtonRect(id);
            ::InflateRect(&glyph, -(m.button - m.glyph) / 2, -(m.button - m.glyph) / 2);
            const std::vector<COLORREF> drawn = PixelsOf(shown, glyph), art = ArtOf(id, m.glyph);
            if (bar->IsButtonEnabled(id)) {
                EXPECT_TRUE(drawn == art) << id;
                continue;
            }
            int ink = 0, wrong = 0;
            for (std::size_t i = 0; i < art.size(); ++i) {
                if (art[i] == ::GetSysColor(COLOR_BTNFACE) ||
                    art[i] == ::GetSysColor(COLOR_BTNHIGHLIGHT)) {
                    continue;
                }
                ++ink;
                wrong += drawn[i] != ::GetSysColor(COLOR_3DSHADOW);
            }
            EXPECT_GT(ink, 0) << id;
            EXPECT_EQ(wrong, 0) << id;
        }
        ::ReleaseDC(bar->GetHandle(), shown);
        EXPECT_EQ(Text(barRect()), Text(RECT{0, 0, area.right, m.Thickness()}));
        EXPECT_EQ(Text(listRect()), Text(RECT{0, m.Thickness(), area.right, area.bottom}));
        // Dragged by its handle into the middle of the list: it floats.
        PostDrag(bar->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, POINT{4, 10},
                 onScreen(POINT{200, 150}));
    });
    app.Steps.push_back([&] {
        ASSERT_FALSE(harbor->EdgeOf(*bar));
        ASSERT_TRUE(harbor->FloatWindowOf(*bar));
        floating = harbor->FloatWindowOf(*bar)->GetHandle();
        EXPECT_EQ(::GetParent(bar->GetHandle()), floating);
        EXPECT_EQ(::GetAncestor(floating, GA_PARENT), ::GetDesktopWindow());  // top-level
        EXPECT_EQ(::GetWindow(floating, GW_OWNER), frame);
        EXPECT_TRUE(::GetWindowLongA(floating, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
        EXPECT_EQ(::GetWindowLongA(floating, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
        EXPECT_TRUE(::IsWindowVisible(floating));
        char caption[32] = {};
        ::GetWindowTextA(floating, caption, sizeof caption);
        EXPECT_STREQ(caption, "Toolbar");
        // The bar is a row without handle, where it was dropped.
        POINT origin{0, 0};
        ::ClientToScreen(floating, &origin);
        EXPECT_EQ(origin.x, onScreen(POINT{196, 140}).x);
        EXPECT_EQ(origin.y, onScreen(POINT{196, 140}).y);
        RECT client{};
        ::GetClientRect(floating, &client);
        EXPECT_EQ(client.right, bar->NeededSize(false, false).cx);
        EXPECT_EQ(client.bottom, bar->Metrics().Thickness());
        EXPECT_EQ(Text(listRect()), Text(area));
        EXPECT_EQ(::GetActiveWindow(), frame);
        // Its buttons still hint, and command the frame.
        ::SendMessageA(bar->GetHandle(), WM_MOUSEMOVE, 0,
                       MAKELPARAM(Centre(bar->ButtonRect(kCmAddReplay)).x, 10));
        EXPECT_EQ(app.List().StatusBar->GetShownText(), "Add a replay to the archive");
        const auto click = [&](int id) {
            const POINT at = Centre(bar->ButtonRect(id));
            ::SendMessageA(bar->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
            ::SendMessageA(bar->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        };
        click(kCmFileNew);             // disabled: nothing happens
        ::EnableWindow(frame, FALSE);  // as under a modal dialog
        click(kCmAddReplay);
        ::EnableWindow(frame, TRUE);
        click(kCmAddReplay);
        ::PostMessageA(floating, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
        ASSERT_EQ(Prompts.size(), 1u);  // the last Add's alone
        EXPECT_EQ(Prompts[0].Kind, fw::TPromptKind::FileOpen);
        EXPECT_EQ(Prompts[0].Text, "Add Replay");
    });
    app.Steps.push_back([&] {
        // The double click on the caption docked it at the top again.
        EXPECT_EQ(harbor->EdgeOf(*bar), fw::DockEdge::kTop);
        EXPECT_FALSE(::IsWindowVisible(floating));
        EXPECT_EQ(::GetParent(bar->GetHandle()), frame);
        EXPECT_EQ(Text(barRect()), Text(RECT{0, 0, area.right, bar->Metrics().Thickness()}));
        EXPECT_EQ(listRect().top, bar->Metrics().Thickness());
        PostDrag(bar->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, POINT{4, 10},
                 onScreen(POINT{area.right - 60, 150}));
    });
    app.Steps.push_back([&] {
        ASSERT_TRUE(harbor->FloatWindowOf(*bar));
        EXPECT_EQ(harbor->FloatWindowOf(*bar)->GetHandle(), floating);  // the same window again
        // Its caption dragged to the left edge of the frame: docked there.
        RECT window{};
        ::GetWindowRect(floating, &window);
        PostDrag(floating, WM_NCLBUTTONDOWN, HTCAPTION, POINT{window.left + 20, window.top + 4},
                 onScreen(POINT{3, area.bottom / 2}));
    });
    app.Steps.push_back([&] {
        EXPECT_EQ(harbor->EdgeOf(*bar), fw::DockEdge::kLeft);
        EXPECT_FALSE(::IsWindowVisible(floating));
        const int thickness = bar->Metrics().Thickness();
        EXPECT_EQ(Text(barRect()), Text(RECT{0, 0, thickness, area.bottom}));
        EXPECT_EQ(Text(listRect()), Text(RECT{thickness, 0, area.right, area.bottom}));
        EXPECT_TRUE(bar->IsVertical());
        const RECT open = bar->ButtonRect(kCmFileOpen), help = bar->ButtonRect(kCmHelpContents);
        EXPECT_EQ(open.left, help.left);
        EXPECT_EQ(help.top - open.bottom,
                  2 * fw::ScaleToDpi(6, fw::ScreenDpi()) + 4 * bar->Metrics().button);
    });
    app.RunSteps();
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
        EXPECT_EQ(about[0], "LRXWin Version 1.2");
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
