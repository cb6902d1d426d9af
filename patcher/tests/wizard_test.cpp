// The wizard's steps, buttons and pacing, and the finding step.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "patch_texts.h"
#include "program_rules.h"
#include "test_support.h"

namespace kqp::test {
namespace {

constexpr const char* kChooseText =
    "Select the patch file (.kqp) to be used.\nPress Next to begin.";

kqpmake::PatchContent OneFilePatch() {
    kqpmake::PatchContent content;
    content.title = "Racing 1.2";
    content.files = {FileRecordItem(-1, "A.TXT", kReplace, {1, 2, 3})};
    return content;
}

// The first step's row, with the Next button as the failed step left it.
void ExpectFirstStep(const WizardHarness& h, bool nextUsable) {
    EXPECT_EQ(h.wizard->step(), kChooseStep);
    EXPECT_EQ(h.view.info, kChooseText);
    EXPECT_FALSE(h.view.gaugeShown);
    EXPECT_EQ(h.view.nextText, "&Next");
    EXPECT_EQ(h.view.cancelText, "&Close");
    EXPECT_EQ(h.view.nextShown, nextUsable);
    EXPECT_EQ(h.view.nextEnabled, nextUsable);
}

TEST(ProgramRules, CommandLineShowCommandAndCaption) {
    const char* argv[] = {"patch.exe", "a.kqp", "b.kqp"};
    EXPECT_FALSE(PatchFileFromCommandLine(1, argv));
    EXPECT_EQ(PatchFileFromCommandLine(2, argv), "a.kqp");
    EXPECT_FALSE(PatchFileFromCommandLine(3, argv));
    for (int show = 0; show <= 11; ++show) {
        EXPECT_EQ(MainWindowShowCommand(show), show == 0 || show == 7 ? show : 1) << show;
    }
    EXPECT_EQ(MainWindowCaption("Racing 1.2"), "KQPatch - Racing 1.2");
    EXPECT_EQ(MainWindowCaption(""), "KQPatch - ");
}

// A patch named at the start is read before the first tick.
TEST(WizardSteps, AWholeRunShowsEveryRow) {
    WizardHarness h;
    h.platform.MakeDirectory("C:\\WINDOWS");
    h.Start(h.Patch(OneFilePatch()));
    EXPECT_EQ(h.wizard->step(), kFindingStep);
    EXPECT_EQ(h.view.calls, (Strings{"Info:Finding necessary files.", "Gauge:shown", "Next:shown",
                                     "CancelText:&Cancel", "Caption:KQPatch - Racing 1.2",
                                     "Range:-2..0", "Position:-2"}));
    EXPECT_EQ(h.RunIdle(), 0);
    h.Tick();
    h.Tick();
    h.view.calls.clear();
    h.Tick();  // the finding step ends and the record is done
    EXPECT_EQ(h.view.calls,
              (Strings{"Info:Updating files.", "Next:hidden", "Next:disabled", "Range:0..1",
                       "Position:0", "Info:Replacing\nA.TXT", "Position:1"}));
    h.view.calls.clear();
    h.Tick();
    EXPECT_EQ(h.wizard->step(), kCompletedStep);
    EXPECT_EQ(h.view.calls, (Strings{"Info:Update successfully completed.", "Gauge:hidden",
                                     "Next:shown", "Next:disabled", "CancelText:&Close"}));
    EXPECT_EQ(h.platform.ReadFile("C:\\WINDOWS\\A.TXT"), (Bytes{1, 2, 3}));
}

// Completed items wait for a tick; the rest of an item follows at once.
TEST(WizardPacing, CompletedItemsWaitForATick) {
    WizardHarness h;
    h.platform.SetMachineValue("A", "C:\\GAMES\\A\\RUN.EXE");
    h.platform.SetMachineValue("B", "C:\\GAMES\\B\\RUN.EXE");
    h.platform.MakeDirectory("C:\\GAMES\\A");
    h.platform.WriteFile("C:\\GAMES\\B\\OLD.DAT", {1});
    kqpmake::PatchContent content;
    content.directories = {RegistryDir(10, "A"), RegistryDir(11, "B")};
    content.files = {FileRecordItem(10, "BIG.DAT", kReplace, Pattern(8192 + 8192 + 100), 16),
                     FileRecordItem(11, "OLD.DAT", kRemove)};
    h.Start(h.Patch(content));

    EXPECT_EQ(h.Tick(), 1);  // Windows directory
    EXPECT_EQ(h.Tick(), 1);  // System directory
    EXPECT_EQ(h.Tick(), 2);  // entry read, then resolved at once
    EXPECT_EQ(h.Tick(), 2);
    EXPECT_EQ(h.view.Calls("Position:"), (Strings{"-2", "-1", "0", "1", "2"}));
    EXPECT_EQ(h.Tick(), 5);  // end of finding; open and three chunks
    EXPECT_EQ(h.platform.ReadFile("C:\\GAMES\\A\\BIG.DAT"), Pattern(8192 + 8192 + 100));
    EXPECT_EQ(h.Tick(), 1);  // the removal
    EXPECT_FALSE(h.platform.Exists("C:\\GAMES\\B\\OLD.DAT"));
    EXPECT_EQ(h.Tick(), 1);  // the end
    EXPECT_EQ(h.wizard->step(), kCompletedStep);
    EXPECT_EQ(h.Tick(), 0);
    EXPECT_TRUE(h.view.messages.empty());
}

TEST(FindingStep, BuiltInAndRegistryDirectories) {
    WizardHarness h;
    h.platform.SetMachineValue("K1", "C:\\GAMES\\X\\RUN.EXE");
    h.platform.registry[{RegistryRoot::kCurrentUser, "K2"}] = "C:\\GAMES\\X";
    h.platform.registry[{RegistryRoot::kPerformanceData, "K3"}] = "RUN.EXE";
    kqpmake::PatchContent content;
    content.directories = {RegistryDir(1, "K1", 2), RegistryDir(2, "K2", 1),
                           RegistryDir(3, "K3", 9)};
    h.Start(h.Patch(content));
    h.RunToEnd();
    EXPECT_EQ(h.wizard->step(), kCompletedStep);
    const DirectoryTable& table = h.wizard->directories();
    ASSERT_EQ(table.size(), 5u);
    EXPECT_EQ(table.Find(kWindowsDirectoryId)->Path, "C:\\WINDOWS");
    EXPECT_EQ(table.Find(kSystemDirectoryId)->Path, "C:\\WINDOWS\\SYSTEM");
    EXPECT_EQ(table.Find(1)->Path, "C:\\GAMES\\X\\");
    EXPECT_EQ(table.Find(2)->Path, "C:\\GAMES\\");
    EXPECT_EQ(table.Find(3)->Path, "");
}

TEST(FindingStep, EveryFailureReturnsToTheFirstStepWithNextUsable) {
    struct Case {
        const char* what;
        kqpmake::DirectoryItem entry;
        const char* message;
        const char* caption;
    };
    const Case cases[] = {
        {"search kind",
         {4, kSearchKind, "RACE.EXE", std::nullopt, 0},
         kNoPathSearches,
         kFileErrorCaption},
        {"kind without a root", {4, 3, "K", std::nullopt, 0}, kErrorInPatch, kPatchErrorCaption},
        {"Windows directory id", RegistryDir(kWindowsDirectoryId, "K"), kErrorInPatch,
         kPatchErrorCaption},
        {"System directory id", RegistryDir(kSystemDirectoryId, "K"), kErrorInPatch,
         kPatchErrorCaption},
        {"missing key", RegistryDir(4, "MISSING"), kErrorFindingFiles, kPatchErrorCaption},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WizardHarness h;
        h.platform.SetMachineValue("K", "C:\\ELSEWHERE\\X");
        kqpmake::PatchContent content;
        content.directories = {c.entry};
        h.Start(h.Patch(content));
        h.RunToEnd();
        h.ExpectOnlyMessage(c.message, c.caption, MessageIcon::kExclamation);
        ExpectFirstStep(h, true);
        EXPECT_EQ(h.wizard->directories().size(), 2u);
    }

    WizardHarness noSystem;
    noSystem.platform.systemDirectory.reset();
    noSystem.Start(noSystem.Patch({}));
    noSystem.RunToEnd();
    noSystem.ExpectOnlyMessage(kErrorFindingFiles, kPatchErrorCaption, MessageIcon::kExclamation);

    WizardHarness cut;
    kqpmake::PatchContent content;
    content.directories = {RegistryDir(1, "SOFTWARE\\K")};
    Bytes bytes = Build(content);
    bytes.resize(bytes.size() - 6);
    cut.Start(cut.PatchFile(bytes));
    cut.RunToEnd();
    cut.ExpectOnlyMessage(kErrorReadingPatch, kFileErrorCaption, MessageIcon::kExclamation);
    ExpectFirstStep(cut, true);
}

// A repeated identifier is looked up again and hides the first; a new run
// reads the patch again and appends to the table.
TEST(FindingStep, RepeatedIdentifiersAndANewRun) {
    WizardHarness h;
    h.platform.SetMachineValue("K1", "C:\\FIRST\\X");
    h.platform.SetMachineValue("K2", "C:\\SECOND\\X");
    h.platform.MakeDirectory("C:\\SECOND");
    kqpmake::PatchContent content;
    content.directories = {RegistryDir(7, "K1"), RegistryDir(7, "K2"), RegistryDir(8, "LATER")};
    content.files = {FileRecordItem(7, "A", kAdd, {9})};
    const std::string patch = h.Patch(content);
    h.Start(patch);
    h.RunToEnd();
    EXPECT_EQ(h.wizard->directories().size(), 4u);  // up to the missing key

    h.platform.SetMachineValue("LATER", "C:\\B\\RUN.EXE");
    h.view.choices.push_back(patch);
    h.wizard->Next();
    h.RunToEnd();
    EXPECT_EQ(h.wizard->step(), kCompletedStep);
    EXPECT_EQ(h.wizard->directories().size(), 4u + 5u);
    EXPECT_EQ(h.wizard->directories().Find(8)->Path, "C:\\B\\");
    EXPECT_EQ(h.platform.opened, (Strings{"C:\\SECOND\\A"}));
}

TEST(WizardErrors, HeaderFailuresLeaveTheCaptionAlone) {
    WizardHarness gone;
    const std::string patch = gone.Patch(OneFilePatch());
    gone.wizard = std::make_unique<PatchWizard>(gone.platform, gone.view, patch);
    std::filesystem::remove(patch);
    gone.wizard->SetupWindow();
    gone.ExpectOnlyMessage(kErrorOpeningPatch, kFileErrorCaption, MessageIcon::kExclamation);
    ExpectFirstStep(gone, true);

    WizardHarness broken;
    broken.Start(broken.PatchFile({5, 'a', 'b'}));
    broken.ExpectOnlyMessage(kErrorReadingPatch, kFileErrorCaption, MessageIcon::kExclamation);
    ExpectFirstStep(broken, true);
    EXPECT_EQ(broken.view.caption, "KQPatch");
}

TEST(WizardErrors, AnUpdatingFailureLeavesOnlyClose) {
    WizardHarness h;
    kqpmake::KqpWriter out;
    out.Text("T");
    out.I32(0);
    out.U8(1);  // a record count cut short
    h.Start(h.PatchFile(out.bytes()));
    h.RunToEnd();
    h.ExpectOnlyMessage(kErrorReadingPatch, kFileErrorCaption, MessageIcon::kExclamation);
    ExpectFirstStep(h, false);
    h.wizard->Next();
    EXPECT_EQ(h.view.chooseCount, 0);
    h.wizard->Cancel();
    EXPECT_EQ(h.view.closedWith, kCancelResult);
}

// Without a readable patch the first step shows, quietly, and the wizard
// waits for Next.
TEST(NextButton, ChoosesAPatchOnlyInTheFirstStep) {
    WizardHarness h;
    h.Start(h.scratch / "missing.kqp");
    ExpectFirstStep(h, true);
    EXPECT_FALSE(h.wizard->patchFileName());
    EXPECT_TRUE(h.view.messages.empty());
    EXPECT_TRUE(h.view.Calls("Next:").empty());  // as the resource made it
    EXPECT_EQ(h.Tick(), 0);
    const std::size_t rowCalls = h.view.calls.size();
    h.wizard->Next();  // the file dialog cancelled
    EXPECT_EQ(h.view.chooseCount, 1);
    EXPECT_EQ(h.view.calls.size(), rowCalls);

    h.view.choices.push_back(h.scratch / "missing.kqp");
    h.wizard->Next();
    h.ExpectOnlyMessage(kErrorOpeningPatch, kFileErrorCaption, MessageIcon::kExclamation);
    EXPECT_EQ(h.wizard->step(), kChooseStep);
    EXPECT_FALSE(h.wizard->patchFileName());

    const std::string patch = h.Patch(OneFilePatch());
    h.view.choices.push_back(patch);
    h.wizard->Next();
    EXPECT_EQ(h.wizard->patchFileName(), patch);
    EXPECT_EQ(h.wizard->step(), kFindingStep);
    EXPECT_EQ(h.view.caption, "KQPatch - Racing 1.2");
    h.wizard->Next();
    EXPECT_EQ(h.view.chooseCount, 3);
}

// Outside a run Cancel and the close box close without a question; a patch
// without records completes at once.
TEST(CancelButton, ClosesAtOnceOutsideARun) {
    WizardHarness h;
    h.Start(std::nullopt);
    EXPECT_TRUE(h.wizard->CanClose());
    h.wizard->Cancel();
    EXPECT_EQ(h.view.closedWith, kCancelResult);

    WizardHarness done;
    done.Start(done.Patch({}));
    EXPECT_EQ(done.Tick() + done.Tick(), 2);
    EXPECT_EQ(done.Tick(), 2);  // into updating, and at once out of it
    EXPECT_EQ(done.wizard->step(), kCompletedStep);
    EXPECT_TRUE(done.wizard->CanClose());
    done.wizard->Cancel();
    EXPECT_EQ(done.view.closedWith, kCancelResult);
    EXPECT_TRUE(h.view.messages.empty() && done.view.messages.empty());
}

TEST(CancelButton, YesEndsTheRunAndKeepsWhatWasWritten) {
    WizardHarness h;
    h.platform.MakeDirectory("C:\\WINDOWS");
    kqpmake::PatchContent content;
    content.files = {FileRecordItem(-1, "BIG", kReplace, Pattern(3 * 8192))};
    h.Start(h.Patch(content));
    h.Tick();
    h.Tick();
    h.wizard->TimerTick();
    for (int i = 0; i < 3; ++i) h.wizard->IdleAction();  // end of finding, open, one chunk
    h.view.answers.push_back(MessageAnswer::kYes);
    h.wizard->Cancel();
    EXPECT_EQ(h.view.closedWith, kCancelResult);
    EXPECT_FALSE(h.wizard->IdleAction());
    EXPECT_EQ(h.platform.ReadFile("C:\\WINDOWS\\BIG"), Pattern(8192));
}

// While the question is open nothing advances; No lets the run go on.
TEST(CancelButton, AsksDuringARunAndNoLetsItGoOn) {
    WizardHarness h;
    h.platform.MakeDirectory("C:\\WINDOWS");
    h.Start(h.Patch(OneFilePatch()));
    bool idleRan = true;
    h.view.whileMessageShown = [&] {
        h.wizard->TimerTick();
        idleRan = h.wizard->IdleAction();
        h.wizard->Next();
        h.wizard->Cancel();
    };
    h.wizard->Cancel();
    h.ExpectOnlyMessage(kAbortQuestion, kAbortCaption, MessageIcon::kQuestion);
    EXPECT_FALSE(idleRan);
    EXPECT_EQ(h.view.chooseCount, 0);
    EXPECT_FALSE(h.view.closedWith);
    h.view.whileMessageShown = nullptr;
    // The tick set meanwhile is kept: the run goes on from where it was.
    EXPECT_EQ(h.RunIdle(), 1);
    EXPECT_EQ(h.wizard->directories().size(), 1u);
    h.RunToEnd();
    EXPECT_EQ(h.wizard->step(), kCompletedStep);
}

// Closing the main window during a run asks as Cancel does; once the run is
// given up it closes without a question.
TEST(CloseBox, AsksDuringARun) {
    WizardHarness run;
    run.platform.MakeDirectory("C:\\WINDOWS");
    run.Start(run.Patch(OneFilePatch()));
    bool closedMeanwhile = true;
    run.view.whileMessageShown = [&] { closedMeanwhile = run.wizard->CanClose(); };
    EXPECT_FALSE(run.wizard->CanClose());  // No
    EXPECT_FALSE(closedMeanwhile);
    run.view.whileMessageShown = nullptr;
    run.Tick();
    EXPECT_EQ(run.wizard->directories().size(), 1u);  // the run goes on
    run.view.answers.push_back(MessageAnswer::kYes);
    EXPECT_TRUE(run.wizard->CanClose());
    EXPECT_FALSE(run.wizard->IdleAction());
    EXPECT_TRUE(run.wizard->CanClose());
    EXPECT_EQ(run.view.messages.size(), 2u);
    EXPECT_FALSE(run.view.closedWith);  // the window goes with the frame
}

}  // namespace
}  // namespace kqp::test
