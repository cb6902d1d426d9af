#include "dockable_control_bar.h"

#include <windowsx.h>

#include "harbor.h"

namespace lrx::fw {

const TResponseTable& TDockableControlBar::Table() {
    static constexpr TResponseEntry entries[] = {
        EvMessage<&TDockableControlBar::EvLButtonDown>(WM_LBUTTONDOWN),
        EvMessage<&TDockableControlBar::EvMouseMove>(WM_MOUSEMOVE),
        EvMessage<&TDockableControlBar::EvLButtonUp>(WM_LBUTTONUP),
        EvMessage<&TDockableControlBar::EvCaptureChanged>(WM_CAPTURECHANGED),
    };
    static constexpr TResponseTable table{entries, &TControlBar::Table};
    return table;
}

LRESULT TDockableControlBar::EvLButtonDown(WPARAM wParam, LPARAM lParam) {
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (!harbor_ || CommandAt(point) != 0) return TControlBar::EvLButtonDown(wParam, lParam);
    ::ClientToScreen(Handle, &point);
    harbor_->BeginDrag(*this, Handle, point);
    return 0;
}

LRESULT TDockableControlBar::EvMouseMove(WPARAM wParam, LPARAM lParam) {
    if (harbor_ && harbor_->TrackDrag(Handle, WM_MOUSEMOVE, lParam)) return 0;
    return TControlBar::EvMouseMove(wParam, lParam);
}

LRESULT TDockableControlBar::EvLButtonUp(WPARAM wParam, LPARAM lParam) {
    if (harbor_ && harbor_->TrackDrag(Handle, WM_LBUTTONUP, lParam)) return 0;
    return TControlBar::EvLButtonUp(wParam, lParam);
}

LRESULT TDockableControlBar::EvCaptureChanged(WPARAM wParam, LPARAM lParam) {
    if (harbor_ && harbor_->TrackDrag(Handle, WM_CAPTURECHANGED, lParam)) return 0;
    return TControlBar::EvCaptureChanged(wParam, lParam);
}

}  // namespace lrx::fw
