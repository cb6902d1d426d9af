#include <gtest/gtest.h>

#include <string>

#include "directory_table.h"
#include "path_rules.h"
#include "registry_value.h"

namespace kqp {
namespace {

TEST(DirectoryPart, TakesTheRegistryValueAsAFilePath) {
    EXPECT_EQ(DirectoryPart("C:\\GAMES\\X\\RUN.EXE"), "C:\\GAMES\\X\\");
    EXPECT_EQ(DirectoryPart("C:\\GAMES\\X"), "C:\\GAMES\\");
    EXPECT_EQ(DirectoryPart("RUN.EXE"), "");
    EXPECT_EQ(DirectoryPart("C:RUN.EXE"), "C:");
    EXPECT_EQ(DirectoryPart("C:\\"), "C:\\");
    EXPECT_EQ(DirectoryPart("D:/Games/Race/run.exe"), "D:/Games/Race/");
    EXPECT_EQ(DirectoryPart("\\\\server\\share\\run.exe"), "\\\\server\\share\\");
    EXPECT_EQ(DirectoryPart(""), "");
}

TEST(FileNamePart, IsWhatFollowsTheLastSeparatorOrDrive) {
    EXPECT_EQ(FileNamePart("C:\\GAMES\\X\\RUN.EXE"), "RUN.EXE");
    EXPECT_EQ(FileNamePart("C:RUN.EXE"), "RUN.EXE");
    EXPECT_EQ(FileNamePart("a\\b/c"), "c");
    EXPECT_EQ(FileNamePart("RUN.EXE"), "RUN.EXE");
    EXPECT_EQ(FileNamePart("DIR\\"), "");
}

TEST(TargetPath, JoinsWithOneBackslash) {
    EXPECT_EQ(TargetPath("C:\\GAMES\\X\\", "DATA\\MAP.DAT"), "C:\\GAMES\\X\\DATA\\MAP.DAT");
    EXPECT_EQ(TargetPath("C:\\WINDOWS\\SYSTEM", "A.DLL"), "C:\\WINDOWS\\SYSTEM\\A.DLL");
    EXPECT_EQ(TargetPath("C:\\", "A.DLL"), "C:\\A.DLL");
    EXPECT_EQ(TargetPath("C:", "A.DLL"), "C:\\A.DLL");
    // An empty directory text puts the name at the root of the current drive.
    EXPECT_EQ(TargetPath("", "A.DLL"), "\\A.DLL");
    // Only one trailing backslash is dropped, and a slash is kept.
    EXPECT_EQ(TargetPath("C:\\X\\\\", "A"), "C:\\X\\\\A");
    EXPECT_EQ(TargetPath("C:/X/", "A"), "C:/X/\\A");
}

TEST(TargetPath, MustFitItsBufferWithTheZero) {
    const std::string directory = "C:\\" + std::string(200, 'D');
    const std::string fits(kTargetPathBufferSize - 2 - directory.size(), 'N');
    const auto path = TargetPath(directory, fits);
    ASSERT_TRUE(path);
    EXPECT_EQ(path->size(), kTargetPathBufferSize - 1);
    EXPECT_FALSE(TargetPath(directory, fits + "N"));
    EXPECT_FALSE(TargetPath(std::string(300, 'D'), "A"));
}

TEST(SafeRecordName, AcceptsNamesBelowTheDirectory) {
    for (const char* name : {"A.TXT", "DATA\\MAP.DAT", "DATA/MAP.DAT", "a..b", "..a", "a.b.c\\d e",
                             "CONFIG.SYS", "COM10", "LPT0.TXT", "x.", "CONSOLE"}) {
        EXPECT_TRUE(IsSafeRecordName(name)) << name;
    }
}

TEST(SafeRecordName, RefusesNamesThatLeaveTheDirectory) {
    for (const char* name : {"",
                             "\\A.TXT",
                             "/A.TXT",
                             "\\\\server\\share\\A",
                             "C:\\A.TXT",
                             "C:A.TXT",
                             "A.TXT:stream",
                             "..",
                             "..\\A.TXT",
                             "DATA\\..\\..\\A.TXT",
                             "DATA/../A",
                             "DATA\\..",
                             ".\\A",
                             ". .\\A",
                             "...\\A",
                             ".. \\A",
                             "DATA\\\\A",
                             "DATA\\",
                             " \\A",
                             "A\tB",
                             "CON",
                             "nul.txt",
                             "DATA\\com1",
                             "LPT9.DAT",
                             "AUX .X"}) {
        EXPECT_FALSE(IsSafeRecordName(name)) << name;
    }
}

TEST(RootFromByte, MapsTheSixRootsAndEverythingElseToPerformanceData) {
    EXPECT_EQ(RootFromByte(0), RegistryRoot::kClassesRoot);
    EXPECT_EQ(RootFromByte(1), RegistryRoot::kCurrentUser);
    EXPECT_EQ(RootFromByte(2), RegistryRoot::kLocalMachine);
    EXPECT_EQ(RootFromByte(3), RegistryRoot::kUsers);
    EXPECT_EQ(RootFromByte(4), RegistryRoot::kCurrentConfig);
    EXPECT_EQ(RootFromByte(5), RegistryRoot::kDynData);
    for (int8_t other : {int8_t{6}, int8_t{9}, int8_t{127}, int8_t{-1}, int8_t{-128}}) {
        EXPECT_EQ(RootFromByte(other), RegistryRoot::kPerformanceData) << int{other};
    }
}

TEST(RegistryValueText, StopsAtTheFirstZero) {
    const unsigned char value[] = "C:\\GAMES\\RUN.EXE\0junk";
    EXPECT_EQ(RegistryValueText(value, kRegistryValueBufferSize, sizeof value),
              "C:\\GAMES\\RUN.EXE");
}

TEST(RegistryValueText, NeverReadsPastTheValue) {
    unsigned char buffer[kRegistryValueBufferSize];
    std::fill(std::begin(buffer), std::end(buffer), 'A');
    // No zero, but room for one: the whole value is the text.
    EXPECT_EQ(RegistryValueText(buffer, sizeof buffer, 5), "AAAAA");
    EXPECT_EQ(RegistryValueText(buffer, sizeof buffer, sizeof buffer - 1),
              std::string(sizeof buffer - 1, 'A'));
    // The buffer filled without a zero: the value may be longer than read.
    EXPECT_FALSE(RegistryValueText(buffer, sizeof buffer, sizeof buffer));
    buffer[sizeof buffer - 1] = 0;
    EXPECT_EQ(RegistryValueText(buffer, sizeof buffer, sizeof buffer),
              std::string(sizeof buffer - 1, 'A'));
    EXPECT_FALSE(RegistryValueText(buffer, sizeof buffer, sizeof buffer + 1));
    EXPECT_EQ(RegistryValueText(buffer, sizeof buffer, 0), "");
}

TEST(DirectoryTable, LookupReturnsTheLastEntryWithTheId) {
    DirectoryTable table;
    EXPECT_EQ(table.Find(-1), nullptr);
    table.Append({"C:\\WINDOWS", -1});
    table.Append({"C:\\A\\", 7});
    table.Append({"C:\\B\\", 8});
    table.Append({"C:\\C\\", 7});
    ASSERT_NE(table.Find(7), nullptr);
    EXPECT_EQ(table.Find(7)->Path, "C:\\C\\");
    EXPECT_EQ(table.Find(8)->Path, "C:\\B\\");
    EXPECT_EQ(table.Find(-1)->Path, "C:\\WINDOWS");
    EXPECT_EQ(table.Find(9), nullptr);
    EXPECT_EQ(table.size(), 4u);
}

}  // namespace
}  // namespace kqp
