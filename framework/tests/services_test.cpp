// The services a list program needs besides windows: the busy scope, the
// scroll bar helper, help through the seam and the version block reader.
#include <gtest/gtest.h>

#include <vector>

#include "busy_scope.h"
#include "help.h"
#include "prompt.h"
#include "scroll_bar.h"
#include "test_app.h"
#include "version_info.h"

namespace lrx::fw::test {
namespace {

class TBusyTestApp : public TTestApp {
  public:
    bool RunsWhileBusy(int commandId) const override { return commandId == CM_OPEN; }
};

TEST(FrameworkServices, BusyScopeRefusesCommandsAndClosingButNotWhatRunsWhileBusy) {
    TBusyTestApp app;
    app.Steps.push_back([&] {
        HWND frame = app.Frame->GetHandle();
        {
            TBusyScope busy(&app);
            ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(CM_FRAME_ONLY, 0), 0);
            ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(CM_OPEN, 0), 0);
            ::SendMessageA(frame, WM_CLOSE, 0, 0);
            EXPECT_TRUE(::IsWindow(frame));
        }
        ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(CM_FRAME_ONLY, 0), 0);
    });
    app.RunSteps();
    EXPECT_EQ(app.Frame->Ran, (std::map<UINT, int>{{CM_FRAME_ONLY, 1}, {CM_OPEN, 1}}));
}

bool ScrollBarDisabled(HWND window) {
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    ::GetScrollBarInfo(window, OBJID_VSCROLL, &info);
    return (info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) != 0;
}

TEST(FrameworkServices, ScrollBarStaysVisibleIsDisabledWhenAllFitsAndHolds32BitPositions) {
    TWindow window(nullptr, "Scroll");
    ASSERT_TRUE(window.Create());
    TScrollBarHelper bar(window.GetHandle());
    struct Row {
        int count, page;
        bool disabled;
    };
    for (const Row& row : {Row{0, 10, true}, Row{10, 10, true}, Row{11, 10, false}}) {
        bar.SetExtent(row.count, row.page, false);
        EXPECT_TRUE(::GetWindowLongPtrA(window.GetHandle(), GWL_STYLE) & WS_VSCROLL);
        EXPECT_EQ(ScrollBarDisabled(window.GetHandle()), row.disabled) << row.count;
    }
    bar.SetExtent(100000, 10, false);
    bar.SetPosition(99990, true);
    EXPECT_EQ(bar.GetPosition(), 99990);
}

TEST(FrameworkServices, HelpEngineAndHelpPageGoThroughTheSeam) {
    std::vector<TPrompt> seen;
    TScopedPromptAnswerer answerer([&](TPrompt& prompt) -> std::optional<int> {
        seen.push_back(prompt);
        return prompt.Kind == TPromptKind::Browser ? 1 : 0;
    });
    EXPECT_FALSE(CallWinHelp(nullptr, "LRXWin.hlp", HELP_CONTEXT, 11684));
    EXPECT_TRUE(OpenHelpPage(nullptr, "Z:\\my tools\\LRXWin.html", "11684"));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].Kind, TPromptKind::Help);
    EXPECT_EQ(seen[0].Text, "LRXWin.hlp");
    EXPECT_EQ(seen[0].Style, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(seen[0].Data, 11684u);
    EXPECT_EQ(seen[1].Path, "file:///Z:/my%20tools/LRXWin.html#11684");
    EXPECT_EQ(FileUrl("C:\\a#b.html", ""), "file:///C:/a%23b.html");
}

TEST(FrameworkServices, VersionBlockNamesItsStringTableByTranslation) {
    const TVersionInfo own(TVersionInfo::ProgramFile());
    EXPECT_EQ(own.Translation(), 0x040904E4u);  // language in the high half
    EXPECT_EQ(own.Value("ProductName"), "Framework Tests");
    EXPECT_EQ(own.Value("ProductVersion"), "2.5");
    EXPECT_EQ(own.Value("SpecialBuild"), std::nullopt);
    const TVersionInfo missing("Z:\\no\\such\\file.exe");
    EXPECT_EQ(missing.Translation(), std::nullopt);
    EXPECT_EQ(missing.Value("ProductName"), std::nullopt);
}

}  // namespace
}  // namespace lrx::fw::test
