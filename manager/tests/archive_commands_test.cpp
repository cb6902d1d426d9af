#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive_commands.h"
#include "host_window.h"
#include "lrxpack.h"
#include "mailbox_client.h"
#include "sample_replays.h"
#include "test_files.h"

namespace lrx::mgr::test {
namespace {

using lrx::test::Bytes;
using lrx::test::ReadFile;
using lrx::test::WriteFile;

class RecordingView;

// A progress dialog over the engine's stand-in window.
class TestDialog : public DropProgressDialog, public MailboxView {
  public:
    TestDialog(RecordingView& view, int fileTotal) : view_(view), counter_(fileTotal) {
        window_.OnMailboxChange([this](HostWindow& w) { client.Changed(w.MailboxText()); });
        client.Setup();
    }
    EngineWindow Handle() override { return window_.handle(); }
    void Close() override;
    void IndicateNext() override { counter_.IndicateNext(); }
    void SetPercent(int percent) override { percent_ = percent; }
    void SetStatusText(const std::string&) override {}
    int AskOverwrite(const std::string& path) override;
    void WriteMailbox(const std::string& text) override { window_.SetMailboxText(text); }
    void PumpWaitingMessages() override;

    MailboxClient client{*this};
    int Done() const { return counter_.Done(); }
    int Percent() const { return percent_; }

  private:
    RecordingView& view_;
    DropCounter counter_;
    HostWindow window_;
    int percent_ = 0;
};

class RecordingView : public CommandView {
  public:
    void ShowMessage(const std::string& text, const std::string& caption, MessageStyle) override {
        log.push_back(caption + ": " + text + " (rows " + std::to_string(model.List().RowCount()) +
                      ")");
    }
    std::optional<std::string> ChooseFile(const FilePrompt& prompt) override {
        log.push_back("file " + prompt.title);
        auto answer = files.empty() ? std::nullopt : files.front();
        if (!files.empty()) files.pop_front();
        return answer;
    }
    std::optional<std::string> ChooseFolder(const std::string& title) override {
        log.push_back("folder " + title);
        return folder;
    }
    std::unique_ptr<ProgressDialog> CreateProgress() override {
        return std::make_unique<TestDialog>(*this, 0);
    }
    std::unique_ptr<DropProgressDialog> CreateDropProgress(int fileTotal) override {
        auto dialog = std::make_unique<TestDialog>(*this, fileTotal);
        drop = dialog.get();
        return dialog;
    }
    void SetCaption(const std::string& text) override { caption = text; }
    void SetStatusText(const std::string& text) override { status = text; }
    void SetScrollPosition(int position) override { thumb = position; }
    void RepaintList() override {}
    void SortFiles() override { model.SortFiles(); }
    int CountFiles() override { return model.CountFiles(); }
    void CmFileNew() override { commands.CmFileNew(); }
    bool DoAddReplay(const std::string& path, DropProgressDialog* dialog) override {
        return commands.DoAddReplay(path, dialog);
    }

    PortableLocale locale;
    ListWindowModel model{1440, 96, locale};
    ArchiveCommands commands{model, *this};
    std::vector<std::string> log;
    std::deque<std::optional<std::string>> files;
    std::optional<std::string> folder;
    std::deque<int> answers;
    std::function<void(TestDialog&)> onPump;  // what the user does during an engine call
    std::function<void()> onClose;
    TestDialog* drop = nullptr;
    std::string caption, status;
    int thumb = -1;
};

void TestDialog::Close() {
    if (view_.onClose) view_.onClose();
}

int TestDialog::AskOverwrite(const std::string& path) {
    view_.log.push_back("ask " + std::filesystem::path(path).filename().string());
    const int answer = view_.answers.front();
    view_.answers.pop_front();
    return answer;
}

void TestDialog::PumpWaitingMessages() {
    if (view_.onPump) view_.onPump(*this);
}

class Commands : public ::testing::Test {
  protected:
    std::string Replay(const std::string& name, uint32_t seed, int frames = 40) {
        const std::string path = dir_ / name;
        WriteFile(path, lrx::test::SampleReplay(seed, frames));
        return path;
    }
    std::string Names() const {
        std::string names;
        const ArchiveList& list = view_.model.List();
        for (int r = 0; r < list.RowCount(); ++r) names += std::string(list.Row(r).name) + " ";
        return names;
    }

