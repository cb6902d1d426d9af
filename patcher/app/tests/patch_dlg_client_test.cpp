// The wizard's window classes in-process: the frame and its dialog, the
// buttons and keys, every prompt answered through the prompt seam, and timer
// ticks posted by the test (the real timer is stopped) so runs are exact.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app_test_support.h"
#include "patch_app.h"
#include "patch_dlg_client.h"
#include "patch_resource_ids.h"
#include "patch_texts.h"
#include "prompt.h"
#include "sdi_dec_frame.h"

namespace kqp::test {
namespace {

using namespace lrx::fw;

constexpr const char* kChooseText =
    "Select the patch file (.kqp) to be used.\nPress Next to begin.";

// Runs the steps one at a time whenever the program is idle (the wizard has
// nothing to do until the next tick), then closes the main window. A
// watchdog ends a run that hangs.
class TPatchTestApp : public TPatchApp {
  public:
    using Step = std::function<void()>;

    explicit TPatchTestApp(std::optional<std::string> patchFile = std::nullopt)
        : TPatchApp(std::move(patchFile)) {
        nCmdShow = SW_SHOWNORMAL;
    }
    ~TPatchTestApp() override {
        if (watchdog_) ::KillTimer(nullptr, watchdog_);
    }

    static const TResponseTable& Table() {
        static constexpr TResponseEntry entries[] = {
            EvMessage<&TPatchTestApp::EvTimer>(WM_TIMER),
        };
        static constexpr TResponseTable table{entries, &TPatchApp::Table};
        return table;
    }
    const TResponseTable& Responses() const override { return Table(); }

    void InitMainWindow() override {
        TPatchApp::InitMainWindow();
        ::KillTimer(nullptr, Dialog().TimerId());
        watchdog_ = ::SetTimer(nullptr, 0, 20000, nullptr);
    }

    bool IdleAction(long idleCount) override {
        if (TPatchApp::IdleAction(idleCount)) return true;
        if (!Steps.empty()) {
            Step step = std::move(Steps.front());
            Steps.pop_front();
            step();
            return true;
        }
        if (!closing_ && GetMainWindow() && GetMainWindow()->GetHandle()) {
            closing_ = true;
            GetMainWindow()->PostMessage(WM_CLOSE);
        }
        return false;
    }

    int RunSteps() {
        const int result = Run();
        EXPECT_FALSE(timedOut_) << "the run hung and was ended by the watchdog";
        EXPECT_TRUE(Steps.empty()) << Steps.size() << " step(s) never ran";
        return result;
    }

    TSDIDecFrame& Frame() { return static_cast<TSDIDecFrame&>(*GetMainWindow()); }
    TPatchDlgClient& Dialog() { return Frame().Client(); }
    int WizardStep() { return Dialog().Wizard().step(); }

    // A tick of the wizard's timer, posted as the system posts it.
    void Tick() { ::PostThreadMessageA(::GetCurrentThreadId(), WM_TIMER, Dialog().TimerId(), 0); }
    // Queues ticks, one per idle round, until the wizard is in the step.
    void TickUntilStep(int step) {
        Steps.push_back([this, step] { KeepTicking(step, 0); });
    }

    std::deque<Step> Steps;

  private:
    void KeepTicking(int step, int ticks) {
        if (WizardStep() == step) return;
        if (ticks == 100) {
            ADD_FAILURE() << "step " << step << " never came; still in " << WizardStep();
            return;
        }
        Tick();
        Steps.push_front([this, step, ticks] { KeepTicking(step, ticks + 1); });
    }

    LRESULT EvTimer(WPARAM id, LPARAM lParam) {
        if (!watchdog_ || id != watchdog_) return TPatchApp::EvTimer(id, lParam);
        timedOut_ = true;
        ::KillTimer(nullptr, watchdog_);
        watchdog_ = 0;
        if (GetMainWindow() && GetMainWindow()->GetHandle()) {
            ::DestroyWindow(GetMainWindow()->GetHandle());
        }
        return 0;
    }

    UINT_PTR watchdog_ = 0;
    bool timedOut_ = false;
    bool closing_ = false;
};

// Answers every prompt: message boxes with OK, questions and file choices
// from the queues. An unexpected prompt fails the test but is answered too.
struct SeenPrompt {
    TPromptKind kind;
    HWND owner;
    std::string text;
    std::string caption;
    UINT style;
    std::string filter;
    std::string defaultExtension;
};

class PromptScript {
  public:
    std::optional<int> Answer(TPrompt& prompt) {
        seen.push_back({prompt.Kind, prompt.Owner, prompt.Text, prompt.Caption, prompt.Style,
                        prompt.FileData ? prompt.FileData->Filter : "",
                        prompt.FileData ? prompt.FileData->DefExt : ""});
        if (prompt.Kind == TPromptKind::MessageBox) {
            if ((prompt.Style & MB_TYPEMASK) != MB_YESNO) return IDOK;
            if (answers.empty()) {
                ADD_FAILURE() << "unexpected question: " << prompt.Text;
                return IDNO;
            }
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        }
        if (prompt.Kind == TPromptKind::FileOpen && !files.empty()) {
            const std::optional<std::string> file = files.front();
            files.pop_front();
            if (!file) return IDCANCEL;
            prompt.FileData->FileName = *file;
            return IDOK;
        }
        ADD_FAILURE() << "unexpected prompt " << static_cast<int>(prompt.Kind);
        return IDCANCEL;
    }

