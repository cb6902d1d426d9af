// The wizard's window classes in-process, over the real registry and files:
// what the core asks of its view reaches the controls, the buttons, keys and
// close box reach the core, and every prompt goes through the prompt seam.
// The steps themselves are the core's tests; timer ticks are posted by the
// test (the real timer is stopped) so runs are exact.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "dpi_resources.h"
#include "patch_app.h"
#include "patch_dlg_client.h"
#include "patch_resource_ids.h"
#include "patch_texts.h"
#include "prompt.h"
#include "sdi_dec_frame.h"
#include "step_runner.h"
#include "test_support.h"

namespace kqp::test {
namespace {

using namespace lrx::fw;

constexpr int32_t kGameId = 7;

// A product folder with old files A.TXT and C.OLD, found through the value
// of a private key below HKEY_CURRENT_USER that names its program file.
struct GameFolder {
    GameFolder() {
        static std::atomic<int> counter{0};
        key = "Software\\KqpPatchAppTest-" + std::to_string(::GetCurrentProcessId()) + "-" +
              std::to_string(counter++);
        std::filesystem::create_directories(scratch.path() / "game");
        WriteBytes(File("A.TXT"), Bytes(100, 'a'));
        WriteBytes(File("C.OLD"), Bytes(10, 'c'));
        const std::string program = File("GAME.EXE");
        HKEY handle = nullptr;
        EXPECT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE,
                                    nullptr, &handle, nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExA(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(program.c_str()),
                         static_cast<DWORD>(program.size() + 1));
        ::RegCloseKey(handle);
    }
    ~GameFolder() { ::RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str()); }

    std::string File(const std::string& name) const { return scratch / ("game\\" + name); }
    std::string WritePatch(const std::string& title, std::vector<kqpmake::FileItem> files,
                           std::size_t cut = 0) const {
        kqpmake::PatchContent content;
        content.title = title;
        content.directories = {RegistryDir(kGameId, key, 1)};
        content.files = std::move(files);
        Bytes bytes = Build(content);
        bytes.resize(bytes.size() - cut);
        WriteBytes(scratch / (title + ".kqp"), bytes);
        return scratch / (title + ".kqp");
    }

    ScratchDir scratch;
    std::string key;
};

class TPatchTestApp : public lrx::fw::test::TStepRunner<TPatchApp> {
  public:
    explicit TPatchTestApp(std::optional<std::string> patch = std::nullopt)
        : TStepRunner(std::move(patch)) {}

    void InitMainWindow() override {
        TPatchApp::InitMainWindow();
        ::KillTimer(nullptr, Dialog().TimerId());
    }
    TSDIDecFrame& Frame() { return static_cast<TSDIDecFrame&>(*GetMainWindow()); }
    TPatchDlgClient& Dialog() { return Frame().Client(); }
    int WizardStep() { return Dialog().Wizard().step(); }
    // A tick of the wizard's timer, posted as the system posts it.
    void Tick() { ::PostThreadMessageA(::GetCurrentThreadId(), WM_TIMER, Dialog().TimerId(), 0); }
    // Ticks, one per idle round, until the wizard is in the step.
    void TickUntilStep(int step, int ticks = 0) {
        Steps.push_front([this, step, ticks] {
            if (WizardStep() == step) return;
            if (ticks == 100) {
                ADD_FAILURE() << "step " << step << " never came";
                return;
            }
            Tick();
            TickUntilStep(step, ticks + 1);
        });
    }
    void Then(std::function<void()> step) { Steps.push_back(std::move(step)); }
    void ThenTickUntilStep(int step) {
        Then([this, step] { TickUntilStep(step); });
    }
};

// Answers message boxes with OK, questions and file choices from the queues,
// and keeps every prompt as "owner-is-dialog|text|caption|style|filter|ext".
class PromptScript {
  public:
    std::optional<int> Answer(TPrompt& prompt) {
        const bool file = prompt.Kind == TPromptKind::FileOpen;
        seen.push_back(std::string(prompt.Owner == dialog ? "dialog|" : "other|") + prompt.Text +
                       "|" + prompt.Caption + "|" + std::to_string(prompt.Style) +
                       (file ? "|" + prompt.FileData->Filter + "|" + prompt.FileData->DefExt : ""));
        if (prompt.Kind == TPromptKind::MessageBox) {
            if ((prompt.Style & MB_TYPEMASK) != MB_YESNO) return IDOK;
            const int answer = answers.empty() ? IDNO : answers.front();
            if (!answers.empty()) answers.pop_front();
            return answer;
        }
        if (!file || files.empty()) return IDCANCEL;
        const std::optional<std::string> choice = files.front();
        files.pop_front();
        if (choice) prompt.FileData->FileName = *choice;
        return choice ? IDOK : IDCANCEL;
    }

    HWND dialog = nullptr;
    std::vector<std::string> seen;
    std::deque<int> answers;
    std::deque<std::optional<std::string>> files;

