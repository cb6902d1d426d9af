// A window's own scroll bar kept as a list view wants it: always visible,
// disabled while everything fits, and positions in 32 bits (a scroll
// message carries only 16 bits of the thumb; the track position is read
// from SCROLLINFO instead).
#pragma once

#include <windows.h>

namespace lrx::fw {

class TScrollBarHelper {
  public:
    explicit TScrollBarHelper(HWND window, int bar = SB_VERT) : window_(window), bar_(bar) {}

    // `count` lines of which `page` are visible: positions run 0 to
    // count - page; the bar is disabled (still shown) when count <= page.
    void SetExtent(int count, int page, bool redraw);
    void SetPosition(int position, bool redraw);
    int GetPosition() const;
    // Where the thumb is being dragged (SB_THUMBTRACK, SB_THUMBPOSITION).
    int GetTrackPosition() const;

  private:
    HWND window_;
    int bar_;
};

}  // namespace lrx::fw