    std::vector<SeenPrompt> seen;
    std::deque<int> answers;
    std::deque<std::optional<std::string>> files;

  private:
    TScopedPromptAnswerer answerer_{[this](TPrompt& prompt) { return Answer(prompt); }};
};

void Click(TButton& button) {
    button.SendMessage(BM_CLICK);
}

void ExpectMessage(const SeenPrompt& seen, HWND owner, const std::string& text, const char* caption,
                   UINT style) {
    EXPECT_EQ(seen.kind, TPromptKind::MessageBox);
    EXPECT_EQ(seen.owner, owner);
    EXPECT_EQ(seen.text, text);
    EXPECT_EQ(seen.caption, caption);
    EXPECT_EQ(seen.style, style);
}

void ExpectFirstStep(TPatchDlgClient& dialog, bool nextUsable) {
    EXPECT_EQ(dialog.InfoText().GetText(), kChooseText);
    EXPECT_FALSE(dialog.Gauge().IsVisible());
    EXPECT_EQ(dialog.NextButton().GetText(), "&Next");
    EXPECT_EQ(dialog.NextButton().IsVisible(), nextUsable);
    EXPECT_EQ(dialog.NextButton().IsEnabled(), nextUsable);
    EXPECT_EQ(dialog.CancelButton().GetText(), "&Close");
}

TEST(PatchWindow, CancelAndTheCloseBoxAskDuringARunAndNoLetsItGoOn) {
    GameFolder game;
    const std::string patch = game.WritePatch("full.kqp", Build(game.FullPatch("Racing 1.3")));
    PromptScript prompts;
    prompts.answers = {IDNO, IDNO, IDYES};
    TPatchTestApp app(patch);
    HWND dialogHandle = nullptr;
    app.Steps.push_back([&] {
        // Named on the command line: finding before the first tick.
        EXPECT_EQ(app.WizardStep(), kFindingStep);
        EXPECT_EQ(app.Frame().GetCaption(), "KQPatch - Racing 1.3");
        dialogHandle = app.Dialog().GetHandle();
        ::SetFocus(app.Dialog().NextButton().GetHandle());
    });
    app.TickUntilStep(kUpdatingStep);  // the first record follows at once
    app.Steps.push_back([&] {
        TPatchDlgClient& dialog = app.Dialog();
        EXPECT_EQ(::GetFocus(), dialog.CancelButton().GetHandle());  // Next is hidden
        EXPECT_EQ(dialog.Gauge().GetValue(), 1);
        Click(dialog.CancelButton());  // answered No
        EXPECT_EQ(app.WizardStep(), kUpdatingStep);
        // The close box asks too; No keeps the window.
        app.Frame().SendMessage(WM_CLOSE);
        EXPECT_TRUE(app.Frame().GetHandle());
        app.Tick();
    });
    app.Steps.push_back([&] {
        TPatchDlgClient& dialog = app.Dialog();
        EXPECT_EQ(dialog.Gauge().GetValue(), 2);
        EXPECT_EQ(ReadBytes(game.File("B.DAT")), Pattern(20000));
        ::PostMessageA(dialog.CancelButton().GetHandle(), WM_KEYDOWN, VK_ESCAPE, 0);  // Yes
    });
    EXPECT_EQ(app.RunSteps(), 0);
    EXPECT_EQ(app.GetMainWindow()->GetHandle(), nullptr);

    ASSERT_EQ(prompts.seen.size(), 3u);
    for (const SeenPrompt& question : prompts.seen) {
        ExpectMessage(question, dialogHandle, kAbortQuestion, kAbortCaption,
                      MB_YESNO | MB_ICONQUESTION);
    }
    // The run stopped where it was: the later records were not carried out.
    EXPECT_EQ(ReadBytes(game.File("DATA\\MAP.DAT")), Bytes(50, 'm'));
    EXPECT_EQ(ReadBytes(game.File("C.OLD")), Bytes(10, 'c'));
}

// Patches chosen with Next: the dialog cancelled, a missing file, one whose
// directory is not found, and one whose payload ends early.
TEST(PatchWindow, ErrorsAreShownByTheDialogAndReturnToTheFirstStep) {
    GameFolder game;
    kqpmake::PatchContent lost = game.Patch("Lost", {});
    lost.directories[0].key = game.registry.path() + "\\Missing";
    Bytes cut = Build(
        game.Patch("Cut", {FileRecordItem(kGameDirectoryId, "B.DAT", kAdd, Pattern(8192 + 100))}));
    cut.resize(cut.size() - 50);
    PromptScript prompts;
    prompts.files = {std::nullopt, game.scratch / "missing.kqp",
                     game.WritePatch("lost.kqp", Build(lost)), game.WritePatch("cut.kqp", cut)};
    TPatchTestApp app;
    HWND dialog = nullptr;
    app.Steps.push_back([&] {
        dialog = app.Dialog().GetHandle();
        EXPECT_EQ(app.Frame().GetCaption(), kAppName);
        ExpectFirstStep(app.Dialog(), true);
        // OK never closes; Enter presses Next, which asks for a file.
        app.Dialog().SendMessage(WM_COMMAND, IDOK);
        ::PostMessageA(app.Dialog().InfoText().GetHandle(), WM_KEYDOWN, VK_RETURN, 0);
    });
    app.Steps.push_back([&] {
        ASSERT_EQ(prompts.seen.size(), 1u);
        Click(app.Dialog().NextButton());
        EXPECT_EQ(app.WizardStep(), kChooseStep);
        Click(app.Dialog().NextButton());
        EXPECT_EQ(app.WizardStep(), kFindingStep);
        EXPECT_EQ(app.Frame().GetCaption(), "KQPatch - Lost");
    });
    app.TickUntilStep(kChooseStep);
    app.Steps.push_back([&] {
        ExpectFirstStep(app.Dialog(), true);
        Click(app.Dialog().NextButton());
        EXPECT_EQ(app.WizardStep(), kFindingStep);
    });
    app.TickUntilStep(kChooseStep);
    app.Steps.push_back([&] {
        // An error while updating leaves Next hidden: Close is the way on.
        ExpectFirstStep(app.Dialog(), false);
        // The target keeps what was written before the payload ran out.
        EXPECT_EQ(ReadBytes(game.File("B.DAT")), Pattern(8192));
    });
    EXPECT_EQ(app.RunSteps(), 0);

    ASSERT_EQ(prompts.seen.size(), 7u);
    for (int i : {0, 1, 3, 5}) {
        const SeenPrompt& open = prompts.seen[i];
        EXPECT_EQ(open.kind, TPromptKind::FileOpen);
        EXPECT_EQ(open.owner, dialog);
        EXPECT_TRUE(open.style & OFN_FILEMUSTEXIST);
        EXPECT_EQ(open.filter, kPatchFileFilter);
        EXPECT_EQ(open.defaultExtension, kPatchFileDefaultExtension);
    }
    const UINT exclamation = MB_OK | MB_ICONEXCLAMATION;
    ExpectMessage(prompts.seen[2], dialog, kErrorOpeningPatch, kFileErrorCaption, exclamation);
    ExpectMessage(prompts.seen[4], dialog, kErrorFindingFiles, kPatchErrorCaption, exclamation);
    ExpectMessage(prompts.seen[6], dialog,
                  "Error creating '" + game.File("B.DAT") + "'\nPatching not complete.",
                  kPatchErrorCaption, MB_OK | MB_ICONSTOP);
}

// The dialog template as compiled: the icon keeps its 20 x 20 (an ICON
// statement would have dropped the size to 0 x 0).
TEST(PatchWindow, TheDialogsIconIsTwentyByTwenty) {
    HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_PATCH_WIZARD), RT_DIALOG);
    ASSERT_NE(found, nullptr);
    const auto* words = static_cast<const WORD*>(::LockResource(::LoadResource(nullptr, found)));
    // Skips a name-or-ordinal field: 0, 0xFFFF and an ordinal, or a string.
    const auto skipField = [](const WORD* p) {
        if (*p == 0xFFFF) return p + 2;
        while (*p++) {
        }
        return p;
    };
    const auto* dialog = reinterpret_cast<const DLGTEMPLATE*>(words);
    const WORD* p = skipField(skipField(skipField(words + 9)));  // menu, class, caption
    if (dialog->style & DS_SETFONT) p = skipField(p + 1);
    int icons = 0;
    for (WORD i = 0; i < dialog->cdit; ++i) {
        p = reinterpret_cast<const WORD*>((reinterpret_cast<uintptr_t>(p) + 3) & ~uintptr_t{3});
        const auto* item = reinterpret_cast<const DLGITEMTEMPLATE*>(p);
        p = skipField(skipField(p + 9));  // class, text
        p += 1 + (*p + 1) / 2;            // creation data
        if ((item->style & SS_TYPEMASK) == SS_ICON) {
            ++icons;
            EXPECT_EQ(item->cx, 20);
            EXPECT_EQ(item->cy, 20);
        }
    }
    EXPECT_EQ(icons, 1);
}

}  // namespace
}  // namespace kqp::test
