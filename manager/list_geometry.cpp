#include "list_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace lrx::mgr {
namespace {

int Convert(int value, int multiplier, int divisor) {
    // 64 bits inside: the same result as 32-bit arithmetic wherever that
    // does not overflow, and no overflow for large values.
    return static_cast<int>(int64_t{value} * multiplier / divisor);
}

constexpr int kWheelDelta = 120;
// 5 pixels on a 96-dpi screen, and as wide in inches on any other.
constexpr int kMarginTwips = 75;

}  // namespace

ListGeometry::ListGeometry(int logicalExtent, int deviceExtent)
    : logicalExtent_(std::max(logicalExtent, 1)), deviceExtent_(std::max(deviceExtent, 1)) {}

int ListGeometry::ToPixels(int twips) const {
    return Convert(twips, deviceExtent_, logicalExtent_);
}

int ListGeometry::ToTwips(int pixels) const {
    return Convert(pixels, logicalExtent_, deviceExtent_);
}

void ListGeometry::MeasureLine(int textHeightTwips) {
    if (lineHeight_ != 0) return;
    const double pixels =
        std::ceil(textHeightTwips * static_cast<double>(deviceExtent_) / logicalExtent_);
    // A font reporting no height still gives rows of one pixel, so rows never
    // collapse onto each other and divisions by the row height stay defined.
    lineHeight_ = std::max(ToTwips(std::max(static_cast<int>(pixels), 1)), 1);
}

void ListGeometry::SetClientHeight(int pixels) {
    if (lineHeight_ == 0) {
        linesPerPage_ = 0;
        return;
    }
    linesPerPage_ = std::max(ToTwips(pixels - headerHeight_) / lineHeight_, 0);
}

void ListGeometry::CheckLines(int fileCount) {
    topLine_ = std::max(std::min(topLine_, fileCount - linesPerPage_), 0);
}

bool ListGeometry::Scroll(ScrollCode code, int thumbPosition, int fileCount) {
    const int before = topLine_;
    MoveTopLine(code, thumbPosition, fileCount);
    CheckLines(fileCount);
    return topLine_ != before;
}

void ListGeometry::MoveTopLine(ScrollCode code, int thumbPosition, int fileCount) {
    switch (code) {
        case ScrollCode::kLineUp:
            --topLine_;
            break;
        case ScrollCode::kLineDown:
            ++topLine_;
            break;
        case ScrollCode::kPageUp:
            topLine_ -= linesPerPage_;
            break;
        case ScrollCode::kPageDown:
            topLine_ += linesPerPage_;
            break;
        case ScrollCode::kThumb:
            topLine_ = thumbPosition;
            break;
        case ScrollCode::kTop:
            topLine_ = 0;
            break;
        case ScrollCode::kBottom:
            topLine_ = fileCount - linesPerPage_;
            break;
        case ScrollCode::kOther:
            break;
    }
}

bool ListGeometry::Wheel(int delta, int linesPerNotch, int fileCount) {
    wheelRest_ += delta;
    const int notches = wheelRest_ / kWheelDelta;
    wheelRest_ -= notches * kWheelDelta;
    if (notches == 0) return false;
    const int lines = linesPerNotch > 0 ? linesPerNotch : std::max(linesPerPage_, 1);
    const int before = topLine_;
    topLine_ = static_cast<int>(
        std::clamp<int64_t>(int64_t{topLine_} - int64_t{notches} * lines, INT32_MIN, INT32_MAX));
    CheckLines(fileCount);
    return topLine_ != before;
}

bool ListGeometry::ScrollIntoView(int row, int fileCount) {
    const int before = topLine_;
    if (row < topLine_) {
        topLine_ = row;
    } else if (linesPerPage_ > 0 && row >= topLine_ + linesPerPage_) {
        topLine_ = row - linesPerPage_ + 1;
    }
    CheckLines(fileCount);
    return topLine_ != before;
}

ScrollBarState ListGeometry::ScrollBar(int fileCount) const {
    ScrollBarState state;
    state.enabled = fileCount > linesPerPage_;
    state.max = std::max(fileCount - linesPerPage_, 0);
    return state;
}

std::optional<int> ListGeometry::RowAt(int yPixels, int fileCount) const {
    if (lineHeight_ == 0) return std::nullopt;
    const int below = ToTwips(yPixels) - HeaderTwips();
    if (below < 0) return std::nullopt;
    const int64_t row = int64_t{below / lineHeight_} + topLine_;
    if (row >= fileCount) return std::nullopt;
    return static_cast<int>(row);
}

ColumnStops ListGeometry::Stops(const std::array<int, 5>& headerWidths) const {
    ColumnStops stops;
    stops.margin = kMarginTwips;
    stops.x[0] = stops.margin;
    for (std::size_t i = 1; i < stops.x.size(); ++i) {
        stops.x[i] = stops.x[i - 1] + ToTwips(headerWidths[i - 1]);
    }
    return stops;
}

}  // namespace lrx::mgr
