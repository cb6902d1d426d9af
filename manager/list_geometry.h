// Where the list window's rows are: the twips-to-pixels ratio measured once
// by TLRXWindow's constructor (LogicalExtent = the negated MM_TWIPS window
// extent, DeviceExtent = the viewport extent), the header's height, the row
// height fixed at the first paint, lines per page, TopLine and the scroll bar.
// Conversions multiply first and divide last, truncating toward zero.
//
// TLRXWindow::SetupWindow calls SetHeaderHeight; Paint calls MeasureLine
// (first paint only), SetClientHeight, CheckLines and ScrollBar; EvScroll
// calls Scroll and then sets the thumb to TopLine(); EvLButtonDown maps its
// point with RowAt.
#pragma once

#include <array>
#include <optional>

namespace lrx::mgr {

enum class ScrollCode { kLineUp, kLineDown, kPageUp, kPageDown, kThumb, kTop, kBottom, kOther };

// The vertical bar stays visible; with nothing to scroll it is disabled and
// its range is 0..0. Positions are 32-bit (the thumb is read as a 32-bit
// track position, never the 16-bit one).
struct ScrollBarState {
    int max = 0;
    bool enabled = false;
};

// Column stops in twips: X0 = the margin, Xi = X(i-1) + header item (i-1)'s
// width; the margin is 75 twips (5 pixels at 96 dpi, more on a screen with
// more dots). A cell's text is clipped at X(i+1) - 2m.
struct ColumnStops {
    std::array<int, 6> x{};
    int margin = 0;
};

class ListGeometry {
  public:
    // 1440 and 96 on a 96-dpi screen; a zero or negative extent is taken as 1.
    ListGeometry(int logicalExtent, int deviceExtent);

    int ToPixels(int twips) const;
    int ToTwips(int pixels) const;

    void SetHeaderHeight(int pixels) { headerHeight_ = pixels; }
    int HeaderHeight() const { return headerHeight_; }
    // The header's height in twips, where the first row starts.
    int HeaderTwips() const { return ToTwips(headerHeight_); }

    // The first paint fixes the row height: the font's text height raised to
    // a whole number of pixels, in twips. Later calls change nothing.
    void MeasureLine(int textHeightTwips);
    int LineHeight() const { return lineHeight_; }

    // Whole rows under the header (0 for a window shorter than the header or
    // before the first paint).
    void SetClientHeight(int pixels);
    int LinesPerPage() const { return linesPerPage_; }

    int TopLine() const { return topLine_; }
    void SetTopLine(int line) { topLine_ = line; }
    // TopLine into 0..max(0, fileCount - LinesPerPage).
    void CheckLines(int fileCount);
    // EvScroll's first step: the new TopLine for the code, unclamped (the
    // window then calls its CheckLines).
    void MoveTopLine(ScrollCode code, int thumbPosition, int fileCount);
    // MoveTopLine, then CheckLines. True when TopLine changed (repaint).
    bool Scroll(ScrollCode code, int thumbPosition, int fileCount);
    // Mouse wheel: delta in 120ths of a notch (forward scrolls up), lines per
    // notch from the system (0 or less scrolls a page). Partial notches add
    // up. True when TopLine changed.
    bool Wheel(int delta, int linesPerNotch, int fileCount);
    // Scrolls the least that brings the row into the page. True when moved.
    bool ScrollIntoView(int row, int fileCount);
    ScrollBarState ScrollBar(int fileCount) const;

    // The row under client point y (pixels), through the header's real height
    // and the conversion Paint places rows with; none above the first row,
    // below the last, or before the first paint.
    std::optional<int> RowAt(int yPixels, int fileCount) const;

    // Column stops from the header items' widths in pixels.
    ColumnStops Stops(const std::array<int, 5>& headerWidths) const;

  private:
    int logicalExtent_;
    int deviceExtent_;
    int headerHeight_ = 0;
    int lineHeight_ = 0;
    int linesPerPage_ = 0;
    int topLine_ = 0;
    int wheelRest_ = 0;
};

}  // namespace lrx::mgr
