// The wizard's steps, buttons and pacing, and the finding step.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "patch_texts.h"
#include "program_rules.h"
#include "test_support.h"

namespace kqp::test {
namespace {

constexpr const char* kChooseText =
    "Select the patch file (.kqp) to be used.\nPress Next to begin.";
constexpr const char* kFindingText = "Finding necessary files.";
constexpr const char* kUpdatingText = "Updating files.";
constexpr const char* kCompletedText = "Update successfully completed.";

bool Called(const RecordingView& view, const std::string& call) {
    return std::find(view.calls.begin(), view.calls.end(), call) != view.calls.end();
}

bool CalledWithPrefix(const RecordingView& view, const std::string& prefix) {
    return std::any_of(view.calls.begin(), view.calls.end(),
                       [&](const std::string& c) { return c.starts_with(prefix); });
}

kqpmake::PatchContent OneFilePatch() {
    kqpmake::PatchContent content;
    content.title = "Racing 1.2";
    content.files.push_back(FileRecordItem(-1, "A.TXT", kReplace, {1, 2, 3}));
    return content;
}

void ExpectMessage(const WizardHarness& h, const std::string& text, const std::string& caption,
                   MessageIcon icon) {
    const ShownMessage* m = h.LastMessage();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->text, text);
    EXPECT_EQ(m->caption, caption);
    EXPECT_EQ(m->icon, icon);
}

// Step 0's row after an error, with the Next button as the failing step left it.
void ExpectBackAtChoose(const WizardHarness& h, bool nextUsable) {
    EXPECT_EQ(h.wizard->step(), kChooseStep);
    EXPECT_EQ(h.view.info, kChooseText);
    EXPECT_FALSE(h.view.gaugeShown);
    EXPECT_EQ(h.view.nextText, "&Next");
    EXPECT_EQ(h.view.cancelText, "&Close");
    EXPECT_EQ(h.view.nextShown, nextUsable);
    EXPECT_EQ(h.view.nextEnabled, nextUsable);
}

TEST(ProgramRules, CommandLineNamesAPatchOnlyWithExactlyOneArgument) {
    const char* none[] = {"patch.exe"};
    const char* one[] = {"patch.exe", "C:\\x.kqp"};
    const char* two[] = {"patch.exe", "a.kqp", "b.kqp"};
    EXPECT_FALSE(PatchFileFromCommandLine(1, none));
    EXPECT_EQ(PatchFileFromCommandLine(2, one), "C:\\x.kqp");
    EXPECT_FALSE(PatchFileFromCommandLine(3, two));
    EXPECT_FALSE(PatchFileFromCommandLine(0, nullptr));
}

TEST(ProgramRules, ShowCommandKeepsHiddenAndMinimisedWithoutActivation) {
    EXPECT_EQ(MainWindowShowCommand(0), 0);
    EXPECT_EQ(MainWindowShowCommand(7), 7);
    for (int other : {1, 2, 3, 4, 5, 6, 8, 9, 10, 11, -1}) {
        EXPECT_EQ(MainWindowShowCommand(other), 1) << other;
    }
}

TEST(ProgramRules, CaptionIsThePrefixAndTheTitle) {
    EXPECT_EQ(MainWindowCaption("Racing 1.2"), "KQPatch - Racing 1.2");
    EXPECT_EQ(MainWindowCaption(""), "KQPatch - ");
}

TEST(WizardStart, WithoutAPatchShowsTheFirstStep) {
    WizardHarness h;
    h.Start(std::nullopt);
    EXPECT_EQ(h.wizard->step(), kChooseStep);
    EXPECT_EQ(h.view.info, kChooseText);
    EXPECT_FALSE(h.view.gaugeShown);
    EXPECT_EQ(h.view.nextText, "&Next");
    EXPECT_EQ(h.view.cancelText, "&Close");
    // The first step leaves the Next button as the resource made it.
    EXPECT_FALSE(CalledWithPrefix(h.view, "Next:"));
    EXPECT_EQ(h.view.caption, "KQPatch");
    EXPECT_EQ(h.Tick(), 0);
}

TEST(WizardStart, AnUnreadablePatchIsSilentlyDropped) {
    WizardHarness h;
    h.Start(h.scratch / "missing.kqp");
    EXPECT_EQ(h.wizard->step(), kChooseStep);
    EXPECT_FALSE(h.wizard->patchFileName());
    EXPECT_TRUE(h.view.messages.empty());
}

TEST(WizardStart, AReadablePatchStartsFindingBeforeTheFirstTick) {
    WizardHarness h;
    kqpmake::PatchContent content = OneFilePatch();
    content.directories.push_back(RegistryDir(5, "SOFTWARE\\K"));
    h.Start(h.Patch(content));
    EXPECT_EQ(h.wizard->step(), kFindingStep);
    EXPECT_EQ(h.view.caption, "KQPatch - Racing 1.2");
    EXPECT_EQ(h.view.info, kFindingText);
    EXPECT_TRUE(h.view.gaugeShown);
    EXPECT_TRUE(Called(h.view, "Next:shown"));
    EXPECT_EQ(h.view.cancelText, "&Cancel");
    EXPECT_EQ(h.view.gaugeLower, -2);
    EXPECT_EQ(h.view.gaugeUpper, 1);
    EXPECT_EQ(h.view.gaugePosition, -2);
    // Nothing happens without a tick.
    EXPECT_EQ(h.RunIdle(), 0);
    EXPECT_EQ(h.wizard->directories().size(), 0u);
}

TEST(WizardStart, TitleOfLengthOneGivesThePrefixAlone) {
    WizardHarness h;
    kqpmake::PatchContent content;
    content.title = "";
    h.Start(h.Patch(content));
    EXPECT_EQ(h.view.caption, "KQPatch - ");
}

TEST(WizardSteps, AWholeRunShowsEveryRow) {
    WizardHarness h;
    h.platform.MakeDirectory("C:\\WINDOWS");
    h.Start(h.Patch(OneFilePatch()));

    h.Tick();  // Windows directory
    h.Tick();  // System directory
    EXPECT_EQ(h.wizard->step(), kFindingStep);
    h.view.calls.clear();
    h.Tick();  // finding ends, the record is done
    EXPECT_EQ(h.wizard->step(), kUpdatingStep);
    EXPECT_TRUE(Called(h.view, std::string("Info:") + kUpdatingText));
    EXPECT_TRUE(Called(h.view, "Next:hidden"));
    EXPECT_TRUE(Called(h.view, "Next:disabled"));
    EXPECT_TRUE(Called(h.view, "Range:0..1"));
    // The updating row leaves the gauge and the Cancel text alone.
    EXPECT_FALSE(CalledWithPrefix(h.view, "Gauge:"));
    EXPECT_FALSE(CalledWithPrefix(h.view, "CancelText:"));
    EXPECT_EQ(h.view.info, "Replacing\nA.TXT");

    h.Tick();
    EXPECT_EQ(h.wizard->step(), kCompletedStep);
    EXPECT_EQ(h.view.info, kCompletedText);
    EXPECT_FALSE(h.view.gaugeShown);
    EXPECT_TRUE(h.view.nextShown);
    EXPECT_FALSE(h.view.nextEnabled);
    EXPECT_EQ(h.view.cancelText, "&Close");
    EXPECT_EQ(h.view.caption, "KQPatch - Racing 1.2");
    EXPECT_TRUE(h.view.messages.empty());
    EXPECT_EQ(h.platform.ReadFile("C:\\WINDOWS\\A.TXT"), (Bytes{1, 2, 3}));
}

TEST(WizardSteps, NoFileRecordsCompleteAtOnce) {
    WizardHarness h;
    kqpmake::PatchContent content;
    content.title = "Empty";
    h.Start(h.Patch(content));
    EXPECT_EQ(h.RunToEnd(), 3);
    EXPECT_EQ(h.wizard->step(), kCompletedStep);
    EXPECT_EQ(h.view.gaugeLower, 0);
    EXPECT_EQ(h.view.gaugeUpper, 1);
}

// Completed items wait for a tick; the rest of an item follows at once.
TEST(WizardPacing, CompletedItemsWaitForATick) {
    WizardHarness h;
    h.platform.registry[{RegistryRoot::kLocalMachine, "SOFTWARE\\A"}] = "C:\\GAMES\\A\\RUN.EXE";
    h.platform.registry[{RegistryRoot::kLocalMachine, "SOFTWARE\\B"}] = "C:\\GAMES\\B\\RUN.EXE";
    h.platform.MakeDirectory("C:\\GAMES\\A");
    h.platform.WriteFile("C:\\GAMES\\B\\OLD.DAT", {1});
    kqpmake::PatchContent content;
    content.title = "T";
    content.directories = {RegistryDir(10, "SOFTWARE\\A"), RegistryDir(11, "SOFTWARE\\B")};
    content.files = {FileRecordItem(10, "BIG.DAT", kReplace, Pattern(8192 + 8192 + 100), 16),
                     FileRecordItem(11, "OLD.DAT", kRemove)};
    h.Start(h.Patch(content));

    EXPECT_EQ(h.Tick(), 1);  // Windows directory
    EXPECT_EQ(h.Tick(), 1);  // System directory
    EXPECT_EQ(h.Tick(), 2);  // entry read, then resolved at once
    EXPECT_EQ(h.platform.queries.size(), 1u);
    EXPECT_EQ(h.Tick(), 2);
    EXPECT_EQ(h.view.positions, (std::vector<int32_t>{-2, -1, 0, 1, 2}));
    // The end of finding, then the record: open and three chunks.
    EXPECT_EQ(h.Tick(), 5);
    EXPECT_EQ(h.wizard->step(), kUpdatingStep);
    EXPECT_EQ(h.platform.ReadFile("C:\\GAMES\\A\\BIG.DAT"), Pattern(8192 + 8192 + 100));
    EXPECT_EQ(h.Tick(), 1);  // the removal
    EXPECT_FALSE(h.platform.Exists("C:\\GAMES\\B\\OLD.DAT"));
    EXPECT_EQ(h.Tick(), 1);  // the end
    EXPECT_EQ(h.wizard->step(), kCompletedStep);
    EXPECT_EQ(h.Tick(), 0);
    EXPECT_TRUE(h.view.messages.empty());
}

TEST(WizardPacing, ChunksOfOnePayloadFollowWithoutTicks) {
    for (const auto& [size, chunks] : {std::pair{8192, 1}, std::pair{8193, 2}}) {
        WizardHarness h;
        h.platform.MakeDirectory("C:\\WINDOWS");
        kqpmake::PatchContent content;
        content.title = "T";
        content.files.push_back(
            FileRecordItem(-1, "A", kAdd, Pattern(static_cast<std::size_t>(size))));
        h.Start(h.Patch(content));
        h.Tick();
        h.Tick();
        // End of finding, open, chunks.
        EXPECT_EQ(h.Tick(), 2 + chunks) << size;
        EXPECT_EQ(h.platform.ReadFile("C:\\WINDOWS\\A"), Pattern(static_cast<std::size_t>(size)));
    }
}

TEST(FindingStep, NoEntriesTakeTheTwoBuiltInDirectories) {
    WizardHarness h;
    kqpmake::PatchContent content = OneFilePatch();
    h.Start(h.Patch(content));
    h.Tick();
    h.Tick();
    ASSERT_EQ(h.wizard->directories().size(), 2u);
    EXPECT_EQ(h.wizard->directories()[0].Path, "C:\\WINDOWS");
    EXPECT_EQ(h.wizard->directories()[0].Id, kWindowsDirectoryId);
    EXPECT_EQ(h.wizard->directories()[1].Path, "C:\\WINDOWS\\SYSTEM");
    EXPECT_EQ(h.wizard->directories()[1].Id, kSystemDirectoryId);
    EXPECT_EQ(h.wizard->step(), kFindingStep);
}

TEST(FindingStep, RegistryValuesGiveTheirFolders) {
    WizardHarness h;
    h.platform.registry[{RegistryRoot::kLocalMachine, "K1"}] = "C:\\GAMES\\X\\RUN.EXE";
    h.platform.registry[{RegistryRoot::kCurrentUser, "K2"}] = "C:\\GAMES\\X";
    h.platform.registry[{RegistryRoot::kPerformanceData, "K3"}] = "RUN.EXE";
    kqpmake::PatchContent content;
    content.title = "T";
    content.directories = {RegistryDir(1, "K1", 2), RegistryDir(2, "K2", 1),
                           RegistryDir(3, "K3", 9)};
    h.Start(h.Patch(content));
    h.RunToEnd();
    EXPECT_EQ(h.wizard->step(), kCompletedStep);
    const DirectoryTable& table = h.wizard->directories();
    ASSERT_EQ(table.size(), 5u);
    EXPECT_EQ(table.Find(1)->Path, "C:\\GAMES\\X\\");
    EXPECT_EQ(table.Find(2)->Path, "C:\\GAMES\\");
    EXPECT_EQ(table.Find(3)->Path, "");
    ASSERT_EQ(h.platform.queries.size(), 3u);
    EXPECT_EQ(h.platform.queries[2].first, RegistryRoot::kPerformanceData);
}

TEST(FindingStep, AMissingKeyStopsTheRunAndANewRunStartsOver) {
    WizardHarness h;
    h.platform.registry[{RegistryRoot::kLocalMachine, "K1"}] = "C:\\A\\RUN.EXE";
    kqpmake::PatchContent content;
    content.title = "T";
    content.directories = {RegistryDir(1, "K1"), RegistryDir(2, "MISSING")};
    const std::string patch = h.Patch(content);
    h.Start(patch);
    h.RunToEnd();
    ExpectMessage(h, kErrorFindingFiles, kPatchErrorCaption, MessageIcon::kExclamation);
    ExpectBackAtChoose(h, true);
    // What was found stays in the table.
    EXPECT_EQ(h.wizard->directories().size(), 3u);
    EXPECT_EQ(h.Tick(), 0);

    h.platform.registry[{RegistryRoot::kLocalMachine, "MISSING"}] = "C:\\B\\RUN.EXE";
    h.view.choices.push_back(patch);
    h.wizard->Next();
    EXPECT_EQ(h.wizard->step(), kFindingStep);
    h.RunToEnd();
    EXPECT_EQ(h.wizard->step(), kCompletedStep);
    // A second run appends behind the first.
    EXPECT_EQ(h.wizard->directories().size(), 3u + 4u);
    EXPECT_EQ(h.wizard->directories().Find(2)->Path, "C:\\B\\");
}

TEST(FindingStep, SearchEntriesAreNotProvided) {
    WizardHarness h;
    kqpmake::PatchContent content;
    content.title = "T";
    kqpmake::DirectoryItem search;
    search.id = 4;
    search.kind = kSearchKind;
    search.key = "RACE.EXE";
    content.directories.push_back(search);
    h.Start(h.Patch(content));
    h.RunToEnd();
    ExpectMessage(h, kNoPathSearches, kFileErrorCaption, MessageIcon::kExclamation);
    ExpectBackAtChoose(h, true);
    EXPECT_TRUE(h.platform.queries.empty());
}

// An entry of another kind has no root byte: it names no key to look up.
TEST(FindingStep, EntriesOfAnotherKindAreAnErrorInThePatch) {
    WizardHarness h;
    kqpmake::PatchContent content;
    content.title = "T";
    kqpmake::DirectoryItem odd = RegistryDir(4, "K");
    odd.kind = 3;
    content.directories.push_back(odd);
    h.Start(h.Patch(content));
    h.RunToEnd();
    ExpectMessage(h, kErrorInPatch, kPatchErrorCaption, MessageIcon::kExclamation);
    EXPECT_TRUE(h.platform.queries.empty());
}

TEST(FindingStep, EntriesMayNotClaimTheBuiltInIdentifiers) {
    for (int32_t id : {kWindowsDirectoryId, kSystemDirectoryId}) {
        WizardHarness h;
        h.platform.registry[{RegistryRoot::kLocalMachine, "K"}] = "C:\\ELSEWHERE\\X";
        kqpmake::PatchContent content;
        content.title = "T";
        content.directories.push_back(RegistryDir(id, "K"));
        h.Start(h.Patch(content));
        h.RunToEnd();
        ExpectMessage(h, kErrorInPatch, kPatchErrorCaption, MessageIcon::kExclamation);
        EXPECT_EQ(h.wizard->directories().size(), 2u);
    }
}

TEST(FindingStep, ARepeatedIdentifierIsLookedUpAgainAndHidesTheFirst) {
    WizardHarness h;
    h.platform.registry[{RegistryRoot::kLocalMachine, "K1"}] = "C:\\FIRST\\X";
    h.platform.registry[{RegistryRoot::kLocalMachine, "K2"}] = "C:\\SECOND\\X";
    h.platform.MakeDirectory("C:\\SECOND");
    kqpmake::PatchContent content;
    content.title = "T";
    content.directories = {RegistryDir(7, "K1"), RegistryDir(7, "K2")};
    content.files.push_back(FileRecordItem(7, "A", kAdd, {9}));
    h.Start(h.Patch(content));
    h.RunToEnd();
    EXPECT_EQ(h.wizard->step(), kCompletedStep);
    EXPECT_EQ(h.platform.opened, (std::vector<std::string>{"C:\\SECOND\\A"}));
}

TEST(FindingStep, FailingDirectoryQueriesStopTheRun) {
    WizardHarness h;
    h.platform.systemDirectory.reset();
    h.Start(h.Patch(OneFilePatch()));
    h.RunToEnd();
    ExpectMessage(h, kErrorFindingFiles, kPatchErrorCaption, MessageIcon::kExclamation);
    EXPECT_EQ(h.wizard->directories().size(), 1u);
}

TEST(FindingStep, ATruncatedEntryIsAReadError) {
    WizardHarness h;
    kqpmake::PatchContent content;
    content.title = "T";
    content.directories.push_back(RegistryDir(1, "SOFTWARE\\K"));
    Bytes bytes;
    std::string error;
    ASSERT_TRUE(kqpmake::BuildPatch(content, bytes, error));
    bytes.resize(bytes.size() - 6);  // inside the entry
    WriteBytes(h.scratch / "cut.kqp", bytes);
    h.Start(h.scratch / "cut.kqp");
    h.RunToEnd();
    ExpectMessage(h, kErrorReadingPatch, kFileErrorCaption, MessageIcon::kExclamation);
    ExpectBackAtChoose(h, true);
}

TEST(WizardErrors, APatchGoneBeforeSetupIsAnOpenError) {
    WizardHarness h;
    const std::string patch = h.Patch(OneFilePatch());
    h.wizard = std::make_unique<PatchWizard>(h.platform, h.view, patch);
    std::filesystem::remove(patch);
    h.wizard->SetupWindow();
    ExpectMessage(h, kErrorOpeningPatch, kFileErrorCaption, MessageIcon::kExclamation);
    ExpectBackAtChoose(h, true);
}

TEST(WizardErrors, ABrokenHeaderIsAReadError) {
    WizardHarness h;
    WriteBytes(h.scratch / "bad.kqp", {5, 'a', 'b'});
    h.Start(h.scratch / "bad.kqp");
    ExpectMessage(h, kErrorReadingPatch, kFileErrorCaption, MessageIcon::kExclamation);
    ExpectBackAtChoose(h, true);
    EXPECT_EQ(h.view.caption, "KQPatch");
}

TEST(WizardErrors, AMissingRecordCountLeavesOnlyClose) {
    WizardHarness h;
    kqpmake::KqpWriter out;
    out.Text("T");
    out.I32(0);
    out.U8(1);  // a count cut short
    WriteBytes(h.scratch / "cut.kqp", out.bytes());
    h.Start(h.scratch / "cut.kqp");
    h.RunToEnd();
    ExpectMessage(h, kErrorReadingPatch, kFileErrorCaption, MessageIcon::kExclamation);
    // The updating step hid and disabled Next; the first step leaves it so.
    ExpectBackAtChoose(h, false);
    h.wizard->Next();
    EXPECT_EQ(h.view.chooseCount, 0);
    h.wizard->Cancel();
    EXPECT_EQ(h.view.closedWith, kCancelResult);
}

TEST(NextButton, ActsOnlyInTheFirstStep) {
    WizardHarness h;
    h.platform.MakeDirectory("C:\\WINDOWS");
    h.Start(h.Patch(OneFilePatch()));
    h.wizard->Next();
    EXPECT_EQ(h.view.chooseCount, 0);
    h.RunToEnd();
    ASSERT_EQ(h.wizard->step(), kCompletedStep);
    h.wizard->Next();
    EXPECT_EQ(h.view.chooseCount, 0);
}

TEST(NextButton, CancellingTheFileDialogChangesNothing) {
    WizardHarness h;
    h.Start(std::nullopt);
    h.view.calls.clear();
    h.wizard->Next();
    EXPECT_EQ(h.view.calls, (std::vector<std::string>{"Choose"}));
    EXPECT_EQ(h.wizard->step(), kChooseStep);
}

TEST(NextButton, AnUnreadableChoiceStaysInTheFirstStep) {
    WizardHarness h;
    h.Start(std::nullopt);
    h.view.calls.clear();
    h.view.choices.push_back(h.scratch / "missing.kqp");
    h.wizard->Next();
    ExpectMessage(h, kErrorOpeningPatch, kFileErrorCaption, MessageIcon::kExclamation);
    EXPECT_EQ(h.wizard->step(), kChooseStep);
    EXPECT_FALSE(h.wizard->patchFileName());
    EXPECT_FALSE(CalledWithPrefix(h.view, "Info:"));
}

TEST(NextButton, AReadableChoiceStartsARun) {
    WizardHarness h;
    h.Start(std::nullopt);
    const std::string patch = h.Patch(OneFilePatch());
    h.view.choices.push_back(patch);
    h.wizard->Next();
    EXPECT_EQ(h.wizard->patchFileName(), patch);
    EXPECT_EQ(h.wizard->step(), kFindingStep);
    EXPECT_EQ(h.view.info, kFindingText);
    EXPECT_EQ(h.view.caption, "KQPatch - Racing 1.2");
}

TEST(CancelButton, ClosesAtOnceOutsideARun) {
    WizardHarness h;
    h.Start(std::nullopt);
    h.wizard->Cancel();
    EXPECT_TRUE(h.view.messages.empty());
    EXPECT_EQ(h.view.closedWith, kCancelResult);

    WizardHarness done;
    kqpmake::PatchContent content;
    content.title = "T";
    done.Start(done.Patch(content));
    done.RunToEnd();
    ASSERT_EQ(done.wizard->step(), kCompletedStep);
    done.wizard->Cancel();
    EXPECT_TRUE(done.view.messages.empty());
    EXPECT_EQ(done.view.closedWith, kCancelResult);
}

TEST(CancelButton, AsksDuringARunAndNoLetsItGoOn) {
    WizardHarness h;
    h.platform.MakeDirectory("C:\\WINDOWS");
    h.Start(h.Patch(OneFilePatch()));
    h.Tick();
    h.view.answers.push_back(MessageAnswer::kNo);
    h.wizard->Cancel();
    ExpectMessage(h, kAbortQuestion, kAbortCaption, MessageIcon::kQuestion);
    EXPECT_FALSE(h.view.closedWith);
    EXPECT_EQ(h.wizard->step(), kFindingStep);
    h.RunToEnd();
    EXPECT_EQ(h.wizard->step(), kCompletedStep);
}

TEST(CancelButton, YesEndsTheRunAndKeepsWhatWasWritten) {
    WizardHarness h;
    h.platform.MakeDirectory("C:\\WINDOWS");
    kqpmake::PatchContent content;
    content.title = "T";
    content.files.push_back(FileRecordItem(-1, "BIG", kReplace, Pattern(3 * 8192)));
    h.Start(h.Patch(content));
    h.Tick();
    h.Tick();
    // End of finding, open, one chunk: the copy is half-way.
    h.wizard->TimerTick();
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(h.wizard->IdleAction());
    h.view.answers.push_back(MessageAnswer::kYes);
    h.wizard->Cancel();
    EXPECT_EQ(h.view.closedWith, kCancelResult);
    EXPECT_FALSE(h.wizard->IdleAction());
    EXPECT_EQ(h.platform.ReadFile("C:\\WINDOWS\\BIG"), Pattern(8192));
}

TEST(CancelButton, NothingAdvancesWhileTheQuestionIsOpen) {
    WizardHarness h;
    h.Start(h.Patch(OneFilePatch()));
    bool idleRan = true;
    h.view.whileMessageShown = [&] {
        h.wizard->TimerTick();
        idleRan = h.wizard->IdleAction();
        h.wizard->Next();
        h.wizard->Cancel();
    };
    h.wizard->Cancel();
    EXPECT_FALSE(idleRan);
    EXPECT_EQ(h.view.messages.size(), 1u);
    EXPECT_EQ(h.view.chooseCount, 0);
    EXPECT_EQ(h.wizard->directories().size(), 0u);
    h.view.whileMessageShown = nullptr;
    // The tick set meanwhile is kept: the run goes on from where it was.
    EXPECT_EQ(h.RunIdle(), 1);
    EXPECT_EQ(h.wizard->directories().size(), 1u);
}

}  // namespace
}  // namespace kqp::test
