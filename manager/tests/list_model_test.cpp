#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <tuple>

#include "list_window_model.h"
#include "lrxpack.h"
#include "manager_test_support.h"

namespace lrx::mgr::test {
namespace {

// Listing order a, b, c, d: raw sizes tie (a, c), packed sizes tie (a, c and
// b, d), a and b were written in the same minute.
const std::vector<Record> kRecords = {
    {"a.rpl", 10, 5, 2024, 3, 5, 10, 0},
    {"b.rpl", 5, 9, 2024, 3, 5, 10, 0},
    {"c.rpl", 10, 5, 2024, 3, 6, 9, 0},
    {"d.rpl", 1, 9, 2023, 12, 31, 23, 59},
};

class ListModel : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteArchive(dir_ / "t.lrx", kRecords);
        ASSERT_EQ(model_.List().List(dir_ / "t.lrx"), LRX_OK);
        model_.List().SetFileCount(model_.CountFiles());
        model_.SortFiles();
    }
    std::string Order() const {
        std::string order;
        for (int r = 0; r < model_.List().RowCount(); ++r) order += model_.List().Row(r).name[0];
        return order;
    }
    std::string Flags() const {
        std::string flags;
        for (int r = 0; r < model_.List().RowCount(); ++r)
            flags += model_.List().IsSelected(r) ? '1' : '0';
        return flags;
    }

    lrx::test::ScratchDir dir_;
    PortableLocale locale_;
    ListWindowModel model_{1440, 96, locale_};
};

TEST_F(ListModel, HeaderClicksSortWithTheirTieRules) {
    struct Case {
        int item;
        int clicks;
        const char* order;
    };
    const Case cases[] = {
        {0, 2, "dcba"}, {1, 1, "dbac"}, {1, 2, "cabd"}, {2, 1, "acbd"},
        {2, 2, "dbca"}, {4, 1, "cabd"}, {4, 2, "dbac"},
    };
    for (const Case& c : cases) {
        model_.HeaderClicked(c.item == 0 ? 1 : 0);  // another key first: the clicks start at +1
        for (int i = 0; i < c.clicks; ++i) model_.HeaderClicked(c.item);
        EXPECT_EQ(Order(), c.order) << "item " << c.item << " x" << c.clicks;
    }
    // Ratio neither sorts nor clears the selection.
    model_.List().ClickRow(1, false, false);
    EXPECT_FALSE(model_.HeaderClicked(3));
    EXPECT_EQ(Flags(), "0100");
}

TEST_F(ListModel, MouseAndKeysSelectFromTheAnchor) {
    // c/C/S/B: click, Ctrl, Shift, Shift+Ctrl on the digit's row; U/D/H/E:
    // Up, Down, Home, End, lower case with Shift; A: Ctrl+A.
    struct Case {
        const char* steps;
        const char* flags;
        int anchor;
    };
    const Case cases[] = {
        {"c2", "0010", 2},  {"c1C3", "0101", 3}, {"c1C1", "0000", 1}, {"c0S2", "1110", 2},
        {"S2", "0010", 2},  {"c3B1", "0111", 1}, {"c1dd", "0111", 1}, {"c1ddU", "0010", 2},
        {"c2h", "1110", 2}, {"E", "0001", 3},    {"A", "1111", -1},   {"c3eeeD", "0001", 3},
    };
    for (const Case& c : cases) {
        ListWindowModel fresh(1440, 96, locale_);  // Anchor survives sorting: start anew
        ASSERT_EQ(fresh.List().List(dir_ / "t.lrx"), LRX_OK);
        fresh.List().SetFileCount(4);
        fresh.SortFiles();
        for (const char* s = c.steps; *s; ++s) {
            const char step = *s;
            if (std::string("cCSB").find(step) != std::string::npos) {
                const int row = *++s - '0';
                fresh.List().ClickRow(row, step == 'S' || step == 'B', step == 'C' || step == 'B');
                continue;
            }
            const char upper = static_cast<char>(std::toupper(step));
            const ListKey key = upper == 'U'   ? ListKey::kUp
                                : upper == 'D' ? ListKey::kDown
                                : upper == 'H' ? ListKey::kHome
                                : upper == 'E' ? ListKey::kEnd
                                               : ListKey::kSelectAll;
            fresh.EvKeyDown(key, step != upper);
        }
        std::string flags;
        for (int r = 0; r < 4; ++r) flags += fresh.List().IsSelected(r) ? '1' : '0';
        EXPECT_EQ(flags, c.flags) << c.steps;
        EXPECT_EQ(fresh.List().Anchor(), c.anchor) << c.steps;
        EXPECT_TRUE(fresh.List().RowClicked()) << c.steps;
    }
}

TEST_F(ListModel, RowsComeFromTheListingNotFromFileCount) {
    // New keeps the listing and sets FileCount to 0: a header click, an Add
    // whose prompt was cancelled, a click must not reach past the rows.
    model_.List().SetFileCount(0);
    model_.List().DropRows();
    model_.HeaderClicked(1);
    EXPECT_EQ(model_.List().RowCount(), 0);
    EXPECT_FALSE(model_.List().ClickRow(0, false, false));
    model_.List().SetFileCount(9);
    EXPECT_EQ(Order(), "dbac");
}

