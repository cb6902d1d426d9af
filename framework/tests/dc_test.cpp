// Drawing helpers: objects put back when a TDC goes.
#include <gtest/gtest.h>

#include "dc.h"

namespace lrx::fw::test {
namespace {

TEST(FrameworkDC, ObjectsPutBack) {
    TScreenDC screen;
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
