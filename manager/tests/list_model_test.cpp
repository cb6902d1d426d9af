#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "list_window_model.h"
#include "lrxpack.h"
#include "test_files.h"

namespace lrx::mgr::test {
namespace {

struct Record {
    const char* name;
    int32_t rawSize, packedSize;
    uint16_t year, month, day, hour, minute;
};

// Each record behind packedSize zero bytes, as the directory walk expects.
void WriteArchive(const std::string& path, const std::vector<Record>& records) {
    lrx::test::Bytes bytes = lrx::test::ArchiveHeader();
    for (const Record& r : records) {
        bytes.resize(bytes.size() + static_cast<std::size_t>(r.packedSize), 0);
        lrx::test::Bytes record = lrx::test::FileInfoBytes(r.name, r.rawSize, r.packedSize);
        record.resize(22);
        for (uint16_t field : {r.year, r.month, r.day, r.hour, r.minute})
            lrx::test::AppendU16(record, field);
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    lrx::test::WriteFile(path, bytes);
}

// Listing order a, b, c, d: raw sizes tie (a, c), packed sizes tie (a, c and
// b, d), a and b were written in the same minute.
const std::vector<Record> kRecords = {
    {"a.rpl", 10, 5, 2024, 3, 5, 10, 0},
    {"b.rpl", 5, 9, 2024, 3, 5, 10, 0},
    {"c.rpl", 10, 5, 2024, 3, 6, 9, 0},
    {"d.rpl", 1, 9, 2023, 12, 31, 23, 59},
};
// 15 twips a pixel; a text height of 230 twips gives 16-pixel rows (240
// twips); the header is 24 pixels (360 twips), taller than a row; 25 lines.
const PaintInput kPaint{400, 424, 230, {100, 80, 80, 50, 120}};

class ListModel : public ::testing::Test {
  protected:
    void SetUp() override { WriteArchive(dir_ / "t.lrx", kRecords); }
    std::unique_ptr<ListWindowModel> Open() {
        auto model = std::make_unique<ListWindowModel>(1440, 96, locale_);
        EXPECT_EQ(model->List().List(dir_ / "t.lrx"), LRX_OK);
        model->List().SetFileCount(model->CountFiles());
        model->SortFiles();
        model->Geometry().SetHeaderHeight(24);
        return model;
    }
    static std::string Rows(const ArchiveList& list, bool flags) {
        std::string rows;
        for (int r = 0; r < list.RowCount(); ++r)
            rows += flags ? (list.IsSelected(r) ? '1' : '0') : list.Row(r).name[0];
        return rows;
    }

    lrx::test::ScratchDir dir_;
    PortableLocale locale_;
};

TEST_F(ListModel, HeaderClicksSortWithTheirTieRules) {
    const std::tuple<int, int, const char*> cases[] = {
        {0, 2, "dcba"}, {1, 1, "dbac"}, {1, 2, "cabd"}, {2, 1, "acbd"},
        {2, 2, "dbca"}, {4, 1, "cabd"}, {4, 2, "dbac"},
    };
    for (const auto& [item, clicks, order] : cases) {
        auto model = Open();
        if (item == 0) model->HeaderClicked(1);
        for (int i = 0; i < clicks; ++i) model->HeaderClicked(item);
        EXPECT_EQ(Rows(model->List(), false), order) << item << " x" << clicks;
    }
    // Ratio neither sorts nor clears the selection.
    auto model = Open();
    model->List().ClickRow(1, false, false);
    EXPECT_FALSE(model->HeaderClicked(3));
    EXPECT_EQ(Rows(model->List(), true), "0100");
    // New keeps the listing and sets FileCount to 0: a header click, an Add
    // whose prompt was cancelled, a click must not reach past the rows.
    model->List().SetFileCount(0);
    model->List().DropRows();
    model->HeaderClicked(1);
    EXPECT_FALSE(model->List().ClickRow(0, false, false));
    model->List().SetFileCount(9);
    EXPECT_EQ(Rows(model->List(), false), "dbac");
}

TEST_F(ListModel, MouseAndKeysSelectFromTheAnchor) {
    // c/C/S/B: click, Ctrl, Shift, Shift+Ctrl on the digit's row; U/D/H/E:
    // Up, Down, Home, End, lower case with Shift; A: Ctrl+A.
    const std::tuple<const char*, const char*, int> cases[] = {
        {"c2", "0010", 2},  {"c1C3", "0101", 3}, {"c1C1", "0000", 1}, {"c0S2", "1110", 2},
        {"S2", "0010", 2},  {"c3B1", "0111", 1}, {"c1dd", "0111", 1}, {"c1ddU", "0010", 2},
        {"c2h", "1110", 2}, {"E", "0001", 3},    {"A", "1111", -1},   {"c3eeeD", "0001", 3},
    };
    for (const auto& [steps, flags, anchor] : cases) {
        auto model = Open();
        for (const char* s = steps; *s; ++s) {
            const char step = *s, upper = static_cast<char>(std::toupper(step));
            if (std::string("CSB").find(upper) != std::string::npos) {
                model->List().ClickRow(*++s - '0', upper != 'C', step == 'C' || step == 'B');
            } else {
                const auto key = static_cast<ListKey>(std::string("UD..HEA").find(upper));
                model->EvKeyDown(key, step != upper);
            }
        }
        EXPECT_EQ(Rows(model->List(), true), flags) << steps;
        EXPECT_EQ(model->List().Anchor(), anchor) << steps;
        EXPECT_TRUE(model->List().RowClicked()) << steps;
    }
    // With two rows a page the caret's row is always painted.
    auto model = Open();
    PaintInput twoRows = kPaint;
    twoRows.clientHeightPixels = 24 + 2 * 16;
    model->Paint(twoRows);
    std::string pages;
    for (ListKey key : {ListKey::kDown, ListKey::kDown, ListKey::kDown, ListKey::kDown,
                        ListKey::kUp, ListKey::kUp, ListKey::kUp, ListKey::kEnd, ListKey::kHome}) {
        model->EvKeyDown(key, false);
        for (const RowLayout& row : model->Paint(twoRows).rows) pages += row.cells[0].text[0];
        pages = pages + ':' + model->List().Row(model->List().Caret()).name[0] + ' ';
    }
    EXPECT_EQ(pages, "ab:a ab:b bc:c cd:d cd:c bc:b ab:a cd:d ab:a ");
}

TEST_F(ListModel, ClicksMapThroughTheHeadersRealHeightAndPaintClampsFirst) {
    const std::tuple<int, int, int> cases[] = {
        // TopLine, y, row (-1: none)
        {0, 23, -1}, {0, 24, 0}, {0, 36, 0},  {0, 39, 0}, {0, 40, 1},
        {0, 71, 2},  {0, 72, 3}, {0, 88, -1}, {2, 36, 2}, {2, 52, 3},
    };
    auto model = Open();
    EXPECT_FALSE(model->EvLButtonDown(40, false, false));  // before the first paint
    model->Geometry().SetTopLine(50);  // scrolled down a list that has since shrunk
    model->List().ClickRow(1, false, false);
    const PageLayout page = model->Paint(kPaint);
    ASSERT_EQ(page.rows.size(), 4u);
    EXPECT_EQ(std::tie(page.rows[1].top, page.rows[1].bottom), std::tuple(-600, -840));
    EXPECT_TRUE(page.rows[1].selected);
    EXPECT_FALSE(page.rows[2].selected);
    // Every cell of rows b and c, in drawing order: name, date, raw, packed,
    // ratio. Stops at 75, 1575, 2775, 3975, 4725, 6525; margin 75.
    const auto left = CellAlign::kLeft, right = CellAlign::kRight;
    const std::tuple<CellAlign, int, int, int> columns[5] = {{left, 75, 75, 1425},
                                                             {left, 4725, 4725, 6375},
                                                             {right, 2625, 1575, 2625},
                                                             {right, 3825, 2775, 3825},
                                                             {right, 4575, 3975, 4575}};
    const std::string texts[2][5] = {{"b.rpl", "2024-03-05 10:00", "5", "9", "-80%"},
                                     {"c.rpl", "2024-03-06 09:00", "10", "5", "50%"}};
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 5; ++c) {
            const CellLayout& cell = page.rows[r + 1].cells[c];
            EXPECT_EQ(cell.text, texts[r][c]) << "row " << r + 1 << " cell " << c;
            EXPECT_EQ(std::tie(cell.align, cell.x, cell.clipLeft, cell.clipRight), columns[c]) << c;
        }
    }
    for (const auto& [top, y, row] : cases) {
        model->Geometry().SetTopLine(top);
        EXPECT_EQ(model->Geometry().RowAt(y, 4).value_or(-1), row) << top << " " << y;
    }
}

TEST(ListGeometry, OnAScreenWithMoreDotsTheMarginAndStopsGrowWithIt) {
    const ListGeometry g(10261, 1024);  // 144 dpi, as wine measures it in MM_TWIPS
    const ColumnStops stops = g.Stops({150, 150, 150, 150, 150});
    EXPECT_EQ(stops.margin, 75);  // 7.5 pixels, 5 at 96 dpi
    EXPECT_EQ(stops.x, (std::array<int, 6>{75, 1578, 3081, 4584, 6087, 7590}));
}

TEST(ListGeometry, ScrollingKeepsTopLineInRange) {
    const std::tuple<int, int, ScrollCode, int, int> cases[] = {
        // rows, from, code, thumb, to
        {100, 0, ScrollCode::kLineDown, 0, 1},   {100, 0, ScrollCode::kLineUp, 0, 0},
        {100, 70, ScrollCode::kPageDown, 0, 75}, {100, 30, ScrollCode::kPageUp, 0, 5},
        {100, 9, ScrollCode::kBottom, 0, 75},    {100, 9, ScrollCode::kThumb, 1000, 75},
        {10, 0, ScrollCode::kPageDown, 0, 0},    {70000, 0, ScrollCode::kThumb, 69000, 69000},
    };
    for (const auto& [count, from, code, thumb, to] : cases) {
        ListGeometry g(1440, 96);
        g.SetHeaderHeight(24);
        g.MeasureLine(230);
        g.SetClientHeight(424);
        g.SetTopLine(from);
        EXPECT_EQ(g.Scroll(code, thumb, count), from != to);
        EXPECT_EQ(g.TopLine(), to) << count << " from " << from;
        EXPECT_EQ(g.ScrollBar(count).max, std::max(count - 25, 0));
        EXPECT_EQ(g.ScrollBar(count).enabled, count > 25);
    }
    // The caret's row brought into view: last on the page when below it.
    const std::tuple<int, int, int> caretCases[] = {
        // from, caret row, to
        {0, 24, 0}, {0, 25, 1}, {0, 30, 6},  {10, 34, 10}, {10, 35, 11},
        {10, 9, 9}, {10, 0, 0}, {0, 99, 75}, {75, 99, 75},
    };
    for (const auto& [from, row, to] : caretCases) {
        ListGeometry g(1440, 96);
        g.SetHeaderHeight(24);
        g.MeasureLine(230);
        g.SetClientHeight(424);
        g.SetTopLine(from);
        EXPECT_EQ(g.ScrollIntoView(row, 100), from != to) << from << " caret " << row;
        EXPECT_EQ(g.TopLine(), to) << from << " caret " << row;
    }
    ListGeometry g(1440, 96);
    g.MeasureLine(230);
    g.SetClientHeight(424);              // no header: 26 lines
    EXPECT_FALSE(g.Wheel(-60, 3, 100));  // half a notch
    EXPECT_TRUE(g.Wheel(-60, 3, 100));
    EXPECT_EQ(g.TopLine(), 3);
    g.Wheel(120, 0, 100);  // a page per notch
    EXPECT_EQ(g.TopLine(), 0);
}

}  // namespace
}  // namespace lrx::mgr::test
