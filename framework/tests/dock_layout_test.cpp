#include "dock_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace lrx::fw {
namespace {

TEST(DockLayout, PartsGrowWithTheDpiAndTheGlyphStaysCentred) {
    struct Row {
        int dpi, glyph, button, border, gripper;
    };
    for (const Row& row : {Row{96, 20, 26, 2, 8}, Row{120, 25, 33, 3, 10}, Row{144, 30, 40, 3, 12},
                           Row{192, 40, 52, 4, 16}, Row{0, 20, 26, 2, 8}}) {
        const GadgetMetrics m = GadgetMetrics::ForDpi(row.dpi);
        EXPECT_EQ(m.glyph, row.glyph) << row.dpi;
        EXPECT_EQ(m.button, row.button) << row.dpi;
        EXPECT_EQ(m.border, row.border) << row.dpi;
        EXPECT_EQ(m.gripper, row.gripper) << row.dpi;
        EXPECT_EQ((m.button - m.glyph) % 2, 0) << row.dpi;
        EXPECT_GE(m.button * 96, 26 * row.dpi) << row.dpi;  // never smaller than scaled
    }
    EXPECT_EQ(ScaleToDpi(6, 144), 9);
    EXPECT_EQ(ScaleToDpi(5, 144), 8);  // 7.5 rounds up
    EXPECT_EQ(ScaleToDpi(-5, 144), -8);
}

TEST(DockLayout, GadgetsFollowEachOtherInARowOrAColumnBehindTheGripper) {
    const GadgetMetrics m = GadgetMetrics::ForDpi(96);
    // button, separator of 6, button
    const BarLayout row = LayOutBar({26, 6, 26}, false, true, m);
    EXPECT_EQ(row.gripper, (DockRect{2, 2, 10, 28}));
    EXPECT_EQ(row.gadgets,
              (std::vector<DockRect>{{10, 2, 36, 28}, {36, 2, 42, 28}, {42, 2, 68, 28}}));
    EXPECT_EQ(row.width, 70);
    EXPECT_EQ(row.height, 30);

    const BarLayout column = LayOutBar({26, 6, 26}, true, true, m);
    EXPECT_EQ(column.gripper, (DockRect{2, 2, 28, 10}));
    EXPECT_EQ(column.gadgets,
              (std::vector<DockRect>{{2, 10, 28, 36}, {2, 36, 28, 42}, {2, 42, 28, 68}}));
    EXPECT_EQ(column.width, 30);
    EXPECT_EQ(column.height, 70);

    const BarLayout floating = LayOutBar({26, 6, 26}, false, false, m);
    EXPECT_EQ(floating.gripper, DockRect{});
    EXPECT_EQ(floating.gadgets.front(), (DockRect{2, 2, 28, 28}));
    EXPECT_EQ(floating.width, 62);
}

TEST(DockLayout, ADropDocksToTheNearestEdgeWithinReachAndFloatsElsewhere) {
    const DockRect area{100, 200, 700, 600};  // 600 x 400 on the screen
    struct Row {
        DockPoint point;
        std::optional<DockEdge> edge;
    };
    for (const Row& row : {
             Row{{400, 210}, DockEdge::kTop},     // inside, near the top
             Row{{400, 175}, DockEdge::kTop},     // outside, above it
             Row{{400, 170}, DockEdge::kTop},     // exactly the reach away
             Row{{400, 169}, std::nullopt},       // one pixel more
             Row{{400, 590}, DockEdge::kBottom},  //
             Row{{105, 400}, DockEdge::kLeft},    //
             Row{{80, 400}, DockEdge::kLeft},     //
             Row{{695, 400}, DockEdge::kRight},   //
             Row{{730, 400}, DockEdge::kRight},   //
             Row{{400, 400}, std::nullopt},       // the middle floats
             Row{{1200, 400}, std::nullopt},      // far away floats
             Row{{110, 205}, DockEdge::kTop},     // a corner: the nearer edge
             Row{{104, 210}, DockEdge::kLeft},    //
             Row{{110, 210}, DockEdge::kTop},     // equally near: top first
             Row{{400, 140}, std::nullopt},       // above, beyond reach
             Row{{60, 160}, std::nullopt},        // beyond the corner
         }) {
        EXPECT_EQ(DockEdgeAt(area, row.point, 30), row.edge) << row.point.x << "," << row.point.y;
    }
}

TEST(DockLayout, DockedBarsTakeStripsTopAndBottomFirstAndTheClientGetsTheRest) {
    const DockRect area{0, 0, 400, 300};
    std::vector<DockRect> placed;
    // A side bar inserted first still sits between the top and bottom bars.
    const DockRect rest = LayOutDocked(area,
                                       {{DockEdge::kLeft, 30},
                                        {DockEdge::kTop, 30},
                                        {DockEdge::kRight, 20},
                                        {DockEdge::kBottom, 10},
                                        {DockEdge::kTop, 25}},
                                       placed);
    EXPECT_EQ(placed, (std::vector<DockRect>{{0, 55, 30, 290},
                                             {0, 0, 400, 30},
                                             {380, 55, 400, 290},
                                             {0, 290, 400, 300},
                                             {0, 30, 400, 55}}));
    EXPECT_EQ(rest, (DockRect{30, 55, 380, 290}));

    EXPECT_EQ(LayOutDocked(area, {}, placed), area);
    EXPECT_TRUE(placed.empty());
    // Bars deeper than the frame: the client is empty, never inside out.
    const DockRect squeezed = LayOutDocked(DockRect{0, 0, 50, 40},
                                           {{DockEdge::kTop, 30}, {DockEdge::kBottom, 30}}, placed);
    EXPECT_EQ(placed[1], (DockRect{0, 30, 50, 40}));
    EXPECT_EQ(squeezed.Height(), 0);
}

}  // namespace
}  // namespace lrx::fw
