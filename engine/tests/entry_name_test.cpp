#include <gtest/gtest.h>

#include "entry_name.h"

namespace lrx {
namespace {

TEST(EntryName, IsFileNamePlusExtensionComparedIgnoringAsciiCase) {
    EXPECT_EQ(EntryNameOf("/home/p/replays/race1.rpl"), "race1.rpl");
#ifdef _WIN32
    EXPECT_EQ(EntryNameOf("C:\\games\\Race1.RPL"), "Race1.RPL");
    EXPECT_EQ(EntryNameOf("d:race1"), "race1.rpl");
    EXPECT_EQ(EntryNameOf("sub\\race9.rpl"), "race9.rpl");
#else  // only "/" separates: the rest is a name, for the name rule to judge
    EXPECT_EQ(EntryNameOf("C:\\games\\Race1.RPL"), "C:\\games\\Race1.RPL");
    EXPECT_EQ(EntryNameOf("d:race1"), "d:race1.rpl");
    EXPECT_EQ(EntryNameOf("sub\\race9.rpl"), "sub\\race9.rpl");
#endif
    EXPECT_EQ(EntryNameOf("dir.v2/race1"), "race1.rpl");  // a dot in a folder is no extension
    EXPECT_EQ(EntryNameOf("a.b.c"), "a.b.c");
    EXPECT_EQ(ReplayFilePath("dir/race1"), "dir/race1.rpl");
    EXPECT_EQ(ReplayFilePath("dir/race1.dat"), "dir/race1.dat");
    EXPECT_TRUE(SameEntryName("RACE1.rpl", "race1.RPL"));
    EXPECT_FALSE(SameEntryName("race1.rpl", "race1.rp"));
    EXPECT_EQ(LowerAscii("AbC.RPL"), "abc.rpl");
}

TEST(EntryName, OnlyPlainFileNamesAreAllowed) {
    for (const char* name : {"race1.rpl", "a", "x..y", ".hidden", "com0.rpl", "console.rpl",
                             "com\xB4.rpl", "lpt\xB9x"}) {
        EXPECT_TRUE(IsSafeEntryName(name)) << name;
    }
    for (const char* name : {"", ".", "..", "../x", "..\\x.exe", "c:x", "a/b", "a\\b", "tab\tx",
                             "bell\x07", "del\x7f"}) {
        EXPECT_FALSE(IsSafeEntryName(name)) << name;
    }
#ifdef _WIN32
    for (const char* name : {"con", "CON.rpl", "nul.txt", "com1", "LPT9.rpl", "x.", "x ",
                             "com\xB9.rpl", "COM\xB2", "lpt\xB3.x"}) {
        EXPECT_FALSE(IsSafeEntryName(name)) << name;
    }
#endif
}

}  // namespace
}  // namespace lrx
