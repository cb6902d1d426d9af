// TLRXWindow without its window: the rows (ArchiveList), their geometry
// (ListGeometry) and the locale seam. The window's methods map one to one:
//   Paint          -> Paint(input), then draw the returned layout in MM_TWIPS
//   SortFiles      -> SortFiles()        CountFiles -> CountFiles()
//   HeaderClicked  -> List().ChooseSortKey(i), then its own SortFiles
//   CheckLines     -> CheckLines()
//   EvScroll       -> Geometry().MoveTopLine(code, 32-bit thumb, RowCount), its
//                     own CheckLines, then the thumb to TopLine() (EvScroll()
//                     does the three at once)
//   EvLButtonDown  -> EvLButtonDown(y, shift, ctrl)
//   wheel, keys    -> EvMouseWheel, EvKeyDown (beyond the menu commands)
// A true result means: repaint the whole client (invalidate with erase).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "archive_list.h"
#include "list_geometry.h"
#include "list_texts.h"
#include "locale_services.h"

namespace lrx::mgr {

enum class ListKey { kUp, kDown, kPageUp, kPageDown, kHome, kEnd, kSelectAll };

struct PaintInput {
    int clientWidthPixels = 0;
    int clientHeightPixels = 0;
    // The row font's text-metric height (font units, taken as twips); used
    // by the first paint only.
    int textHeight = 0;
    std::array<int, 5> headerWidths{};  // header items' current widths, pixels
};

enum class CellAlign { kLeft, kRight };

// One ExtTextOut with ETO_CLIPPED: reference point (x, row top), clip
// rectangle (clipLeft, row top, clipRight, row bottom); all in twips, y up.
struct CellLayout {
    std::string text;
    CellAlign align = CellAlign::kLeft;
    int x = 0;
    int clipLeft = 0;
    int clipRight = 0;
};

struct RowLayout {
    int top = 0;            // -s - r x LineHeight
    int bottom = 0;         // -s - (r + 1) x LineHeight
    bool selected = false;  // invert (0, top, clientWidthTwips, bottom) with R2_NOT
    // Drawing order: Name, Date, Raw Size, Packed Size, Ratio.
    std::array<CellLayout, 5> cells;
};

struct PageLayout {
    int clientWidthTwips = 0;
    ScrollBarState scrollBar;  // set range 0..max without redraw; disable when !enabled
    std::vector<RowLayout> rows;
};

class ListWindowModel {
  public:
    ListWindowModel(int logicalExtent, int deviceExtent, const LocaleServices& locale);

    ArchiveList& List() { return list_; }
    const ArchiveList& List() const { return list_; }
    ListGeometry& Geometry() { return geometry_; }
    const ListGeometry& Geometry() const { return geometry_; }

    // Fixes the row height on the first call, updates LinesPerPage, clamps
    // TopLine before the rows are chosen (so a paint after a delete while
    // scrolled down shows the last page), and lays out the visible rows.
    PageLayout Paint(const PaintInput& input);
    void SortFiles() { list_.SortFiles(); }
    int CountFiles() const { return list_.CountFiles(); }
    bool HeaderClicked(int item) { return list_.HeaderClicked(item); }
    void CheckLines() { geometry_.CheckLines(list_.RowCount()); }
    bool EvScroll(ScrollCode code, int thumbPosition);
    // Ignored before the first paint and outside the rows.
    bool EvLButtonDown(int yPixels, bool shift, bool ctrl);
    bool EvMouseWheel(int delta, int linesPerNotch);
    // Up, Down, Page Up, Page Down, Home, End move the caret (Shift extends
    // from the anchor) and scroll it into view; Ctrl+A selects every row.
    bool EvKeyDown(ListKey key, bool shift);

  private:
    RowLayout LayoutRow(int row, int rowOnPage, const ColumnStops& stops) const;

    const LocaleServices& locale_;
    ArchiveList list_;
    ListGeometry geometry_;
};

}  // namespace lrx::mgr
