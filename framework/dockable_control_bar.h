// TDockableControlBar: a control bar that its frame's harbor docks at an edge
// (a row at the top and bottom, a column at the left and right, with a drag
// handle in front) or floats in a small tool window that carries the bar's
// caption. Pressing the mouse on the bar outside its buttons and dragging
// moves it: dropped near an edge of the frame it docks there, anywhere else
// it floats. Its commands and hints go to the frame wherever it is.
#pragma once

#include <memory>

#include "control_bar.h"

namespace lrx::fw {

class THarbor;

class TDockableControlBar : public TControlBar {
  public:
    using TControlBar::TControlBar;

    static const TResponseTable& Table();
    const TResponseTable& Responses() const override { return Table(); }

    THarbor* GetHarbor() const { return harbor_; }

  protected:
    LRESULT EvLButtonDown(WPARAM, LPARAM);
    LRESULT EvMouseMove(WPARAM, LPARAM);
    LRESULT EvLButtonUp(WPARAM, LPARAM);
    LRESULT EvCaptureChanged(WPARAM, LPARAM);

  private:
    friend class THarbor;
    THarbor* harbor_ = nullptr;
};

}  // namespace lrx::fw
