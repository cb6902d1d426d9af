#include "dock_layout.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace lrx::fw {

GadgetMetrics GadgetMetrics::ForDpi(int dpi) {
    const GadgetMetrics at96;
    GadgetMetrics metrics;
    metrics.glyph = ScaleToDpi(at96.glyph, dpi);
    metrics.border = ScaleToDpi(at96.border, dpi);
    metrics.gripper = ScaleToDpi(at96.gripper, dpi);
    // The glyph's margins grow with it, so the glyph stays centred.
    metrics.button = metrics.glyph + 2 * ScaleToDpi((at96.button - at96.glyph) / 2, dpi);
    return metrics;
}

BarLayout LayOutBar(const std::vector<int>& lengths, bool vertical, bool gripper,
                    const GadgetMetrics& metrics) {
    BarLayout layout;
    const int across = metrics.border;
    int along = metrics.border;
    // Rectangles are built as (along, across) and turned for a column.
    const auto place = [vertical](int from, int to, int acrossFrom, int acrossTo) {
        return vertical ? DockRect{acrossFrom, from, acrossTo, to}
                        : DockRect{from, acrossFrom, to, acrossTo};
    };
    if (gripper) {
        layout.gripper = place(along, along + metrics.gripper, across, across + metrics.button);
        along += metrics.gripper;
    }
    for (int length : lengths) {
        layout.gadgets.push_back(place(along, along + length, across, across + metrics.button));
        along += length;
    }
    along += metrics.border;
    layout.width = vertical ? metrics.Thickness() : along;
    layout.height = vertical ? along : metrics.Thickness();
    return layout;
}

std::optional<DockEdge> DockEdgeAt(const DockRect& area, DockPoint point, int reach) {
    if (point.x < area.left - reach || point.x > area.right + reach || point.y < area.top - reach ||
        point.y > area.bottom + reach) {
        return std::nullopt;
    }
    const std::array<std::pair<DockEdge, int>, 4> distances{{
        {DockEdge::kTop, std::abs(point.y - area.top)},
        {DockEdge::kBottom, std::abs(point.y - area.bottom)},
        {DockEdge::kLeft, std::abs(point.x - area.left)},
        {DockEdge::kRight, std::abs(point.x - area.right)},
    }};
    // The first of equally near edges wins: top, bottom, left, right.
    const auto nearest =
        std::min_element(distances.begin(), distances.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; });
    if (nearest->second > reach) return std::nullopt;
    return nearest->first;
}

DockRect LayOutDocked(const DockRect& area, const std::vector<DockedBar>& bars,
                      std::vector<DockRect>& placed) {
    DockRect rest = area;
    placed.assign(bars.size(), DockRect{});
    for (bool sides : {false, true}) {
        for (std::size_t i = 0; i < bars.size(); ++i) {
            const DockEdge edge = bars[i].edge;
            if (IsVertical(edge) != sides) continue;
            // A bar never takes more than is left, so the client never turns inside out.
            const int depth =
                std::clamp(bars[i].thickness, 0, sides ? rest.Width() : rest.Height());
            DockRect strip = rest;
            switch (edge) {
                case DockEdge::kTop:
                    strip.bottom = rest.top += depth;
                    break;
                case DockEdge::kBottom:
                    strip.top = rest.bottom -= depth;
                    break;
                case DockEdge::kLeft:
                    strip.right = rest.left += depth;
                    break;
                case DockEdge::kRight:
                    strip.left = rest.right -= depth;
                    break;
            }
            placed[i] = strip;
        }
    }
    return rest;
}

}  // namespace lrx::fw
