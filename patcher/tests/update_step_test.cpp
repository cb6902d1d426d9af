// The updating step: targets, operations, and every way a record can fail.
#include <gtest/gtest.h>

#include <string>

#include "patch_texts.h"
#include "test_support.h"

namespace kqp::test {
namespace {

// A harness whose patch has the given records and one registry directory 5
// at C:\GAMES\X\ (from C:\GAMES\X\RUN.EXE), run until it stops.
struct UpdateRun : WizardHarness {
    explicit UpdateRun(std::vector<kqpmake::FileItem> files, bool run = true) {
        platform.registry[{RegistryRoot::kLocalMachine, "SOFTWARE\\X"}] = "C:\\GAMES\\X\\RUN.EXE";
        platform.MakeDirectory("C:\\GAMES\\X");
        platform.MakeDirectory("C:\\WINDOWS\\SYSTEM");
        content.title = "T";
        content.directories.push_back(RegistryDir(5, "SOFTWARE\\X"));
        content.files = std::move(files);
        if (run) Run();
    }
    void Run() {
        Start(Patch(content));
        RunToEnd();
    }
    bool Completed() const { return wizard->step() == kCompletedStep && view.messages.empty(); }
    void ExpectFailure(const std::string& text, const std::string& caption, MessageIcon icon) {
        ASSERT_EQ(view.messages.size(), 1u);
        EXPECT_EQ(view.messages[0].text, text);
        EXPECT_EQ(view.messages[0].caption, caption);
        EXPECT_EQ(view.messages[0].icon, icon);
        EXPECT_EQ(wizard->step(), kChooseStep);
        EXPECT_FALSE(view.nextShown);
    }

