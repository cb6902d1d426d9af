#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "about_texts.h"
#include "context_help.h"
#include "list_texts.h"
#include "lrxpack.h"
#include "mailbox_client.h"

namespace lrx::mgr::test {
namespace {

TEST(ListTexts, RatioCells) {
    struct Case {
        int32_t raw;
        int32_t packed;
        const char* text;
    };
    const Case cases[] = {
        {1000, 333, "66%"},   {1000, 1000, "0%"},
        {1000, 1500, "-50%"}, {0, 0, "0%"},
        {0, 77, "0%"},        {-5, 3, ""},
        {5, -3, ""},          {1, 11, ""},
        {1, 10, "-900%"},     {2147483647, 0, "100%"},
        {1, 2147483647, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RatioText(c.raw, c.packed), c.text) << c.raw << "/" << c.packed;
}

TEST(ListTexts, CellsStatusAndCaption) {
    TFileInfo entry{};
    std::memset(entry.name, 'x', sizeof entry.name);  // no terminator in a damaged record
    entry.rawSize = 1234567;
    entry.packedSize = 7;
    entry.year = 2024;
    entry.month = 2;
    entry.day = 30;  // refused by the formatter: an empty cell
    PortableLocale locale;
    const CellTexts cells = FormatCells(entry, locale);
    EXPECT_EQ(cells.name, std::string(14, 'x'));
    EXPECT_EQ(cells.rawSize, "1234567");
    EXPECT_EQ(cells.date, "");
    entry.day = 29;
    EXPECT_EQ(FormatCells(entry, locale).date, "2024-02-29 00:00");

    EXPECT_EQ(StatusLine("C:\\races\\replays.lrx", 12), "replays.lrx  (12 files)");
    EXPECT_EQ(StatusLine("/a.b/noext", 1), "noext  (1 files)");
    EXPECT_EQ(OpenCaption("D:x.lrx"), "LRXWin - x.lrx");
}

TEST(MailboxTexts, LeadingNumberAsAtolReadsIt) {
    const std::vector<std::pair<const char*, long>> cases = {
        {"801abc", 801},
        {"  42", 42},
        {"-7", -7},
        {"+998C:\\x", 998},
        {"abc", 0},
        {"", 0},
        {"99999999999999999999", 2147483647},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(MailboxNumber(text), value) << text;
    DropCounter counter(4);
    EXPECT_EQ(counter.FilesLeftText(), "Files left : 4");
    counter.IndicateNext();
    EXPECT_EQ(counter.FilesLeftText(), "Files left : 3");
}

TEST(AboutTexts, VersionLineOnlyWithBothValues) {
    const uint32_t translation = TranslationValue(0x0409, 0x04E4);
    EXPECT_EQ(StringTableKey(translation), "040904e4");
    EXPECT_EQ(StringValuePath(translation, "ProductName"),
              "\\StringFileInfo\\040904e4\\ProductName");
    EXPECT_TRUE(SameTableKey("040904E4", StringTableKey(translation)));
    EXPECT_FALSE(SameTableKey("040904E4", "040904e"));

    VersionStrings strings;
    strings.productName = "LRXWin";
    strings.legalCopyright = "(c) us";
    EXPECT_FALSE(MakeAboutTexts(strings, "Version").versionLine);
    strings.productVersion = "1.1";
    const AboutTexts texts = MakeAboutTexts(strings, "Version");
    EXPECT_EQ(texts.versionLine, "LRXWin Version 1.1");
    EXPECT_EQ(texts.copyright, "(c) us");
    EXPECT_FALSE(texts.specialBuild);
}

class HelpRecorder : public HelpView {
  public:
    bool ShowHelp(HelpCommand command, unsigned long data) override {
        log += "help" + std::to_string(static_cast<unsigned>(command)) + ":" +
               std::to_string(data) + " ";
        return succeeds;
    }
    void LoadHelpCursor() override { log += "load "; }
    void ReleaseHelpCursor() override { log += "release "; }
    void ShowHelpCursor() override { log += "show "; }
    void ShowArrowCursor() override { log += "arrow "; }
    void PostMenuEnter() override { log += "enter "; }

    std::string log;
    bool succeeds = true;
};

TEST(ContextHelp, NextCommandShowsItsHelpAndTheCursorLivesOneMode) {
    HelpRecorder view;
    ContextHelp help(view);
    EXPECT_FALSE(help.OnCommand(11684, false));  // not in the mode: the command runs
    EXPECT_TRUE(help.OnF1(true));
    EXPECT_TRUE(help.OnF1(true));
    EXPECT_TRUE(help.OnMouseMove());
    EXPECT_TRUE(help.OnCommand(11684, false));
    EXPECT_FALSE(help.Active());
    EXPECT_FALSE(help.OnMouseMove());
    EXPECT_FALSE(help.OnEscape());
    EXPECT_EQ(view.log, "load show show show release help1:11684 ");

    view.log.clear();
    help.OnF1(true);
    help.OnEscape();
    help.OnF1(false);
    EXPECT_TRUE(help.OnMenuIdle(true, true));
    EXPECT_TRUE(help.OnCommand(2009, false));
    help.CanClose();  // nothing opened by Contents: no quit
    EXPECT_EQ(view.log, "load show release arrow help3:0 enter help1:2009 ");

    view.log.clear();
    help.CmHelpContents();
    help.CanClose();
    view.succeeds = false;
    help.CmHelpUsing();
    help.CanClose();
    EXPECT_EQ(view.log, "help11:0 help2:0 help4:0 ");
}

}  // namespace
}  // namespace lrx::mgr::test
