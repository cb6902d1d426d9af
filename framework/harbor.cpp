#include "harbor.h"

#include <windowsx.h>

#include <cstdlib>

#include "frame.h"

namespace lrx::fw {
namespace {

DockRect ToDock(const RECT& rect) {
    return DockRect{rect.left, rect.top, rect.right, rect.bottom};
}

RECT ToRect(const DockRect& rect) {
    return RECT{rect.left, rect.top, rect.right, rect.bottom};
}

// The small captioned window a floating bar sits in. It is owned by the
// frame and never takes the activation from it; its caption starts the
// harbor's drags (not the system's move) and a double click on it docks the
// bar at the top.
class TFloatWindow : public TWindow {
  public:
    TFloatWindow(THarbor& harbor, TDockableControlBar& bar, TWindow& frame)
        : TWindow(&frame, bar.GetCaption().c_str()), harbor_(harbor), bar_(bar) {
        Attr.Style = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
        Attr.ExStyle = WS_EX_TOOLWINDOW;
    }

    static const TResponseTable& Table() {
        static constexpr TResponseEntry entries[] = {
            EvMessage<&TFloatWindow::EvNcLButtonDown>(WM_NCLBUTTONDOWN),
            EvMessage<&TFloatWindow::EvNcLButtonDblClk>(WM_NCLBUTTONDBLCLK),
            EvMessage<&TFloatWindow::EvDragMessage>(WM_MOUSEMOVE),
            EvMessage<&TFloatWindow::EvDragMessage>(WM_LBUTTONUP),
            EvMessage<&TFloatWindow::EvDragMessage>(WM_CAPTURECHANGED),
            EvMessage<&TFloatWindow::EvMouseActivate>(WM_MOUSEACTIVATE),
        };
        static constexpr TResponseTable table{entries, &TWindow::Table};
        return table;
    }
    const TResponseTable& Responses() const override { return Table(); }

  protected:
    const char* ClassName() const override { return "LrxFloatingBar"; }
    void GetWindowClass(WNDCLASSA& windowClass) const override {
        TWindow::GetWindowClass(windowClass);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    }

    LRESULT EvNcLButtonDown(WPARAM hit, LPARAM point) {
        if (hit != HTCAPTION) return DefaultProcessing();
        harbor_.BeginDrag(bar_, Handle, POINT{GET_X_LPARAM(point), GET_Y_LPARAM(point)});
        return 0;
    }
    LRESULT EvNcLButtonDblClk(WPARAM hit, LPARAM) {
        if (hit != HTCAPTION) return DefaultProcessing();
        harbor_.Dock(bar_, DockEdge::kTop);
        return 0;
    }
    LRESULT EvDragMessage(WPARAM, LPARAM point) {
        if (!harbor_.TrackDrag(Handle, CurrentMsg->Message, point)) return DefaultProcessing();
        return 0;
    }
    LRESULT EvMouseActivate(WPARAM, LPARAM) { return MA_NOACTIVATE; }