  private:
    TScopedPromptAnswerer answerer_{[this](TPrompt& prompt) { return Answer(prompt); }};
};

std::string Box(const std::string& text, const char* caption, UINT style) {
    return "dialog|" + text + "|" + caption + "|" + std::to_string(style);
}

TEST(PatchWindow, RunsThePatchNamedAtTheStartAndAsksBeforeStopping) {
    GameFolder game;
    PromptScript prompts;
    prompts.answers = {IDNO, IDNO, IDYES};
    TPatchTestApp app(
        game.WritePatch("Racing 1.3", {FileRecordItem(kGameId, "A.TXT", kReplace, {1, 2, 3}),
                                       FileRecordItem(kGameId, "B.DAT", kAdd, Pattern(20000), 77),
                                       FileRecordItem(kGameId, "C.OLD", kRemove)}));
    app.Then([&] {
        EXPECT_EQ(app.WizardStep(), kFindingStep);
        EXPECT_EQ(app.Frame().GetCaption(), "KQPatch - Racing 1.3");
        EXPECT_TRUE(app.Dialog().Gauge().IsVisible());
        RECT area, client;  // the frame fits its dialog
        ::GetClientRect(app.Frame().GetHandle(), &area);
        ::GetWindowRect(app.Dialog().GetHandle(), &client);
        EXPECT_EQ(area.right, client.right - client.left);
        EXPECT_EQ(area.bottom, client.bottom - client.top);
        prompts.dialog = app.Dialog().GetHandle();
        ::SetFocus(app.Dialog().NextButton().GetHandle());
    });
    app.ThenTickUntilStep(kUpdatingStep);  // the first record follows at once
    app.Then([&] {
        TPatchDlgClient& dialog = app.Dialog();
        EXPECT_EQ(::GetFocus(), dialog.CancelButton().GetHandle());  // Next is hidden
        EXPECT_FALSE(dialog.NextButton().IsVisible() || dialog.NextButton().IsEnabled());
        EXPECT_EQ(dialog.InfoText().GetText(), "Replacing\nA.TXT");
        EXPECT_EQ(dialog.Gauge().GetValue(), 1);
        EXPECT_EQ(ReadBytes(game.File("A.TXT")), (Bytes{1, 2, 3}));
        dialog.CancelButton().SendMessage(BM_CLICK);  // No
        app.Frame().SendMessage(WM_CLOSE);            // the close box asks too: No
        EXPECT_TRUE(app.Frame().GetHandle());
        app.Tick();
    });
    app.Then([&] {
        EXPECT_EQ(app.Dialog().Gauge().GetValue(), 2);
        EXPECT_EQ(ReadBytes(game.File("B.DAT")), Pattern(20000));
        ::PostMessageA(app.Dialog().CancelButton().GetHandle(), WM_KEYDOWN, VK_ESCAPE, 0);  // Yes
    });
    EXPECT_EQ(app.RunSteps(), 0);
    EXPECT_EQ(app.GetMainWindow()->GetHandle(), nullptr);
    const std::string question = Box(kAbortQuestion, kAbortCaption, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(prompts.seen, (std::vector<std::string>{question, question, question}));
    EXPECT_TRUE(std::filesystem::exists(game.File("C.OLD")));  // the run stopped where it was
}

// Enter presses Next, which asks for a file; OK never closes. Errors show in
// boxes owned by the dialog; one while updating leaves Next hidden.
TEST(PatchWindow, NextAsksForAPatchAndErrorsShowInBoxes) {
    GameFolder game;
    PromptScript prompts;
    prompts.files = {
        std::nullopt, game.scratch / "missing.kqp",
        game.WritePatch("Cut", {FileRecordItem(kGameId, "B.DAT", kAdd, Pattern(9000))}, 50)};
    TPatchTestApp app;
    app.Then([&] {
        prompts.dialog = app.Dialog().GetHandle();
        EXPECT_EQ(app.Frame().GetCaption(), kAppName);
        EXPECT_FALSE(app.Dialog().Gauge().IsVisible());
        EXPECT_EQ(app.Dialog().CancelButton().GetText(), "&Close");
        app.Dialog().SendMessage(WM_COMMAND, IDOK);
        ::PostMessageA(app.Dialog().InfoText().GetHandle(), WM_KEYDOWN, VK_RETURN, 0);
    });
    app.Then([&] {
        app.Dialog().NextButton().SendMessage(BM_CLICK);
        app.Dialog().NextButton().SendMessage(BM_CLICK);
        EXPECT_EQ(app.WizardStep(), kFindingStep);
    });
    app.ThenTickUntilStep(kChooseStep);
    app.Then([&] {
        EXPECT_FALSE(app.Dialog().NextButton().IsVisible());
        EXPECT_EQ(app.Dialog().InfoText().GetText(),
                  "Select the patch file (.kqp) to be used.\nPress Next to begin.");
    });
    EXPECT_EQ(app.RunSteps(), 0);
    const std::string open = "dialog|||" + std::to_string(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY) +
                             "|" + kPatchFileFilter + "|" + kPatchFileDefaultExtension;
    ASSERT_EQ(prompts.seen.size(), 5u);
    EXPECT_EQ(prompts.seen[0], open);
    EXPECT_EQ(prompts.seen[2], Box(kErrorOpeningPatch, kFileErrorCaption, MB_ICONEXCLAMATION));
    EXPECT_EQ(prompts.seen[4],
              Box("Error creating '" + game.File("B.DAT") + "'\nPatching not complete.",
                  kPatchErrorCaption, MB_ICONSTOP));
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

TEST(PatchWindow, TheProgramAsksNotToBeStretchedAndHasAnIconForEverySize) {
    lrx::fw::test::ExpectDpiAwareWithIcons(::GetModuleHandleA(nullptr), IDI_PATCH);
}

}  // namespace
}  // namespace kqp::test
