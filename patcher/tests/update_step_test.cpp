// The updating step: targets, operations, and every way a record can fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "patch_texts.h"
#include "test_support.h"

namespace kqp::test {
namespace {

// A patch with the given records and directory 5 at C:\GAMES\X\ (from the
// registry value C:\GAMES\X\RUN.EXE).
struct UpdateRun : WizardHarness {
    explicit UpdateRun(std::vector<kqpmake::FileItem> files) {
        platform.SetMachineValue("SOFTWARE\\X", "C:\\GAMES\\X\\RUN.EXE");
        platform.MakeDirectory("C:\\GAMES\\X");
        platform.MakeDirectory("C:\\WINDOWS\\SYSTEM");
        content.directories = {RegistryDir(5, "SOFTWARE\\X")};
        content.files = std::move(files);
    }
    UpdateRun& Run(std::optional<Bytes> bytes = std::nullopt) {
        Start(bytes ? PatchFile(*bytes) : Patch(content));
        RunToEnd();
        return *this;
    }
    bool Completed() const { return wizard->step() == kCompletedStep && view.messages.empty(); }
    // A failure while updating: one message, back at the first step with
    // the Next button still hidden.
    void ExpectFailure(const std::string& text, const char* caption, MessageIcon icon) const {
        ExpectOnlyMessage(text, caption, icon);
        EXPECT_EQ(wizard->step(), kChooseStep);
        EXPECT_EQ(view.shown.at("Next"), "hidden");
    }

