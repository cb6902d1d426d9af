#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
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

// What the user does and sees: answers to prompts and questions, clicks
// during an engine call, and a log of boxes (with the rows under them),
// progress status lines and caption changes.
struct Script {
    std::string log;
    std::deque<std::optional<std::string>> files;
    std::deque<int> answers;
    std::function<void(class Dialog&)> onPump;
    std::function<void()> onClose;
    int filesDone = 0;  // IndicateNext calls
};

// A progress dialog over the engine's stand-in window.
class Dialog : public DropProgressDialog, public MailboxView {
  public:
    explicit Dialog(Script& script) : script_(script) {
        window_.OnMailboxChange([this](HostWindow& w) { client.Changed(w.MailboxText()); });
        client.Setup();
    }
    EngineWindow Handle() override { return window_.handle(); }
    void Close() override { script_.onClose ? script_.onClose() : void(); }
    void IndicateNext() override { ++script_.filesDone; }
    void SetPercent(int value) override { percent = value; }
    void SetStatusText(const std::string& text) override { script_.log += "status " + text + "\n"; }
    int AskOverwrite(const std::string& path) override {
        script_.log += "ask " + std::filesystem::path(path).filename().string() + "\n";
        const int answer = script_.answers.front();
        script_.answers.pop_front();
        return answer;
    }
    void WriteMailbox(const std::string& text) override { window_.SetMailboxText(text); }
    void PumpWaitingMessages() override { script_.onPump ? script_.onPump(*this) : void(); }

    MailboxClient client{*this};
    int percent = 0;

  private:
    Script& script_;
    HostWindow window_;
};

class RecordingView : public CommandView {
  public:
    void ShowMessage(const std::string& text, const std::string& caption, MessageStyle) override {
        const std::string rows = std::to_string(model.List().RowCount());
        script.log += caption + ": " + text + " (rows " + rows + ")\n";
    }
    std::optional<std::string> ChooseFile(const FilePrompt& prompt) override {
        script.log += "file " + prompt.title + "\n";
        const auto answer = script.files.front();
        script.files.pop_front();
        return answer;
    }
    std::optional<std::string> ChooseFolder(const std::string& title) override {
        script.log += "folder " + title + "\n";
        return folder;
    }
    std::unique_ptr<ProgressDialog> CreateProgress() override {
        return std::make_unique<Dialog>(script);
    }
    std::unique_ptr<DropProgressDialog> CreateDropProgress(int) override {
        return std::make_unique<Dialog>(script);
    }
    void SetCaption(const std::string& text) override {
        if (text != caption) script.log += "caption " + text + "\n";
        caption = text;
    }
    void SetStatusText(const std::string& text) override { status = text; }
    void SetScrollPosition(int position) override { thumb = position; }
    void RepaintList() override {}
    void SortFiles() override { model.SortFiles(); }
    int CountFiles() override { return model.CountFiles(); }
    void CmFileNew() override { commands.CmFileNew(); }
    bool DoAddReplay(const std::string& path, DropProgressDialog* dialog) override {
        return commands.DoAddReplay(path, dialog);
    }
    std::string Names() const {
        std::string names;
        for (int r = 0; r < model.List().RowCount(); ++r) names += model.List().Row(r).name;
        return names;
    }

    PortableLocale locale;
    ListWindowModel model{1440, 96, locale};
    ArchiveCommands commands{model, *this};
    Script script;
    std::string caption, status;
    std::optional<std::string> folder;
    int thumb = -1;
};

class Commands : public ::testing::Test {
  protected:
    std::string Replay(const std::string& name, uint32_t seed, int frames = 40) {
        WriteFile(dir_ / name, lrx::test::SampleReplay(seed, frames));
        return dir_ / name;
    }

    lrx::test::ScratchDir dir_;
    RecordingView view_;
    const std::string archive_ = dir_ / "t.lrx";
};

TEST_F(Commands, OpenAddDropAndDelete) {
    const std::string r1 = Replay("r1.rpl", 1), r2 = Replay("r2.rpl", 2), r3 = Replay("r3.rpl", 3);
    WriteFile(dir_ / "notes.txt", Bytes(40, 'j'));
    view_.script.files = {r1, archive_};
    view_.commands.CmAddReplay();
    view_.commands.DoOpenFile(dir_ / "gone.lrx");
    view_.commands.DoOpenFile(std::string(256, 'a'));
    EXPECT_EQ(view_.status, "t.lrx  (1 files)");  // a failed open leaves the status line
    view_.model.Geometry().SetTopLine(7);
    view_.thumb = 7;
    ASSERT_TRUE(view_.commands.DoOpenFile(archive_));
    EXPECT_EQ(view_.thumb, 0);

    view_.commands.DropFiles({r2, dir_ / "notes.txt", r3});
    EXPECT_EQ(view_.script.filesDone, 2);
    EXPECT_EQ(view_.Names(), "r1.rplr2.rpl");
    view_.model.List().ClickRow(0, false, false);
    view_.commands.CmRepDelete();
    EXPECT_EQ(view_.Names(), "r2.rpl");
    view_.model.EvKeyDown(ListKey::kSelectAll, false);
    view_.commands.CmRepDelete();

    // No archive open: a drop asks for one once.
    view_.script.files = {archive_};
    view_.commands.DropFiles({r1, r3});
    EXPECT_EQ(view_.Names(), "r1.rplr3.rpl");
    // The listing after a successful add fails: the view is emptied first.
    view_.script.onClose = [&] { std::filesystem::remove(archive_); };
    view_.commands.DoAddReplay(r2);
    EXPECT_FALSE(view_.model.List().ArchiveOpen());
    EXPECT_EQ(view_.script.log,
              "file Add Replay\nfile New Archive\nstatus Adding r1.rpl...\n"
              "caption LRXWin - t.lrx\ncaption LRXWin\n"
              "Open Error: Reading file info (rows 0)\n"
              "Open Error: The path is longer than 255 characters. (rows 0)\n"
              "caption LRXWin - t.lrx\nstatus Adding r2.rpl...\nstatus Adding notes.txt...\n"
              "Add File Error: Reading header (rows 0)\n"
              "Delete Files: Removed empty archive (rows 1)\ncaption LRXWin\n"
              "file New Archive\nstatus Adding r1.rpl...\ncaption LRXWin - t.lrx\n"
              "status Adding r3.rpl...\nstatus Adding r2.rpl...\ncaption LRXWin\n"
              "Add File Error: Reading file info (rows 0)\n");
}

