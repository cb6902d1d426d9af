// Where dockable bars go, in plain pixel arithmetic (no window needed): the
// size of a bar's parts at the screen's dpi, its gadgets in a row or a
// column, the frame edge a dropped bar docks to, and the strips docked bars
// take from the frame's client area. THarbor and TDockableControlBar do the
// window work around it.
#pragma once

#include <optional>
#include <vector>

#include "dpi.h"

namespace lrx::fw {

struct DockPoint {
    int x = 0;
    int y = 0;
};

struct DockRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const DockRect&) const = default;
};

enum class DockEdge { kTop, kBottom, kLeft, kRight };

inline bool IsVertical(DockEdge edge) {
    return edge == DockEdge::kLeft || edge == DockEdge::kRight;
}

// A bar's parts in pixels at one dpi: square buttons around a square glyph
// (20 and 26 at 96 dpi), the border around the gadgets and the depth of the
// drag handle in front of them.
struct GadgetMetrics {
    int glyph = 20;
    int button = 26;
    int border = 2;
    int gripper = 8;

    static GadgetMetrics ForDpi(int dpi);
    // A docked bar's depth across its length.
    int Thickness() const { return button + 2 * border; }
};

// A bar's gadgets one after the other, from the top-left corner: `lengths`
// holds each gadget's length along the bar (a button's side, a separator's
// size); a bar with a gripper keeps the handle's depth free in front.
struct BarLayout {
    std::vector<DockRect> gadgets;
    DockRect gripper;  // empty without one
    int width = 0;
    int height = 0;
};
BarLayout LayOutBar(const std::vector<int>& lengths, bool vertical, bool gripper,
                    const GadgetMetrics& metrics);

// The edge of `area` (the frame's docking area, screen pixels) that a bar
// dropped at `point` docks to: the nearest edge within `reach` pixels,
// inside or outside the area; none (the bar floats) anywhere else.
std::optional<DockEdge> DockEdgeAt(const DockRect& area, DockPoint point, int reach);

// Docked bars take strips off `area` in their order, top and bottom bars
// first (across the whole width), then the side bars between them.
// `placed` receives each bar's strip; the rest is the client's.
struct DockedBar {
    DockEdge edge = DockEdge::kTop;
    int thickness = 0;
};
DockRect LayOutDocked(const DockRect& area, const std::vector<DockedBar>& bars,
                      std::vector<DockRect>& placed);

}  // namespace lrx::fw
