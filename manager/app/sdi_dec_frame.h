// TSDIDecFrame: LRXWin's main window, a decorated frame around the list
// window (it makes one itself when given no client). It hands context help
// what never passes the application's ProcessAppMsg: commands sent by the
// toolbar, and the menu loop's WM_INITMENU and WM_ENTERIDLE.
#pragma once

#include <memory>

#include "frame.h"

namespace lrx::mgr {

class TSDIDecFrame : public fw::TDecoratedFrame {
  public:
    TSDIDecFrame(fw::TWindow* parent, const char* title, std::unique_ptr<fw::TWindow> client,
                 bool trackMenuSelection = false);

    static const fw::TResponseTable& Table();
    const fw::TResponseTable& Responses() const override { return Table(); }

  protected:
    bool RouteCommand(fw::TMsg& msg) override;
    LRESULT EvInitMenu(WPARAM, LPARAM);
    LRESULT EvEnterIdle(WPARAM, LPARAM);
};

}  // namespace lrx::mgr
