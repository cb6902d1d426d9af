#include "list_window_model.h"

#include <algorithm>

namespace lrx::mgr {

ListWindowModel::ListWindowModel(int logicalExtent, int deviceExtent, const LocaleServices& locale)
    : locale_(locale), list_(locale), geometry_(logicalExtent, deviceExtent) {}

PageLayout ListWindowModel::Paint(const PaintInput& input) {
    geometry_.MeasureLine(input.textHeight);
    geometry_.SetClientHeight(input.clientHeightPixels);
    const int count = list_.RowCount();
    // Clamped before the rows are chosen: after a delete while scrolled down
    // TopLine can lie past the last row, and this paint would show nothing.
    geometry_.CheckLines(count);

    PageLayout page;
    page.clientWidthTwips = geometry_.ToTwips(input.clientWidthPixels);
    page.scrollBar = geometry_.ScrollBar(count);
    const ColumnStops stops = geometry_.Stops(input.headerWidths);
    const int first = geometry_.TopLine();
    const int end = std::min(count, first + geometry_.LinesPerPage());
    for (int row = first; row < end; ++row) page.rows.push_back(LayoutRow(row, row - first, stops));
    return page;
}

RowLayout ListWindowModel::LayoutRow(int row, int rowOnPage, const ColumnStops& stops) const {
    const int s = geometry_.HeaderTwips();
    const int line = geometry_.LineHeight();
    const int m2 = 2 * stops.margin;
    const auto& x = stops.x;
    const CellTexts texts = FormatCells(list_.Row(row), locale_);

    RowLayout layout;
    layout.top = -s - rowOnPage * line;
    layout.bottom = -s - (rowOnPage + 1) * line;
    layout.selected = list_.IsSelected(row);
    layout.cells = {{
        {texts.name, CellAlign::kLeft, x[0], x[0], x[1] - m2},
        {texts.date, CellAlign::kLeft, x[4], x[4], x[5] - m2},
        {texts.rawSize, CellAlign::kRight, x[2] - m2, x[1], x[2] - m2},
        {texts.packedSize, CellAlign::kRight, x[3] - m2, x[2], x[3] - m2},
        {texts.ratio, CellAlign::kRight, x[4] - m2, x[3], x[4] - m2},
    }};
    return layout;
}

bool ListWindowModel::EvScroll(ScrollCode code, int thumbPosition) {
    return geometry_.Scroll(code, thumbPosition, list_.RowCount());
}

bool ListWindowModel::EvLButtonDown(int yPixels, bool shift, bool ctrl) {
    const auto row = geometry_.RowAt(yPixels, list_.RowCount());
    return row && list_.ClickRow(*row, shift, ctrl);
}

bool ListWindowModel::EvMouseWheel(int delta, int linesPerNotch) {
    return geometry_.Wheel(delta, linesPerNotch, list_.RowCount());
}

bool ListWindowModel::EvKeyDown(ListKey key, bool shift) {
    const int count = list_.RowCount();
    if (count == 0) return false;
    if (key == ListKey::kSelectAll) return list_.SelectAll();

    const int caret = list_.Caret();
    const int page = std::max(geometry_.LinesPerPage() - 1, 1);
    int target = 0;
    switch (key) {
        case ListKey::kUp:
            target = caret < 0 ? 0 : caret - 1;
            break;
        case ListKey::kDown:
            target = caret < 0 ? 0 : caret + 1;
            break;
        case ListKey::kPageUp:
            target = caret < 0 ? 0 : caret - page;
            break;
        case ListKey::kPageDown:
            target = caret < 0 ? 0 : caret + page;
            break;
        case ListKey::kHome:
            target = 0;
            break;
        case ListKey::kEnd:
            target = count - 1;
            break;
        case ListKey::kSelectAll:
            break;
    }
    target = std::clamp(target, 0, count - 1);
    list_.MoveCaret(target, shift);
    geometry_.ScrollIntoView(target, count);
    return true;
}

}  // namespace lrx::mgr
