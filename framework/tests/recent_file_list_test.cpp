#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "file_filter.h"
#include "recent_file_list.h"

namespace lrx::fw {
namespace {

using Paths = std::vector<std::string>;

TEST(RecentFileList, KeepsTheNewestFirstWithoutCaseDuplicatesUpToCapacity) {
    RecentFileList list(3);
    list.Add("C:\\a.lrx");
    list.Add("C:\\b.lrx");
    list.Add("C:\\A.LRX");  // the same file: moves up, keeps the new spelling
    EXPECT_EQ(list.Paths(), (Paths{"C:\\A.LRX", "C:\\b.lrx"}));
    list.Add("C:\\c.lrx");
    list.Add("C:\\d.lrx");
    EXPECT_EQ(list.Paths(), (Paths{"C:\\d.lrx", "C:\\c.lrx", "C:\\A.LRX"}));
    list.Add("");
    EXPECT_EQ(list.Paths().size(), 3u);
}

TEST(RecentFileList, AssignDropsEmptiesDuplicatesAndOverflow) {
    RecentFileList list(2);
    list.Assign({"", "x.lrx", "X.lrx", "y.lrx", "z.lrx"});
    EXPECT_EQ(list.Paths(), (Paths{"x.lrx", "y.lrx"}));
}

TEST(RecentFileMenu, ShortensLongPathsInTheMiddle) {
    EXPECT_EQ(ShortenPathMiddle("C:\\short.lrx", 30), "C:\\short.lrx");
    EXPECT_EQ(ShortenPathMiddle("C:\\Games\\Replays\\Season 2024\\Round 12\\final-race.lrx", 30),
              "C:\\...\\Round 12\\final-race.lrx");
    EXPECT_EQ(ShortenPathMiddle("C:\\Games\\Replays\\a-very-long-replay-archive-name.lrx", 20),
              "...-archive-name.lrx");
    EXPECT_EQ(ShortenPathMiddle("/home/x/one/two/three.lrx", 16), "/.../three.lrx");
    for (std::size_t max = 0; max < 40; ++max) {
        EXPECT_LE(ShortenPathMiddle("C:\\Games\\Replays\\Season\\race.lrx", max).size(), max);
    }
}

TEST(RecentFileMenu, NumbersItemsAndEscapesAmpersands) {
    EXPECT_EQ(RecentFileMenuText(0, "C:\\R&D\\a.lrx"), "&1 C:\\R&&D\\a.lrx");
    EXPECT_EQ(RecentFileMenuText(9, "b.lrx"), "10 b.lrx");
    // Shortening counts what is shown, before the escape.
    EXPECT_EQ(RecentFileMenuText(1, "C:\\Games\\Replays\\Season & Cup\\race.lrx", 28),
              "&2 C:\\...\\Season && Cup\\race.lrx");
}

TEST(FileFilter, PipesBecomeNulsEndingInTwo) {
    const std::string filter = FilterWithNulls("Archives (*.lrx)|*.lrx|All (*.*)|*.*|");
    EXPECT_EQ(filter, std::string("Archives (*.lrx)\0*.lrx\0All (*.*)\0*.*\0", 37));
    EXPECT_EQ(filter.c_str()[filter.size()], '\0');
    EXPECT_EQ(FilterWithNulls("A|*.a"), std::string("A\0*.a\0", 6));
    EXPECT_EQ(FilterWithNulls(""), "");
}

}  // namespace
}  // namespace lrx::fw