  private:
    THarbor& harbor_;
    TDockableControlBar& bar_;
};

}  // namespace

THarbor::THarbor() = default;
THarbor::~THarbor() = default;

TDockableControlBar* THarbor::Insert(std::unique_ptr<TDockableControlBar> bar, DockEdge edge) {
    TDockableControlBar* added = bar.get();
    added->harbor_ = this;
    added->SetParentObject(frame_);
    added->Arrange(IsVertical(edge), true);
    slots_.push_back(Slot{std::move(bar), edge, nullptr});
    if (frame_ && frame_->GetHandle()) {
        added->Create();
        frame_->Layout();
    }
    return added;
}

THarbor::Slot* THarbor::SlotOf(const TDockableControlBar& bar) {
    for (Slot& slot : slots_) {
        if (slot.Bar.get() == &bar) return &slot;
    }
    return nullptr;
}

const THarbor::Slot* THarbor::SlotOf(const TDockableControlBar& bar) const {
    return const_cast<THarbor*>(this)->SlotOf(bar);
}

void THarbor::Dock(TDockableControlBar& bar, DockEdge edge) {
    Slot* slot = SlotOf(bar);
    if (!slot) return;
    slot->Edge = edge;
    bar.Arrange(IsVertical(edge), true);
    if (frame_ && frame_->GetHandle() && bar.GetHandle()) {
        ::SetParent(bar.GetHandle(), frame_->GetHandle());
        if (slot->FloatWindow) slot->FloatWindow->Show(SW_HIDE);
        frame_->Layout();
    }
}

void THarbor::Float(TDockableControlBar& bar, POINT topLeft) {
    Slot* slot = SlotOf(bar);
    if (!slot || !frame_ || !frame_->GetHandle() || !bar.GetHandle()) return;
    if (!slot->FloatWindow) {
        slot->FloatWindow = std::make_unique<TFloatWindow>(*this, bar, *frame_);
        if (!slot->FloatWindow->Create()) return;
    }
    HWND window = slot->FloatWindow->GetHandle();
    slot->Edge.reset();
    bar.Arrange(false, false);
    const SIZE size = bar.NeededSize();
    RECT outer{0, 0, size.cx, size.cy};
    ::AdjustWindowRectEx(&outer, static_cast<DWORD>(::GetWindowLongPtrA(window, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrA(window, GWL_EXSTYLE)));
    ::SetParent(bar.GetHandle(), window);
    ::MoveWindow(bar.GetHandle(), 0, 0, size.cx, size.cy, TRUE);
    ::SetWindowPos(window, HWND_TOP, topLeft.x + outer.left, topLeft.y + outer.top,
                   outer.right - outer.left, outer.bottom - outer.top,
                   SWP_NOACTIVATE | SWP_SHOWWINDOW);
    frame_->Layout();
}

std::optional<DockEdge> THarbor::EdgeOf(const TDockableControlBar& bar) const {
    const Slot* slot = SlotOf(bar);
    return slot ? slot->Edge : std::nullopt;
}

TWindow* THarbor::FloatWindowOf(const TDockableControlBar& bar) const {
    const Slot* slot = SlotOf(bar);
    return slot && !slot->Edge ? slot->FloatWindow.get() : nullptr;
}

TDockableControlBar* THarbor::GetBar(std::size_t index) const {
    return index < slots_.size() ? slots_[index].Bar.get() : nullptr;
}

bool THarbor::Owns(HWND bar) const {
    for (const Slot& slot : slots_) {
        if (bar && slot.Bar->GetHandle() == bar) return true;
    }
    return false;
}

RECT THarbor::Layout(const RECT& area) {
    area_ = area;
    std::vector<DockedBar> docked;
    std::vector<TDockableControlBar*> bars;
    for (const Slot& slot : slots_) {
        if (!slot.Edge || !slot.Bar->GetHandle()) continue;
        docked.push_back({*slot.Edge, slot.Bar->Metrics().Thickness()});
        bars.push_back(slot.Bar.get());
    }
    std::vector<DockRect> placed;
    const DockRect rest = LayOutDocked(ToDock(area), docked, placed);
    for (std::size_t i = 0; i < bars.size(); ++i) {
        ::MoveWindow(bars[i]->GetHandle(), placed[i].left, placed[i].top, placed[i].Width(),
                     placed[i].Height(), TRUE);
    }
    return ToRect(rest);
}

SIZE THarbor::DockedSize() const {
    constexpr int kLarge = 1 << 20;
    std::vector<DockedBar> docked;
    for (const Slot& slot : slots_) {
        if (slot.Edge) docked.push_back({*slot.Edge, slot.Bar->Metrics().Thickness()});
    }
    std::vector<DockRect> placed;
    const DockRect rest = LayOutDocked(DockRect{0, 0, kLarge, kLarge}, docked, placed);
    return SIZE{kLarge - rest.Width(), kLarge - rest.Height()};
}

void THarbor::ApplyEnablers(const TCommandEnablers& enablers) {
    for (Slot& slot : slots_) slot.Bar->ApplyEnablers(enablers);
}

// --- drags ---

void THarbor::BeginDrag(TDockableControlBar& bar, HWND window, POINT screen) {
    Slot* slot = SlotOf(bar);
    if (!slot || drag_) return;
    POINT origin{0, 0};
    ::ClientToScreen(bar.GetHandle(), &origin);
    drag_ = Drag{static_cast<std::size_t>(slot - slots_.data()),
                 window,
                 screen,
                 origin,
                 false,
                 std::nullopt};
    ::SetCapture(window);
}

bool THarbor::TrackDrag(HWND window, UINT message, LPARAM clientPoint) {
    if (!drag_ || drag_->Window != window) return false;
    POINT screen{GET_X_LPARAM(clientPoint), GET_Y_LPARAM(clientPoint)};
    ::ClientToScreen(window, &screen);
    switch (message) {
        case WM_MOUSEMOVE:
            DragTo(screen);
            return true;
        case WM_LBUTTONUP:
            EndDrag(screen);
            return true;
        case WM_CAPTURECHANGED:
            ShowOutline(std::nullopt);
            drag_.reset();
            return true;
        default:
            return false;
    }
}

DockRect THarbor::AreaOnScreen() const {
    RECT area = area_;
    if (frame_ && frame_->GetHandle()) {
        ::MapWindowPoints(frame_->GetHandle(), nullptr, reinterpret_cast<POINT*>(&area), 2);
    }
    return ToDock(area);
}

std::optional<DockEdge> THarbor::DropEdge(const TDockableControlBar& bar, POINT screen) const {
    return DockEdgeAt(AreaOnScreen(), DockPoint{screen.x, screen.y}, bar.Metrics().Thickness());
}

void THarbor::DragTo(POINT screen) {
    const int dx = screen.x - drag_->Start.x;
    const int dy = screen.y - drag_->Start.y;
    if (!drag_->Moved) {
        // A press that barely moves stays a click.
        if (std::abs(dx) < ::GetSystemMetrics(SM_CXDRAG) &&
            std::abs(dy) < ::GetSystemMetrics(SM_CYDRAG)) {
            return;
        }
        drag_->Moved = true;
    }
    const TDockableControlBar& bar = *slots_[drag_->SlotIndex].Bar;
    RECT outline;
    if (const std::optional<DockEdge> edge = DropEdge(bar, screen)) {
        std::vector<DockRect> placed;
        LayOutDocked(AreaOnScreen(), {{*edge, bar.Metrics().Thickness()}}, placed);
        outline = ToRect(placed[0]);
    } else {
        const SIZE size = bar.NeededSize(false, false);
        outline = RECT{drag_->Origin.x + dx, drag_->Origin.y + dy, drag_->Origin.x + dx + size.cx,
                       drag_->Origin.y + dy + size.cy};
    }
    ShowOutline(outline);
}

void THarbor::EndDrag(POINT screen) {
    DragTo(screen);
    ShowOutline(std::nullopt);
    const Drag drag = *drag_;
    drag_.reset();
    ::ReleaseCapture();
    if (!drag.Moved) return;
    TDockableControlBar& bar = *slots_[drag.SlotIndex].Bar;
    if (const std::optional<DockEdge> edge = DropEdge(bar, screen)) {
        Dock(bar, *edge);
    } else {
        Float(bar, POINT{drag.Origin.x + screen.x - drag.Start.x,
                         drag.Origin.y + screen.y - drag.Start.y});
    }
}

void THarbor::ShowOutline(const std::optional<RECT>& outline) {
    // Drawn by inverting, so drawing the same outline again takes it away.
    TScreenDC screen;
    if (drag_->Shown) ::DrawFocusRect(screen.GetHDC(), &*drag_->Shown);
    drag_->Shown = outline;
    if (outline) ::DrawFocusRect(screen.GetHDC(), &*outline);
}

}  // namespace lrx::fw