    kqpmake::PatchContent content;
};

std::string TargetMessage(const char* format, const std::string& path) {
    std::string text(format);
    return text.replace(text.find("%s"), 2, path);
}

TEST(UpdateStep, ReplacesAddsAndRemovesInTheirDirectories) {
    UpdateRun run(
        {FileRecordItem(5, "DATA\\MAP.DAT", kReplace, Pattern(300), 16),
         FileRecordItem(-2, "NEW.DLL", kAdd, {7, 8}), FileRecordItem(5, "OLD.TXT", kRemove)},
        false);
    run.platform.WriteFile("C:\\GAMES\\X\\DATA\\MAP.DAT", Bytes(1000, 0xAA));
    run.platform.WriteFile("C:\\GAMES\\X\\OLD.TXT", {1});
    run.Run();
    EXPECT_TRUE(run.Completed());
    EXPECT_EQ(run.platform.ReadFile("C:\\GAMES\\X\\DATA\\MAP.DAT"), Pattern(300));
    EXPECT_EQ(run.platform.ReadFile("C:\\WINDOWS\\SYSTEM\\NEW.DLL"), (Bytes{7, 8}));
    EXPECT_FALSE(run.platform.Exists("C:\\GAMES\\X\\OLD.TXT"));
    EXPECT_EQ(run.platform.opened, (std::vector<std::string>{"C:\\GAMES\\X\\DATA\\MAP.DAT",
                                                             "C:\\WINDOWS\\SYSTEM\\NEW.DLL"}));
    EXPECT_EQ(run.platform.removed, (std::vector<std::string>{"C:\\GAMES\\X\\OLD.TXT"}));
    EXPECT_EQ(run.view.gaugeLower, 0);
    EXPECT_EQ(run.view.gaugeUpper, 3);
    EXPECT_EQ(run.view.gaugePosition, 3);
}

TEST(UpdateStep, ShowsEachRecordsDescription) {
    std::vector<kqpmake::FileItem> files = {FileRecordItem(5, "A", kAdd, {1}),
                                            FileRecordItem(5, "A", kReplace, {2}),
                                            FileRecordItem(5, "A", kRemove)};
    files[1].description = "Now the map";
    UpdateRun run(files);
    EXPECT_TRUE(run.Completed());
    const std::vector<std::string> expected = {"Adding\nA", "Now the map", "Removing\nA"};
    std::vector<std::string> shown(run.view.infoTexts.end() - 4, run.view.infoTexts.end() - 1);
    EXPECT_EQ(shown, expected);
}

TEST(UpdateStep, TwoRecordsForOneTargetRewriteItFromTheStart) {
    UpdateRun run({FileRecordItem(5, "A", kReplace, Pattern(9000)),
                   FileRecordItem(5, "A", kReplace, {5, 6})});
    EXPECT_TRUE(run.Completed());
    EXPECT_EQ(run.platform.ReadFile("C:\\GAMES\\X\\A"), (Bytes{5, 6}));
}

TEST(UpdateStep, BytesAfterTheLastRecordHaveNoEffect) {
    UpdateRun run({FileRecordItem(5, "A", kAdd, {1})}, false);
    Bytes bytes;
    std::string error;
    ASSERT_TRUE(kqpmake::BuildPatch(run.content, bytes, error));
    bytes.insert(bytes.end(), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    WriteBytes(run.scratch / "tail.kqp", bytes);
    run.Start(run.scratch / "tail.kqp");
    run.RunToEnd();
    EXPECT_TRUE(run.Completed());
}

TEST(UpdateStep, AnEmptyDirectoryTextPutsTheNameAtTheDriveRoot) {
    UpdateRun run({FileRecordItem(6, "A.TXT", kAdd, {1})}, false);
    run.platform.registry[{RegistryRoot::kLocalMachine, "BARE"}] = "RUN.EXE";
    run.content.directories.push_back(RegistryDir(6, "BARE"));
    run.Run();
    EXPECT_TRUE(run.Completed());
    EXPECT_EQ(run.platform.opened, (std::vector<std::string>{"\\A.TXT"}));
}

TEST(UpdateStep, RemovingAMissingFileStopsTheRun) {
    UpdateRun run({FileRecordItem(5, "GONE.TXT", kRemove), FileRecordItem(5, "B", kAdd, {1})});
    run.ExpectFailure(TargetMessage(kErrorDeletingFormat, "C:\\GAMES\\X\\GONE.TXT"),
                      kPatchErrorCaption, MessageIcon::kStop);
    EXPECT_FALSE(run.platform.Exists("C:\\GAMES\\X\\B"));
}

TEST(UpdateStep, NoFoldersAreCreated) {
    UpdateRun run({FileRecordItem(5, "NEW\\A.TXT", kAdd, {1})});
    run.ExpectFailure(TargetMessage(kErrorWritingFormat, "C:\\GAMES\\X\\NEW\\A.TXT"),
                      kPatchErrorCaption, MessageIcon::kStop);
    EXPECT_FALSE(run.platform.Exists("C:\\GAMES\\X\\NEW"));
}

TEST(UpdateStep, APayloadEndingEarlyLeavesTheTargetShortened) {
    UpdateRun run({FileRecordItem(5, "A", kReplace, Pattern(8192 * 2 + 200))}, false);
    Bytes bytes;
    std::string error;
    ASSERT_TRUE(kqpmake::BuildPatch(run.content, bytes, error));
    bytes.resize(bytes.size() - 100);
    WriteBytes(run.scratch / "cut.kqp", bytes);
    run.Start(run.scratch / "cut.kqp");
    run.RunToEnd();
    run.ExpectFailure(TargetMessage(kErrorCreatingFormat, "C:\\GAMES\\X\\A"), kPatchErrorCaption,
                      MessageIcon::kStop);
    EXPECT_EQ(run.platform.ReadFile("C:\\GAMES\\X\\A"), Pattern(8192 * 2));
}

TEST(UpdateStep, ATruncatedRecordIsAReadError) {
    UpdateRun run({FileRecordItem(5, "A", kAdd, {}), FileRecordItem(5, "LONGNAME", kAdd, {})},
                  false);
    Bytes bytes;
    std::string error;
    ASSERT_TRUE(kqpmake::BuildPatch(run.content, bytes, error));
    bytes.resize(bytes.size() - 12);  // inside the second record's name
    WriteBytes(run.scratch / "cut.kqp", bytes);
    run.Start(run.scratch / "cut.kqp");
    run.RunToEnd();
    run.ExpectFailure(kErrorReadingPatch, kFileErrorCaption, MessageIcon::kExclamation);
    EXPECT_TRUE(run.platform.Exists("C:\\GAMES\\X\\A"));
}

TEST(UpdateStep, AnUnknownDirectoryIsAnErrorInThePatch) {
    UpdateRun run({FileRecordItem(99, "A", kAdd, {1})});
    run.ExpectFailure(kErrorInPatch, kPatchErrorCaption, MessageIcon::kExclamation);
    EXPECT_TRUE(run.platform.opened.empty());
}

// A record whose name would leave its directory touches nothing.
TEST(UpdateStepFaults, NamesOutsideTheDirectoryAreRefused) {
    for (const char* name : {"\\AUTOEXEC.BAT", "C:\\AUTOEXEC.BAT", "D:X", "..\\..\\WIN.INI",
                             "DATA\\..\\..\\A", "../A", ".. \\A", "A:STREAM", "NUL"}) {
        for (int8_t operation : {kReplace, kAdd, kRemove}) {
            UpdateRun run({FileRecordItem(5, name, operation)});
            run.ExpectFailure(kErrorInPatch, kPatchErrorCaption, MessageIcon::kExclamation);
            EXPECT_TRUE(run.platform.opened.empty()) << name;
            EXPECT_TRUE(run.platform.removed.empty()) << name;
            EXPECT_NE(run.view.info.find("Select"), std::string::npos);
        }
    }
}

TEST(UpdateStepFaults, ATargetPathTooLongForItsBufferIsRefused) {
    UpdateRun run({FileRecordItem(6, std::string(120, 'N'), kAdd, {1})}, false);
    const std::string deep = "C:\\" + std::string(140, 'D') + "\\RUN.EXE";
    run.platform.registry[{RegistryRoot::kLocalMachine, "DEEP"}] = deep;
    run.content.directories.push_back(RegistryDir(6, "DEEP"));
    run.Run();
    run.ExpectFailure(kErrorInPatch, kPatchErrorCaption, MessageIcon::kExclamation);
    EXPECT_TRUE(run.platform.opened.empty());
}

TEST(UpdateStepFaults, AnEmptyPayloadCreatesAnEmptyFileAndCountsAsAnItem) {
    for (int8_t operation : {kReplace, kAdd}) {
        UpdateRun run({FileRecordItem(5, "EMPTY", operation), FileRecordItem(5, "NEXT", kAdd, {4})},
                      false);
        run.platform.WriteFile("C:\\GAMES\\X\\EMPTY", {1, 2, 3});
        run.Start(run.Patch(run.content));
        for (int i = 0; i < 4; ++i) run.Tick();
        ASSERT_EQ(run.wizard->step(), kUpdatingStep);
        // Entering the step opens and finishes the empty record at once.
        EXPECT_EQ(run.view.gaugePosition, 1);
        EXPECT_TRUE(run.platform.ReadFile("C:\\GAMES\\X\\EMPTY").empty());
        run.RunToEnd();
        EXPECT_TRUE(run.Completed());
        EXPECT_EQ(run.platform.ReadFile("C:\\GAMES\\X\\NEXT"), (Bytes{4}));
    }
}

TEST(UpdateStepFaults, ARemoveRecordWithAPayloadIsRefused) {
    kqpmake::FileItem remove = FileRecordItem(5, "KEEP.TXT", kReplace, {1, 2});
    remove.operation = kRemove;
    UpdateRun run({remove}, false);
    run.platform.WriteFile("C:\\GAMES\\X\\KEEP.TXT", {9});
    run.Run();
    run.ExpectFailure(kErrorInPatch, kPatchErrorCaption, MessageIcon::kExclamation);
    EXPECT_EQ(run.platform.ReadFile("C:\\GAMES\\X\\KEEP.TXT"), (Bytes{9}));
}

// Operations other than 1..3 mean nothing; they are not taken as a write.
TEST(UpdateStepFaults, UnknownOperationsAreRefused) {
    for (int8_t operation : {int8_t{0}, int8_t{4}, int8_t{-1}}) {
        UpdateRun run({FileRecordItem(5, "A", operation, {1})});
        run.ExpectFailure(kErrorInPatch, kPatchErrorCaption, MessageIcon::kExclamation);
        EXPECT_TRUE(run.platform.opened.empty());
    }
}

TEST(UpdateStepFaults, HugeDeclaredPayloadsEndAtTheFilesEnd) {
    UpdateRun run({}, false);
    kqpmake::KqpWriter out;
    out.Text("T");
    out.I32(0);
    out.I32(1);
    out.I32(-1);
    out.Text("A");
    out.I8(kAdd);
    out.U8(0);
    out.U8(0);
    out.I32(0x7FFFFFFF);
    out.Raw(Pattern(10000));
    WriteBytes(run.scratch / "huge.kqp", out.bytes());
    run.platform.MakeDirectory("C:\\WINDOWS");
    run.Start(run.scratch / "huge.kqp");
    run.RunToEnd();
    run.ExpectFailure(TargetMessage(kErrorCreatingFormat, "C:\\WINDOWS\\A"), kPatchErrorCaption,
                      MessageIcon::kStop);
    EXPECT_EQ(run.platform.ReadFile("C:\\WINDOWS\\A"), Pattern(8192));
}

#ifdef __linux__
// A write that fails only when the stream's buffer is flushed at its close.
TEST(UpdateStepFaults, AFailedFinalFlushIsAWriteError) {
    for (std::size_t size : {std::size_t{100}, std::size_t{20000}}) {
        UpdateRun run({FileRecordItem(5, "FULL", kAdd, Pattern(size))}, false);
        run.platform.redirects["C:\\GAMES\\X\\FULL"] = "/dev/full";
        run.Run();
        run.ExpectFailure(TargetMessage(kErrorWritingFormat, "C:\\GAMES\\X\\FULL"),
                          kPatchErrorCaption, MessageIcon::kStop);
    }
}
#endif

}  // namespace
}  // namespace kqp::test
