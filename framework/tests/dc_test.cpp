// Drawing helpers: the twips mapping the list window measures with, and
// objects put back when a TDC goes.
#include <gtest/gtest.h>

#include "dc.h"

namespace lrx::fw::test {
namespace {

TEST(FrameworkDC, TwipsMappingAndObjectsPutBack) {
    TScreenDC screen;
    const int saved = screen.SetMapMode(MM_TWIPS);
    EXPECT_EQ(screen.GetMapMode(), MM_TWIPS);
    const SIZE window = screen.GetWindowExt();
    const SIZE viewport = screen.GetViewportExt();
    ASSERT_NE(viewport.cy, 0);
    // 1440 twips to the inch, 96 pixels to the inch here; y grows upward.
    EXPECT_EQ(window.cy * 96 / 1440, -viewport.cy);
    screen.SetMapMode(saved);

    TFont font("Arial", -200);
    HGDIOBJ originalFont = ::GetCurrentObject(screen.GetHDC(), OBJ_FONT);
    HGDIOBJ originalPen = ::GetCurrentObject(screen.GetHDC(), OBJ_PEN);
    {
        TDC dc(screen.GetHDC());
        TPen pen(RGB(0, 0, 0));
        dc.SelectObject(font.GetHandle());
        dc.SelectObject(pen.GetHandle());
        dc.SelectObject(::GetStockObject(SYSTEM_FONT));
        EXPECT_EQ(::GetCurrentObject(screen.GetHDC(), OBJ_PEN), pen.GetHandle());
    }
    EXPECT_EQ(::GetCurrentObject(screen.GetHDC(), OBJ_FONT), originalFont);
    EXPECT_EQ(::GetCurrentObject(screen.GetHDC(), OBJ_PEN), originalPen);
}

}  // namespace
}  // namespace lrx::fw::test
