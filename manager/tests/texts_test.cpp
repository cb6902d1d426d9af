#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "about_texts.h"
#include "context_help.h"
#include "list_texts.h"
#include "lrxpack.h"

namespace lrx::mgr::test {
namespace {

TEST(ListTexts, RatioCells) {
    const std::tuple<int32_t, int32_t, const char*> cases[] = {
        {1000, 333, "66%"},  {1000, 1500, "-50%"}, {0, 0, "0%"},
        {0, 77, "0%"},       {-5, 3, ""},          {5, -3, ""},
        {1, 11, ""},         {1, 10, "-900%"},     {2147483647, 0, "100%"},
        {1, 2147483647, ""}, {5, 4, "20%"},        {5, 9, "-80%"},
        {5, 7, "-40%"},      {3, 1, "66%"},
    };
    for (const auto& [raw, packed, text] : cases)
        EXPECT_EQ(RatioText(raw, packed), text) << raw << "/" << packed;
}

TEST(ListTexts, CellsStatusAndCaption) {
    TFileInfo entry{};
    std::memset(entry.name, 'x', sizeof entry.name);  // no terminator in a damaged record
    entry.year = 2024;
    entry.month = 2;
    entry.day = 30;
    PortableLocale locale;
    EXPECT_EQ(FormatCells(entry, locale).name, std::string(14, 'x'));
    EXPECT_EQ(FormatCells(entry, locale).date, "");  // refused by the formatter
    entry.day = 29;
    EXPECT_EQ(FormatCells(entry, locale).date, "2024-02-29 00:00");
    EXPECT_EQ(StatusLine("C:\\races\\replays.lrx", 12), "replays.lrx  (12 files)");
    EXPECT_EQ(StatusLine("/a.b/noext", 1), "noext  (1 files)");
    EXPECT_EQ(OpenCaption("D:x.lrx"), "LRXWin - x.lrx");
}

TEST(AboutTexts, VersionLineOnlyWithBothValues) {
    const uint32_t translation = TranslationValue(0x0409, 0x04E4);
    EXPECT_EQ(StringValuePath(translation, "ProductName"),
              "\\StringFileInfo\\040904e4\\ProductName");
    EXPECT_TRUE(SameTableKey("040904E4", StringTableKey(translation)));
    EXPECT_FALSE(SameTableKey("040904E4", "040904e"));
    VersionStrings strings{"LRXWin", std::nullopt, "(c) us", std::nullopt};
    EXPECT_FALSE(MakeAboutTexts(strings, "Version").versionLine);
    strings.productVersion = "1.1";
    EXPECT_EQ(MakeAboutTexts(strings, "Version").versionLine, "LRXWin Version 1.1");
}

// The help cursor lives one mode; Contents or Using help, when they work,
// are what make closing quit the help window.
class HelpRecorder : public HelpView {
  public:
    bool ShowHelp(HelpCommand command, unsigned long) override {
        log += std::to_string(static_cast<unsigned>(command)) + " ";
        return command != HelpCommand::kHelpOnHelp;
    }
    void LoadHelpCursor() override { log += "load "; }
    void ReleaseHelpCursor() override { log += "release "; }
    void ShowHelpCursor() override {}
    void ShowArrowCursor() override {}
    void PostMenuEnter() override { log += "enter "; }
    std::string log;
};

TEST(ContextHelp, CursorPerModeAndQuitOnlyAfterContents) {
    HelpRecorder view;
    ContextHelp help(view);
    help.OnF1(true);
    help.OnF1(true);
    EXPECT_TRUE(help.OnCommand(11684, false));
    EXPECT_FALSE(help.OnCommand(11684, false) || help.OnEscape());
    help.OnMenuIdle(true, true);
    help.OnCommand(2009, false);
    help.CmHelpUsing();
    help.CanClose();
    help.CmHelpContents();
    help.CanClose();
    EXPECT_EQ(view.log, "load release 1 enter 1 4 11 2 ");
}

}  // namespace
}  // namespace lrx::mgr::test