TEST_F(Commands, ExtractAnswersTheOverwriteQuestion) {
    const Bytes x1 = lrx::test::SampleReplay(11, 30), x2 = lrx::test::SampleReplay(12, 30);
    WriteFile(dir_ / "x1.rpl", x1);
    WriteFile(dir_ / "x2.rpl", x2);
    view_.script.files = {archive_};
    view_.commands.DropFiles({dir_ / "x1.rpl", dir_ / "x2.rpl"});
    // Longer than the 49 characters the question was once read with.
    const std::string out = dir_ / "a folder whose name is long enough for that question";
    std::filesystem::create_directory(out);
    view_.folder = out;
    const Bytes old(5, 'o');
    struct Case {
        std::deque<int> answers;
        bool all, abortAfterFirstAnswer;
        Bytes first, second;
        std::string log;
    };
    const std::string all = "folder Select firectory for extraction\n";
    const std::string selected = "folder Select directory for extraction\n";
    const std::string aborted = "Extract Error: Aborted (rows 2)\n";
    const std::string at1 = "status Extracting x1.rpl...\n", at2 = "status Extracting x2.rpl...\n";
    const std::string firstAsked = all + at1 + "ask x1.rpl\n" + at2;
    const Case cases[] = {
        // The abort waits for the engine to read the Yes, then holds: no
        // second question, nothing written; the box shows before the close.
        // The status line then names x1, whose decoding stopped, and x2 again.
        {{0, 0}, true, true, old, old, firstAsked + at1 + at2 + aborted + "close\n"},
        {{1, 0}, true, false, old, x2, firstAsked + "ask x2.rpl\nclose\n"},
        {{2}, true, false, x1, x2, firstAsked + "close\n"},
        {{0}, false, false, old, x2, selected + at2 + "ask x2.rpl\nclose\n"},
    };
    view_.script.onClose = [&] { view_.script.log += "close\n"; };
    for (const Case& c : cases) {
        WriteFile(out + "/x1.rpl", old);
        WriteFile(out + "/x2.rpl", old);
        view_.script.log.clear();
        view_.script.answers = c.answers;
        view_.script.onPump = [&](Dialog& dialog) {
            if (c.abortAfterFirstAnswer && dialog.client.QuestionPending()) dialog.client.Abort();
        };
        view_.model.List().ClickRow(1, false, false);
        c.all ? view_.commands.CmFileExtractAll() : view_.commands.CmRepExtractSel();
        EXPECT_EQ(view_.script.log, c.log);
        EXPECT_TRUE(ReadFile(out + "/x1.rpl") == c.first && ReadFile(out + "/x2.rpl") == c.second)
            << c.log;
    }
}

TEST_F(Commands, AbortInTheMiddleAndRefusalsWhileBusy) {
    const std::string small = Replay("s.rpl", 5);
    view_.script.files = {small, archive_, Replay("big.rpl", 6, 3000)};
    view_.commands.CmAddReplay();
    const Bytes before = ReadFile(archive_);
    bool clicked = false;
    view_.script.onPump = [&](Dialog& dialog) {
        if (dialog.percent == 0 || std::exchange(clicked, true)) return;
        EXPECT_FALSE(view_.commands.CanClose());
        EXPECT_TRUE(view_.commands.RefusesCommand(11684) && !view_.commands.RefusesCommand(2001));
        view_.commands.CmFileNew();
        view_.commands.DropFiles({small});
        dialog.client.Abort();
    };
    view_.script.log.clear();
    view_.commands.CmAddReplay();
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(ReadFile(archive_) == before);
    EXPECT_EQ(view_.script.log,
              "file Add Replay\nstatus Adding big.rpl...\n"
              "LRXWin: Please wait until the current operation has finished. (rows 1)\n"
              "Add File Error: Aborted (rows 1)\n");
}

}  // namespace
}  // namespace lrx::mgr::test
