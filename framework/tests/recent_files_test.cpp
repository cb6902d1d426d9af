// The recent-file list across two runs of a program, its File menu items and
// the registered message a chosen item sends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recent_files.h"
#include "test_app.h"

namespace lrx::fw::test {
namespace {

constexpr const char* kProfile = ".\\LrxFrameworkTest.ini";

class TMruApp : public TTestApp, public TRecentFiles {
  public:
    std::vector<std::string> opened;

    TMruApp() : TRecentFiles(kProfile, 3) { SetRecentFiles(this); }
    static const TResponseTable& Table() {
        static constexpr TResponseEntry entries[] = {
            EvRegistered<&TMruApp::CmFileSelected>("MRUFILEMESSAGE"),
        };
        static constexpr TResponseTable table{entries, &TTestApp::Table};
        return table;
    }
    const TResponseTable& Responses() const override { return Table(); }

  private:
    void CmFileSelected(WPARAM id, LPARAM) {
        char path[260];
        GetMenuText(static_cast<int>(id), path, sizeof path);
        opened.push_back(path);
    }
};

std::vector<std::string> FileMenuTexts(HWND frame) {
    HMENU file = ::GetSubMenu(::GetMenu(frame), 0);
    ::SendMessageA(frame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    std::vector<std::string> texts;
    for (int i = 0; i < ::GetMenuItemCount(file); ++i) {
        char text[300] = {};
        ::GetMenuStringA(file, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        texts.push_back(text[0] ? text : "-");
    }
    return texts;
}

class FrameworkRecentFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ::GetTempPathA(sizeof temp, temp);
        ::GetCurrentDirectoryA(sizeof saved_, saved_);
        ::SetCurrentDirectoryA(temp);
        ::DeleteFileA(kProfile);
    }
    void TearDown() override {
        ::DeleteFileA(kProfile);
        ::SetCurrentDirectoryA(saved_);
    }
    char saved_[MAX_PATH] = {};
};

TEST_F(FrameworkRecentFiles, PersistAcrossRunsAndShowAboveExit) {
    {
        TMruApp first;
        first.Steps.push_back([&] {
            EXPECT_EQ(FileMenuTexts(first.GetMainWindow()->GetHandle()),
                      (std::vector<std::string>{"&New", "&Open...", "-", "E&xit\tAlt+F4"}));
            first.SaveMenuChoice("C:\\replays\\a.lrx");
            first.SaveMenuChoice("C:\\R&D\\b.lrx");
            first.SaveMenuChoice("c:\\REPLAYS\\A.LRX");
        });
        first.RunSteps();
    }
    char stored[300];
    ::GetPrivateProfileStringA(TRecentFiles::Section, "File1", "", stored, sizeof stored, kProfile);
    EXPECT_STREQ(stored, "c:\\REPLAYS\\A.LRX");

    TMruApp second;  // a new run reads what the first one left
    second.Steps.push_back([&] {
        HWND frame = second.GetMainWindow()->GetHandle();
        const std::vector<std::string> expected{
            "&New", "&Open...",     "-", "&1 c:\\REPLAYS\\A.LRX", "&2 C:\\R&&D\\b.lrx",
            "-",    "E&xit\tAlt+F4"};
        EXPECT_EQ(FileMenuTexts(frame), expected);
        EXPECT_EQ(FileMenuTexts(frame), expected);  // opening again replaces, never adds
        ::SendMessageA(frame, WM_COMMAND, TRecentFiles::FirstCommandId + 1, 0);
        second.SaveMenuChoice("C:\\new.lrx");
        EXPECT_EQ(FileMenuTexts(frame)[3], "&1 C:\\new.lrx");
        EXPECT_EQ(FileMenuTexts(frame).size(), expected.size() + 1);
    });
    second.RunSteps();
    EXPECT_EQ(second.opened, std::vector<std::string>{"C:\\R&D\\b.lrx"});
    char path[8];
    EXPECT_FALSE(second.GetMenuText(TRecentFiles::FirstCommandId + 1, path, sizeof path));
    EXPECT_STREQ(path, "c:\\REPL");
    EXPECT_FALSE(second.GetMenuText(TRecentFiles::FirstCommandId + 3, path, sizeof path));
}

}  // namespace
}  // namespace lrx::fw::test
