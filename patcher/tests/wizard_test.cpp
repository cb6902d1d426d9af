// The wizard's steps, buttons and pacing, and the finding step.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "patch_texts.h"
#include "program_rules.h"
#include "test_support.h"

namespace kqp::test {
namespace {

kqpmake::PatchContent OneFilePatch() {
    kqpmake::PatchContent content;
    content.title = "Racing 1.2";
    content.files = {FileRecordItem(-1, "A.TXT", kReplace, {1, 2, 3})};
    return content;
}

TEST(ProgramRules, CommandLineAndShowCommand) {
    const char* argv[] = {"patch.exe", "a.kqp", "b.kqp"};
    EXPECT_FALSE(PatchFileFromCommandLine(1, argv));
    EXPECT_EQ(PatchFileFromCommandLine(2, argv), "a.kqp");
    EXPECT_FALSE(PatchFileFromCommandLine(3, argv));
    EXPECT_EQ(MainWindowShowCommand(0), 0);
    EXPECT_EQ(MainWindowShowCommand(7), 7);
    EXPECT_EQ(MainWindowShowCommand(3), 1);
}

// A patch named at the start is read before the first tick; every step
// applies its row as it is entered.
TEST(WizardSteps, AWholeRunShowsEveryRow) {
    WizardHarness h;
    h.platform.MakeDirectory("C:\\WINDOWS");
    h.Start(h.Patch(OneFilePatch()));
    EXPECT_EQ(h.view.calls, (Strings{"Info:Finding necessary files.", "Gauge:shown", "Next:shown",
                                     "CancelText:&Cancel", "Caption:KQPatch - Racing 1.2",
                                     "Range:-2..0", "Position:-2"}));
    EXPECT_EQ(h.RunIdle(), 0);
    h.Tick();
    h.Tick();
    h.view.calls.clear();
    h.Tick();  // the finding step ends and the record is done
    EXPECT_EQ(h.view.calls,
              (Strings{"Info:Updating files.", "Next:hidden", "NextOn:disabled", "Range:0..1",
                       "Position:0", "Info:Replacing\nA.TXT", "Position:1"}));
    h.view.calls.clear();
    h.Tick();
    EXPECT_EQ(h.wizard->step(), kCompletedStep);
    EXPECT_EQ(h.view.calls, (Strings{"Info:Update successfully completed.", "Gauge:hidden",
                                     "Next:shown", "NextOn:disabled", "CancelText:&Close"}));
    EXPECT_EQ(h.platform.ReadFile("C:\\WINDOWS\\A.TXT"), (Bytes{1, 2, 3}));
}

// -2..D while finding, 0..F while updating, never an empty range; completed
// items wait for a tick while the rest of an item follows at once.
TEST(WizardPacing, GaugeAndIdleWorkPerTick) {
    struct Case {
        const char* what;
        int records;
        Strings ranges;
        std::vector<int> workPerTick;
    };
    const Case cases[] = {
        // Two entries (each read, then resolved), then a three-chunk copy and
        // a removal.
        {"two records", 2, {"-2..2", "0..2"}, {1, 1, 2, 2, 5, 1, 1, 0}},
        {"no records", 0, {"-2..2", "0..1"}, {1, 1, 2, 2, 2, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WizardHarness h;
        h.platform.SetMachineValue("A", "C:\\GAMES\\A\\RUN.EXE");
        h.platform.SetMachineValue("B", "C:\\GAMES\\B\\RUN.EXE");
        h.platform.MakeDirectory("C:\\GAMES\\A");
        h.platform.WriteFile("C:\\GAMES\\B\\OLD.DAT", {1});
        kqpmake::PatchContent content;
        content.directories = {RegistryDir(10, "A"), RegistryDir(11, "B")};
        content.files = {FileRecordItem(10, "BIG.DAT", kReplace, Pattern(8192 + 8192 + 100), 16),
                         FileRecordItem(11, "OLD.DAT", kRemove)};
        content.files.resize(c.records);
        h.Start(h.Patch(content));
        std::vector<int> work;
        for (std::size_t i = 0; i < c.workPerTick.size(); ++i) work.push_back(h.Tick());
        EXPECT_EQ(work, c.workPerTick);
        EXPECT_EQ(h.wizard->step(), kCompletedStep);
        EXPECT_EQ(h.view.Calls("Range"), c.ranges);
        EXPECT_EQ(h.view.shown.at("Position"), std::to_string(c.records));
        EXPECT_TRUE(h.view.messages.empty());
        EXPECT_EQ(h.platform.Exists("C:\\GAMES\\B\\OLD.DAT"), c.records == 0);
    }
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
        {"no System directory", RegistryDir(4, "K"), kErrorFindingFiles, kPatchErrorCaption},
        {"cut entry", RegistryDir(4, "K"), kErrorReadingPatch, kFileErrorCaption},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WizardHarness h;
        h.platform.SetMachineValue("K", "C:\\ELSEWHERE\\X");
        if (&c == &cases[5]) h.platform.systemDirectory.reset();
        kqpmake::PatchContent content;
        content.directories = {c.entry};
        Bytes bytes = Build(content);
        if (&c == &cases[6]) bytes.resize(bytes.size() - 6);
        h.Start(h.PatchFile(bytes));
        h.RunToEnd();
        h.ExpectOnlyMessage(c.message, c.caption, MessageIcon::kExclamation);
        h.ExpectFirstStep(true);
    }
}

// Registry values below their root; a repeated identifier is looked up again
// and hides the first; a new run reads the patch again and appends to the
// table.
TEST(FindingStep, RepeatedIdentifiersAndANewRun) {
    WizardHarness h;
    h.platform.SetMachineValue("K1", "C:\\FIRST\\X");
    h.platform.registry[{RegistryRoot::kCurrentUser, "K2"}] = "C:\\SECOND\\X";
    h.platform.MakeDirectory("C:\\SECOND");
    kqpmake::PatchContent content;
    content.directories = {RegistryDir(7, "K1"), RegistryDir(7, "K2", 1), RegistryDir(8, "LATER")};
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

TEST(WizardErrors, HeaderAndUpdatingFailures) {
    WizardHarness gone;
    const std::string patch = gone.Patch(OneFilePatch());
    gone.wizard = std::make_unique<PatchWizard>(gone.platform, gone.view, patch);
    std::filesystem::remove(patch);
    gone.wizard->SetupWindow();
    gone.ExpectOnlyMessage(kErrorOpeningPatch, kFileErrorCaption, MessageIcon::kExclamation);
    gone.ExpectFirstStep(true);

    WizardHarness broken;
    broken.Start(broken.PatchFile({5, 'a', 'b'}));
    broken.ExpectOnlyMessage(kErrorReadingPatch, kFileErrorCaption, MessageIcon::kExclamation);
    broken.ExpectFirstStep(true);
    EXPECT_EQ(broken.view.shown.at("Caption"), "KQPatch");

    // A record count cut short: only Close is left.
    WizardHarness h;
    h.Start(h.PatchFile({2, 'T', 0, 0, 0, 0, 0, 1}));
    h.RunToEnd();
    h.ExpectOnlyMessage(kErrorReadingPatch, kFileErrorCaption, MessageIcon::kExclamation);
    h.ExpectFirstStep(false);
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
    h.ExpectFirstStep(true);
    EXPECT_FALSE(h.wizard->patchFileName());
    EXPECT_TRUE(h.view.messages.empty());
    EXPECT_EQ(h.Tick(), 0);
    const std::size_t rowCalls = h.view.calls.size();
    h.wizard->Next();  // the file dialog cancelled
    EXPECT_EQ(h.view.chooseCount, 1);
    EXPECT_EQ(h.view.calls.size(), rowCalls);

    h.view.choices.push_back(h.scratch / "missing.kqp");
    h.wizard->Next();
    h.ExpectOnlyMessage(kErrorOpeningPatch, kFileErrorCaption, MessageIcon::kExclamation);
    EXPECT_EQ(h.wizard->step(), kChooseStep);

    const std::string patch = h.Patch(OneFilePatch());
    h.view.choices.push_back(patch);
    h.wizard->Next();
    EXPECT_EQ(h.wizard->patchFileName(), patch);
    EXPECT_EQ(h.wizard->step(), kFindingStep);
    h.wizard->Next();
    EXPECT_EQ(h.view.chooseCount, 3);
}

// Outside a run Cancel closes at once; during one it asks, nothing advances
// while the question is open, No lets the run go on and Yes ends it keeping
// what was written.
TEST(CancelButton, AsksOnlyDuringARun) {
    WizardHarness idle;
    idle.Start(std::nullopt);
    EXPECT_TRUE(idle.wizard->CanClose());
    idle.wizard->Cancel();
    EXPECT_EQ(idle.view.closedWith, kCancelResult);
    EXPECT_TRUE(idle.view.messages.empty());

    WizardHarness h;
    h.platform.MakeDirectory("C:\\WINDOWS");
    kqpmake::PatchContent content;
    content.files = {FileRecordItem(-1, "BIG", kReplace, Pattern(3 * 8192))};
    h.Start(h.Patch(content));
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
    h.Tick();
    h.wizard->TimerTick();
    for (int i = 0; i < 3; ++i) h.wizard->IdleAction();  // end of finding, open, one chunk
    ASSERT_EQ(h.wizard->step(), kUpdatingStep);
    // Updating asks too, on Cancel and on the close box, as the user reads
    // it; No goes on, Yes ends the run.
    h.wizard->Cancel();
    EXPECT_FALSE(h.wizard->CanClose());
    EXPECT_FALSE(h.view.closedWith);
    EXPECT_TRUE(h.wizard->IdleAction());  // the second chunk
    h.view.answers.push_back(MessageAnswer::kYes);
    h.wizard->Cancel();
    ASSERT_EQ(h.view.messages.size(), 4u);
    for (std::size_t i : {1u, 2u, 3u}) {
        EXPECT_EQ(h.view.messages[i].text,
                  "Aborting the run may leave the unusable.\nContinue anyway?");
        EXPECT_EQ(h.view.messages[i].caption, "Abort Run");
        EXPECT_EQ(h.view.messages[i].icon, MessageIcon::kQuestion);
    }
    EXPECT_EQ(h.view.closedWith, kCancelResult);
    EXPECT_FALSE(h.wizard->IdleAction());
    EXPECT_EQ(h.platform.ReadFile("C:\\WINDOWS\\BIG"), Pattern(2 * 8192));
}

// Closing the main window during a run asks as Cancel does (a closed run can
// leave a target half written); once the run is given up it closes quietly.
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