TEST_F(ListModel, ClicksMapThroughTheHeadersRealHeight) {
    // 15 twips a pixel; a text height of 230 twips makes 16-pixel rows (240
    // twips); the header is 24 pixels (360 twips), taller than a row.
    struct Case {
        int topLine;
        int y;
        int row;  // -1: nothing
    };
    const Case cases[] = {{0, 23, -1}, {0, 24, 0}, {0, 36, 0},  {0, 39, 0}, {0, 40, 1},
                          {0, 71, 2},  {0, 72, 3}, {0, 88, -1}, {2, 36, 2}, {2, 52, 3}};
    EXPECT_FALSE(model_.EvLButtonDown(40, false, false));  // before the first paint
    model_.Geometry().SetHeaderHeight(24);
    PaintInput input{400, 424, 230, {100, 80, 80, 50, 120}};
    model_.Paint(input);
    EXPECT_EQ(model_.Geometry().LineHeight(), 240);
    EXPECT_EQ(model_.Geometry().LinesPerPage(), 25);
    for (const Case& c : cases) {
        model_.Geometry().SetTopLine(c.topLine);
        const auto row = model_.Geometry().RowAt(c.y, model_.List().RowCount());
        EXPECT_EQ(row.value_or(-1), c.row) << "top " << c.topLine << " y " << c.y;
    }
}

TEST_F(ListModel, PaintLaysOutCellsAndClampsTopLineFirst) {
    model_.Geometry().SetHeaderHeight(24);
    model_.Geometry().SetTopLine(50);  // as if scrolled down a list that has since shrunk
    model_.List().ClickRow(1, false, false);
    const PageLayout page = model_.Paint({400, 424, 230, {100, 80, 80, 50, 120}});
    ASSERT_EQ(page.rows.size(), 4u);
    EXPECT_EQ(page.clientWidthTwips, 6000);
    EXPECT_FALSE(page.scrollBar.enabled);
    EXPECT_EQ(page.scrollBar.max, 0);
    const RowLayout& row = page.rows[1];
    EXPECT_EQ(row.top, -600);
    EXPECT_EQ(row.bottom, -840);
    EXPECT_TRUE(row.selected);
    // Stops at 75, 1575, 2775, 3975, 4725, 6525; margin 75.
    const CellLayout& name = row.cells[0];
    EXPECT_EQ(std::tie(name.text, name.x, name.clipLeft, name.clipRight),
              std::tuple(std::string("b.rpl"), 75, 75, 1425));
    const CellLayout& ratio = row.cells[4];
    EXPECT_EQ(std::tie(ratio.text, ratio.x, ratio.clipLeft, ratio.clipRight),
              std::tuple(std::string("-80%"), 4575, 3975, 4575));
    EXPECT_EQ(row.cells[1].text, "2024-03-05 10:00");
    EXPECT_EQ(row.cells[2].align, CellAlign::kRight);
}

TEST(ListGeometry, ScrollingKeepsTopLineInRange) {
    struct Case {
        int count;
        int top;
        ScrollCode code;
        int thumb;
        int expected;
    };
    // 25 lines a page.
    const Case cases[] = {
        {100, 0, ScrollCode::kLineDown, 0, 1},
        {100, 0, ScrollCode::kLineUp, 0, 0},
        {100, 70, ScrollCode::kPageDown, 0, 75},
        {100, 30, ScrollCode::kPageUp, 0, 5},
        {100, 9, ScrollCode::kBottom, 0, 75},
        {100, 9, ScrollCode::kThumb, 1000, 75},
        {100, 9, ScrollCode::kTop, 0, 0},
        {10, 0, ScrollCode::kPageDown, 0, 0},
        {70000, 0, ScrollCode::kThumb, 69000, 69000},
    };
    for (const Case& c : cases) {
        ListGeometry g(1440, 96);
        g.SetHeaderHeight(24);
        g.MeasureLine(230);
        g.SetClientHeight(424);
        g.SetTopLine(c.top);
        EXPECT_EQ(g.Scroll(c.code, c.thumb, c.count), c.top != c.expected);
        EXPECT_EQ(g.TopLine(), c.expected) << c.count << " from " << c.top;
    }
    ListGeometry g(1440, 96);
    g.MeasureLine(230);
    g.SetClientHeight(424);  // no header: 26 lines
    EXPECT_EQ(g.ScrollBar(10).max, 0);
    EXPECT_FALSE(g.ScrollBar(26).enabled);
    EXPECT_EQ(g.ScrollBar(70000).max, 69974);
    EXPECT_FALSE(g.Wheel(-60, 3, 100));  // half a notch
    EXPECT_TRUE(g.Wheel(-60, 3, 100));
    EXPECT_EQ(g.TopLine(), 3);
    g.Wheel(120, 0, 100);  // a page per notch
    EXPECT_EQ(g.TopLine(), 0);
}

}  // namespace
}  // namespace lrx::mgr::test