    kqpmake::PatchContent content;
};

std::string TargetMessage(const char* format, const std::string& path) {
    std::string text(format);
    return text.replace(text.find("%s"), 2, path);
}

TEST(UpdateStep, ReplacesAddsAndRemovesInTheirDirectories) {
    std::vector<kqpmake::FileItem> files = {
        FileRecordItem(5, "DATA\\MAP.DAT", kReplace, Pattern(300), 16),
        FileRecordItem(-2, "NEW.DLL", kAdd, {7, 8}), FileRecordItem(5, "OLD.TXT", kRemove),
        // A second record for a target rewrites it from the start.
        FileRecordItem(5, "TWICE", kReplace, Pattern(9000)), FileRecordItem(5, "TWICE", kAdd, {5})};
    files[1].description = "A new library";
    UpdateRun run(files);
    run.platform.WriteFile("C:\\GAMES\\X\\DATA\\MAP.DAT", Bytes(1000, 0xAA));
    run.platform.WriteFile("C:\\GAMES\\X\\OLD.TXT", {1});
    // Bytes after the last record have no effect.
    Bytes bytes = Build(run.content);
    bytes.insert(bytes.end(), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_TRUE(run.Run(bytes).Completed());
    EXPECT_EQ(run.platform.ReadFile("C:\\GAMES\\X\\DATA\\MAP.DAT"), Pattern(300));
    EXPECT_EQ(run.platform.ReadFile("C:\\WINDOWS\\SYSTEM\\NEW.DLL"), (Bytes{7, 8}));
    EXPECT_FALSE(run.platform.Exists("C:\\GAMES\\X\\OLD.TXT"));
    EXPECT_EQ(run.platform.ReadFile("C:\\GAMES\\X\\TWICE"), (Bytes{5}));
    EXPECT_EQ(run.platform.opened.size(), 4u);
    const Strings shown = run.view.Calls("Info");
    EXPECT_EQ(Strings(shown.end() - 6, shown.end() - 3),
              (Strings{"Replacing\nDATA\\MAP.DAT", "A new library", "Removing\nOLD.TXT"}));
    EXPECT_EQ(run.view.Calls("Range").back(), "0..5");
}

TEST(UpdateStep, TargetFailuresNameTheTarget) {
    UpdateRun missing({FileRecordItem(5, "GONE.TXT", kRemove), FileRecordItem(5, "B", kAdd, {1})});
    missing.Run().ExpectFailure(TargetMessage(kErrorDeletingFormat, "C:\\GAMES\\X\\GONE.TXT"),
                                kPatchErrorCaption, MessageIcon::kStop);
    EXPECT_FALSE(missing.platform.Exists("C:\\GAMES\\X\\B"));

    // No folders are created.
    UpdateRun noFolder({FileRecordItem(5, "NEW\\A.TXT", kAdd, {1})});
    noFolder.Run().ExpectFailure(TargetMessage(kErrorWritingFormat, "C:\\GAMES\\X\\NEW\\A.TXT"),
                                 kPatchErrorCaption, MessageIcon::kStop);
    EXPECT_FALSE(noFolder.platform.Exists("C:\\GAMES\\X\\NEW"));

    // A payload ending early leaves the whole chunks written before it.
    UpdateRun cut({FileRecordItem(5, "A", kReplace, Pattern(8192 * 2 + 200))});
    Bytes bytes = Build(cut.content);
    bytes.resize(bytes.size() - 100);
    cut.Run(bytes).ExpectFailure(TargetMessage(kErrorCreatingFormat, "C:\\GAMES\\X\\A"),
                                 kPatchErrorCaption, MessageIcon::kStop);
    EXPECT_EQ(cut.platform.ReadFile("C:\\GAMES\\X\\A"), Pattern(8192 * 2));

    // So does one declaring far more than the file holds.
    UpdateRun huge({FileRecordItem(5, "A", kAdd, Pattern(10000))});
    bytes = Build(huge.content);
    const std::size_t length = bytes.size() - 10000 - 4;
    std::copy_n(Bytes{0xFF, 0xFF, 0xFF, 0x7F}.begin(), 4, bytes.begin() + length);
    huge.Run(bytes).ExpectFailure(TargetMessage(kErrorCreatingFormat, "C:\\GAMES\\X\\A"),
                                  kPatchErrorCaption, MessageIcon::kStop);
    EXPECT_EQ(huge.platform.ReadFile("C:\\GAMES\\X\\A"), Pattern(8192));
}

TEST(UpdateStep, PatchFailuresTouchNothing) {
    UpdateRun truncated({FileRecordItem(5, "A", kAdd), FileRecordItem(5, "LONGNAME", kAdd)});
    Bytes bytes = Build(truncated.content);
    bytes.resize(bytes.size() - 12);  // inside the second record's name
    truncated.Run(bytes).ExpectFailure(kErrorReadingPatch, kFileErrorCaption,
                                       MessageIcon::kExclamation);
    EXPECT_EQ(truncated.platform.opened, (Strings{"C:\\GAMES\\X\\A"}));

    UpdateRun unknown({FileRecordItem(99, "A", kAdd, {1})});
    unknown.Run().ExpectFailure(kErrorInPatch, kPatchErrorCaption, MessageIcon::kExclamation);
    EXPECT_TRUE(unknown.platform.opened.empty());
}

// Records that mean nothing sound are refused before anything is touched:
// names that leave their directory (the name rules have their own table),
// paths too long for their buffer, a remove with a payload, operations
// other than 1..3.
TEST(UpdateStepFaults, UnsoundRecordsAreAnErrorInThePatch) {
    std::vector<kqpmake::FileItem> records = {FileRecordItem(5, "..\\..\\WIN.INI", kReplace),
                                              FileRecordItem(5, "C:\\AUTOEXEC.BAT", kRemove),
                                              FileRecordItem(6, std::string(120, 'N'), kAdd, {1}),
                                              FileRecordItem(5, "KEEP.TXT", kReplace, {1, 2})};
    records.back().operation = kRemove;
    for (int8_t operation : {int8_t{0}, int8_t{4}, int8_t{-1}}) {
        records.push_back(FileRecordItem(5, "KEEP.TXT", operation, {1}));
    }
    for (const kqpmake::FileItem& record : records) {
        SCOPED_TRACE(record.name + " operation " + std::to_string(record.operation));
        UpdateRun run({record});
        run.platform.SetMachineValue("DEEP", "C:\\" + std::string(140, 'D') + "\\RUN.EXE");
        run.content.directories.push_back(RegistryDir(6, "DEEP"));
        run.platform.WriteFile("C:\\GAMES\\X\\KEEP.TXT", {9});
        run.Run().ExpectFailure(kErrorInPatch, kPatchErrorCaption, MessageIcon::kExclamation);
        EXPECT_TRUE(run.platform.opened.empty() && run.platform.removed.empty());
        EXPECT_EQ(run.platform.ReadFile("C:\\GAMES\\X\\KEEP.TXT"), (Bytes{9}));
        for (const std::string& info : run.view.Calls("Info")) {
            EXPECT_FALSE(info.ends_with("\n" + record.name)) << info;
        }
    }
}

TEST(UpdateStepFaults, AnEmptyPayloadCreatesAnEmptyFileAndCountsAsAnItem) {
    for (int8_t operation : {kReplace, kAdd}) {
        UpdateRun run(
            {FileRecordItem(5, "EMPTY", operation), FileRecordItem(5, "NEXT", kAdd, {4})});
        run.platform.WriteFile("C:\\GAMES\\X\\EMPTY", {1, 2, 3});
        run.Start(run.Patch(run.content));
        for (int i = 0; i < 4; ++i) run.Tick();
        // Entering the step opened and finished the empty record at once.
        EXPECT_EQ(run.view.shown.at("Position"), "1");
        EXPECT_TRUE(run.platform.ReadFile("C:\\GAMES\\X\\EMPTY").empty());
        run.RunToEnd();
        EXPECT_TRUE(run.Completed());
        EXPECT_EQ(run.platform.ReadFile("C:\\GAMES\\X\\NEXT"), (Bytes{4}));
    }
}

#ifdef __linux__
// Writes that fail in a chunk, and ones that fail only when the last
// buffered bytes are flushed as the target closes.
TEST(UpdateStepFaults, AFailedWriteOrFinalFlushIsAWriteError) {
    for (std::size_t size : {std::size_t{100}, std::size_t{20000}}) {
        UpdateRun run({FileRecordItem(5, "FULL", kAdd, Pattern(size))});
        run.platform.redirects["C:\\GAMES\\X\\FULL"] = "/dev/full";
        run.Run().ExpectFailure(TargetMessage(kErrorWritingFormat, "C:\\GAMES\\X\\FULL"),
                                kPatchErrorCaption, MessageIcon::kStop);
    }
}
#endif

}  // namespace
}  // namespace kqp::test