    lrx::test::ScratchDir dir_;
    RecordingView view_;
    const std::string archive_ = dir_ / "t.lrx";
};

TEST_F(Commands, OpenAddDropAndDelete) {
    const std::string r1 = Replay("r1.rpl", 1), r2 = Replay("r2.rpl", 2), r3 = Replay("r3.rpl", 3);
    const std::string junk = dir_ / "notes.txt";
    WriteFile(junk, Bytes(40, 'j'));

    view_.files = {r1, archive_};
    view_.commands.CmAddReplay();
    EXPECT_EQ(view_.caption, "LRXWin - t.lrx");

    view_.commands.DoOpenFile(dir_ / "gone.lrx");
    view_.commands.DoOpenFile(std::string(256, 'a'));
    EXPECT_EQ(view_.caption, "LRXWin");
    EXPECT_EQ(view_.status, "t.lrx  (1 files)");  // a failed open leaves the status line
    view_.model.Geometry().SetTopLine(7);
    view_.thumb = 7;
    ASSERT_TRUE(view_.commands.DoOpenFile(archive_));
    EXPECT_EQ(view_.thumb, 0);  // New moves the thumb back with TopLine

    view_.commands.DropFiles({r2, junk, r3});
    EXPECT_EQ(view_.drop->Done(), 2);
    EXPECT_EQ(Names(), "r1.rpl r2.rpl ");

    view_.model.List().ClickRow(0, false, false);
    view_.commands.CmRepDelete();
    EXPECT_EQ(Names(), "r2.rpl ");
    EXPECT_EQ(view_.status, "t.lrx  (1 files)");

    view_.model.EvKeyDown(ListKey::kSelectAll, false);
    view_.commands.CmRepDelete();
    EXPECT_FALSE(std::filesystem::exists(archive_));
    EXPECT_FALSE(view_.model.List().ArchiveOpen());

    // No archive open: the drop asks for one once, under the drop's dialog.
    view_.files = {archive_};
    view_.commands.DropFiles({r1, r3});
    EXPECT_EQ(Names(), "r1.rpl r3.rpl ");

    // The listing after a successful add fails: the view is empty before the box.
    view_.onClose = [&] { std::filesystem::remove(archive_); };
    view_.commands.DoAddReplay(r2);
    EXPECT_FALSE(view_.model.List().ArchiveOpen());

    const std::vector<std::string> expected = {
        "file Add Replay",
        "file New Archive",
        "Open Error: Reading file info (rows 0)",
        "Open Error: The path is longer than 255 characters. (rows 0)",
        "Add File Error: Reading header (rows 0)",
        "Delete Files: Removed empty archive (rows 1)",
        "file New Archive",
        "Add File Error: Reading file info (rows 0)",
    };
    EXPECT_EQ(view_.log, expected);
}

TEST_F(Commands, ExtractAnswersTheOverwriteQuestion) {
    const Bytes x1 = lrx::test::SampleReplay(11, 30), x2 = lrx::test::SampleReplay(12, 30);
    WriteFile(dir_ / "x1.rpl", x1);
    WriteFile(dir_ / "x2.rpl", x2);
    for (const char* name : {"x1.rpl", "x2.rpl"}) {
        std::string a = archive_, r = dir_ / name;
        ASSERT_EQ(sJTU(a.data(), r.data(), nullptr, false), LRX_OK);
    }
    ASSERT_TRUE(view_.commands.DoOpenFile(archive_));
    const std::string out = dir_ / "out";
    std::filesystem::create_directory(out);
    view_.folder = out;
    const Bytes old(5, 'o');
    struct Case {
        std::deque<int> answers;
        bool all;
        Bytes first, second;
        const char* asked;
    };
    const Case cases[] = {
        {{1, 0}, true, old, x2, "x1.rpl x2.rpl "},
        {{2}, true, x1, x2, "x1.rpl "},
        {{0}, false, old, x2, "x2.rpl "},
    };
    for (const Case& c : cases) {
        WriteFile(out + "/x1.rpl", old);
        WriteFile(out + "/x2.rpl", old);
        view_.log.clear();
        view_.answers = c.answers;
        view_.model.List().ClickRow(1, false, false);
        c.all ? view_.commands.CmFileExtractAll() : view_.commands.CmRepExtractSel();
        std::string asked;
        for (const std::string& entry : view_.log)
            if (entry.rfind("ask ", 0) == 0) asked += entry.substr(4) + " ";
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(view_.log.front(), c.all ? "folder Select firectory for extraction"
                                           : "folder Select directory for extraction");
        EXPECT_TRUE(ReadFile(out + "/x1.rpl") == c.first) << c.asked;
        EXPECT_TRUE(ReadFile(out + "/x2.rpl") == c.second) << c.asked;
    }
}

TEST_F(Commands, AbortInTheMiddleAndRefusalsWhileBusy) {
    const std::string small = Replay("s.rpl", 5), big = Replay("big.rpl", 6, 3000);
    view_.files = {small, archive_};
    view_.commands.CmAddReplay();
    const Bytes before = ReadFile(archive_);

    bool clicked = false;
    view_.onPump = [&](TestDialog& dialog) {
        if (clicked || dialog.Percent() == 0) return;
        clicked = true;
        EXPECT_FALSE(view_.commands.CanClose());
        EXPECT_TRUE(view_.commands.RefusesCommand(11684));
        EXPECT_FALSE(view_.commands.RefusesCommand(2001));
        view_.commands.CmFileNew();
        view_.commands.DropFiles({small});
        dialog.client.Abort();
    };
    view_.log.clear();
    view_.files = {big};
    view_.commands.CmAddReplay();
    EXPECT_TRUE(clicked);
    EXPECT_EQ(view_.caption, "LRXWin - t.lrx");
    EXPECT_TRUE(ReadFile(archive_) == before);
    const std::vector<std::string> expected = {
        "file Add Replay",
        "LRXWin: Please wait until the current operation has finished. (rows 1)",
        "Add File Error: Aborted (rows 1)",
    };
    EXPECT_EQ(view_.log, expected);
}

}  // namespace
}  // namespace lrx::mgr::test
