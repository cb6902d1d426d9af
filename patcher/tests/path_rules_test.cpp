#include <gtest/gtest.h>

#include <string>

#include "directory_table.h"
#include "path_rules.h"
#include "registry_value.h"

namespace kqp {
namespace {

TEST(PathRules, DirectoryPartTakesTheValueAsAFilePath) {
    EXPECT_EQ(DirectoryPart("C:\\GAMES\\X\\RUN.EXE"), "C:\\GAMES\\X\\");
    EXPECT_EQ(DirectoryPart("RUN.EXE"), "");
    EXPECT_EQ(DirectoryPart("C:RUN.EXE"), "C:");
    EXPECT_EQ(DirectoryPart("D:/Games/run.exe"), "D:/Games/");
    EXPECT_EQ(FileNamePart("a\\b/c"), "c");
    EXPECT_EQ(FileNamePart("DIR\\"), "");
}

TEST(PathRules, TargetPathJoinsWithOneBackslashAndFitsItsBuffer) {
    EXPECT_EQ(TargetPath("C:\\GAMES\\X\\", "DATA\\MAP.DAT"), "C:\\GAMES\\X\\DATA\\MAP.DAT");
    EXPECT_EQ(TargetPath("C:\\WINDOWS\\SYSTEM", "A.DLL"), "C:\\WINDOWS\\SYSTEM\\A.DLL");
    EXPECT_EQ(TargetPath("", "A.DLL"), "\\A.DLL");
    EXPECT_EQ(TargetPath("C:\\X\\\\", "A"), "C:\\X\\\\A");

    const std::string directory = "C:\\" + std::string(200, 'D');
    const std::string name(kTargetPathBufferSize - 2 - directory.size(), 'N');
    ASSERT_TRUE(TargetPath(directory, name));
    EXPECT_EQ(TargetPath(directory, name)->size(), kTargetPathBufferSize - 1);
    EXPECT_FALSE(TargetPath(directory, name + "N"));
}

TEST(PathRules, RecordNamesMustStayBelowTheirDirectory) {
    for (const char* name : {"A.TXT", "DATA\\MAP.DAT", "DATA/MAP.DAT", "a..b", "..a", "x.",
                             "d e\\f", "COM10", "LPT0.TXT", "CONSOLE", "COM\xB4"}) {
        EXPECT_TRUE(IsSafeRecordName(name)) << name;
    }
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
                             "...\\A",
                             ".. \\A",
                             "DATA\\\\A",
                             "DATA\\",
                             " \\A",
                             "A\tB",
                             "CON",
                             "nul.txt",
                             "DATA\\com1",
                             "AUX .X",
                             "COM\xB9",
                             "lpt\xB2.txt",
                             "DATA\\LPT\xB3"}) {
        EXPECT_FALSE(IsSafeRecordName(name)) << name;
    }
}

TEST(Registry, RootByteMapsSixRootsAndEverythingElseToPerformanceData) {
    const RegistryRoot roots[] = {RegistryRoot::kClassesRoot,   RegistryRoot::kCurrentUser,
                                  RegistryRoot::kLocalMachine,  RegistryRoot::kUsers,
                                  RegistryRoot::kCurrentConfig, RegistryRoot::kDynData};
    for (int8_t byte = 0; byte < 6; ++byte) EXPECT_EQ(RootFromByte(byte), roots[byte]);
    for (int8_t other : {int8_t{6}, int8_t{127}, int8_t{-1}}) {
        EXPECT_EQ(RootFromByte(other), RegistryRoot::kPerformanceData) << int{other};
    }
}

TEST(Registry, ValueTextNeverReadsPastTheValue) {
    unsigned char buffer[kRegistryValueBufferSize];
    std::fill(std::begin(buffer), std::end(buffer), 'A');
    buffer[3] = 0;
    EXPECT_EQ(RegistryValueText(buffer, sizeof buffer, 10), "AAA");
    buffer[3] = 'A';
    // No zero, but room for one: the whole value is the text.
    EXPECT_EQ(RegistryValueText(buffer, sizeof buffer, 5), "AAAAA");
    // The buffer filled without a zero: the value may go on beyond it.
    EXPECT_FALSE(RegistryValueText(buffer, sizeof buffer, sizeof buffer));
    buffer[sizeof buffer - 1] = 0;
    EXPECT_EQ(RegistryValueText(buffer, sizeof buffer, sizeof buffer)->size(), sizeof buffer - 1);
}

TEST(DirectoryTable, LookupReturnsTheLastEntryWithTheId) {
    DirectoryTable table;
    EXPECT_EQ(table.Find(-1), nullptr);
    table.Append({"C:\\WINDOWS", -1});
    table.Append({"C:\\A\\", 7});
    table.Append({"C:\\C\\", 7});
    EXPECT_EQ(table.Find(7)->Path, "C:\\C\\");
    EXPECT_EQ(table.Find(-1)->Path, "C:\\WINDOWS");
    EXPECT_EQ(table.Find(9), nullptr);
}

}  // namespace
}  // namespace kqp
