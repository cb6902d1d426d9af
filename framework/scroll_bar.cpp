#include "scroll_bar.h"

namespace lrx::fw {

void TScrollBarHelper::SetExtent(int count, int page, bool redraw) {
    if (!window_) return;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = count > 0 ? count - 1 : 0;
    info.nPage = static_cast<UINT>(page > 0 ? page : 0);
    ::ShowScrollBar(window_, bar_, TRUE);
    ::SetScrollInfo(window_, bar_, &info, redraw);
    ::EnableScrollBar(window_, static_cast<UINT>(bar_),
                      count > page ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
}

void TScrollBarHelper::SetPosition(int position, bool redraw) {
    if (!window_) return;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS | SIF_DISABLENOSCROLL;
    info.nPos = position;
    ::SetScrollInfo(window_, bar_, &info, redraw);
}

int TScrollBarHelper::GetPosition() const {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    return window_ && ::GetScrollInfo(window_, bar_, &info) ? info.nPos : 0;
}

int TScrollBarHelper::GetTrackPosition() const {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    return window_ && ::GetScrollInfo(window_, bar_, &info) ? info.nTrackPos : 0;
}

}  // namespace lrx::fw
