// Dialogs from resources: a modeless one with bound controls, modal ones
// answered through the prompt seam or closed from inside their own loop.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "controls.h"
#include "dialog.h"
#include "prompt.h"
#include "test_resources.h"

namespace lrx::fw::test {
namespace {

constexpr UINT WM_PROGRESS_ANSWER = WM_USER + 5;

class TProgress : public TDialog {
  public:
    TProgress()
        : TDialog(nullptr, IDD_PROGRESS),
          Status(this, IDC_STATUS),
          Gauge(this, IDC_GAUGE),
          Mailbox(this, IDC_MAILBOX),
          Abort(this, IDC_ABORT) {}
    static const TResponseTable& Table() {
        static constexpr TResponseEntry entries[] = {
            EvChild<&TProgress::ENChange>(IDC_MAILBOX, EN_CHANGE),
            EvCommand<&TProgress::AbortClicked>(IDC_ABORT),
            EvMessage<&TProgress::Answer>(WM_PROGRESS_ANSWER),
            EvMessage<&TProgress::Notified>(WM_NOTIFY),
        };
        static constexpr TResponseTable table{entries, &TDialog::Table};
        return table;
    }
    const TResponseTable& Responses() const override { return Table(); }

    void SetupWindow() override {
        TDialog::SetupWindow();
        setupSawStatus = Status.GetText();
        Mailbox.SetText("0");
    }

    TStatic Status;
    TGauge Gauge;
    TEdit Mailbox;
    TButton Abort;
    std::string setupSawStatus;
    std::string lastLine;
    int changes = 0;
    int aborts = 0;

  private:
    void ENChange() {
        char line[8];
        Mailbox.GetLine(line, sizeof line);
        lastLine = line;
        ++changes;
        const long value = std::atol(line);
        if (value <= 100) Gauge.SetValue(static_cast<int>(value));
    }
    void AbortClicked() {
        ++aborts;
        Mailbox.SetText("999");
    }
    LRESULT Answer(WPARAM w, LPARAM) { return static_cast<LRESULT>(w) * 2; }
    LRESULT Notified() { return 77; }
};

TEST(FrameworkDialog, ModelessDialogBindsItsControlsAndClosesWithOk) {
    TProgress dialog;
    ASSERT_TRUE(dialog.Create());
    EXPECT_TRUE(dialog.IsVisible());
    EXPECT_EQ(dialog.setupSawStatus, "Adding replay...");  // bound before SetupWindow
    EXPECT_EQ(dialog.lastLine, "0");
    dialog.Mailbox.SetText("57");
    EXPECT_EQ(dialog.Gauge.GetValue(), 57);

    // The line is cut to what the buffer holds, and always terminated.
    dialog.Mailbox.SetText("998C:\\very\\long\\path.rpl");
    EXPECT_EQ(dialog.lastLine, "998C:\\v");
    char line[4] = {'x', 'x', 'x', 'x'};
    EXPECT_FALSE(dialog.Mailbox.GetLine(line, sizeof line));
    EXPECT_STREQ(line, "998");

    // Handled messages return their results through DWLP_MSGRESULT; others
    // get the dialog manager's default.
    EXPECT_EQ(dialog.SendMessage(WM_PROGRESS_ANSWER, 21), 42);
    NMHDR header{dialog.GetHandle(), 5, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(dialog.SendMessage(WM_NOTIFY, 5, reinterpret_cast<LPARAM>(&header)), 77);
    EXPECT_EQ(dialog.SendMessage(WM_GETDLGCODE), 0);

    dialog.Abort.SendMessage(BM_CLICK);
    EXPECT_EQ(dialog.aborts, 1);
    EXPECT_EQ(dialog.lastLine, "999");

    const int changes = dialog.changes;
    dialog.SendMessage(WM_COMMAND, IDOK);
    EXPECT_EQ(dialog.GetHandle(), nullptr);
    EXPECT_EQ(dialog.Mailbox.GetHandle(), nullptr);
    dialog.Mailbox.SetText("1");  // no window: nothing happens
    EXPECT_EQ(dialog.changes, changes);
}

class TQuestion : public TDialog {
  public:
    TQuestion(TWindow* parent, const char* path)
        : TDialog(parent, IDD_QUESTION), Message(this, IDC_MESSAGE), path_(path) {}
    static const TResponseTable& Table() {
        static constexpr TResponseEntry entries[] = {
            EvCommand<&TQuestion::OYes>(IDOK),
            EvCommand<&TQuestion::ONo>(IDCANCEL),
            EvCommand<&TQuestion::OAlways>(IDC_ALWAYS),
            EvMessage<&TQuestion::EvTimer>(WM_TIMER),
        };
        static constexpr TResponseTable table{entries, &TDialog::Table};
        return table;
    }
    const TResponseTable& Responses() const override { return Table(); }
    void SetupWindow() override {
        TDialog::SetupWindow();
        char text[300];
        std::snprintf(text, sizeof text, "%s exists.", path_.c_str());
        Message.SetText(text);
    }
    TStatic Message;
    bool closedByTimer = false;

  private:
    void OYes() { CloseWindow(0); }
    void ONo() { CloseWindow(1); }
    void OAlways() { CloseWindow(2); }
    void EvTimer(WPARAM id, LPARAM) {
        ::KillTimer(GetHandle(), id);
        closedByTimer = true;
        CloseWindow(5);
    }
    std::string path_;
};

// Execute returns what CloseWindow was given: by a button pressed while the
// prompt seam has the set-up dialog, by an answer before it shows, or from
// the dialog's own loop when nobody answers.
TEST(FrameworkDialog, ModalExecuteReturnsWhatCloseWindowWasGiven) {
    std::string seen;
    TScopedPromptAnswerer pressAlways([&](TPrompt& prompt) -> std::optional<int> {
        EXPECT_EQ(prompt.ResourceId, IDD_QUESTION);
        auto* question = static_cast<TQuestion*>(prompt.Dialog);
        seen = prompt.Caption + ": " + question->Message.GetText();
        question->SendMessage(WM_COMMAND, IDC_ALWAYS);
        return std::nullopt;
    });
    TQuestion question(nullptr, "C:\\out\\race.rpl");
    EXPECT_EQ(question.Execute(), 2);
    EXPECT_EQ(seen, "Overwrite Replay?: C:\\out\\race.rpl exists.");
    EXPECT_EQ(question.GetHandle(), nullptr);
    {
        TScopedPromptAnswerer answer([](TPrompt&) -> std::optional<int> { return 1; });
        EXPECT_EQ(TQuestion(nullptr, "x.rpl").Execute(), 1);
    }
    TScopedPromptAnswerer ownLoop([](TPrompt& prompt) -> std::optional<int> {
        ::SetTimer(prompt.Dialog->GetHandle(), 1, 20, nullptr);  // shows, then closes itself
        return std::nullopt;
    });
    TQuestion timed(nullptr, "x.rpl");
    EXPECT_EQ(timed.Execute(), 5);
    EXPECT_TRUE(timed.closedByTimer);
}

}  // namespace
}  // namespace lrx::fw::test
