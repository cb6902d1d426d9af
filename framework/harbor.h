// THarbor: the docking area of a decorated frame. It keeps the frame's
// dockable bars, docks each at an edge (the frame lays the docked bars out
// around its client, status bar below them all) or floats it in a tool
// window owned by the frame, and runs the drags that move bars between the
// two: a press on a docked bar outside its buttons, or on a floating bar's
// caption, then the mouse held and moved. A drop near an edge of the frame
// docks the bar there, anywhere else floats it; a double click on a floating
// bar's caption docks it at the top again. The arithmetic is dock_layout's.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <vector>

#include "command_enablers.h"
#include "dock_layout.h"
#include "dockable_control_bar.h"

namespace lrx::fw {

class TDecoratedFrame;

class THarbor {
  public:
    THarbor();
    ~THarbor();
    THarbor(const THarbor&) = delete;
    THarbor& operator=(const THarbor&) = delete;

    // Called by the frame that takes the harbor in, before any bar is inserted.
    void SetFrame(TDecoratedFrame& frame) { frame_ = &frame; }

    // Takes the bar in, docked at `edge`.
    TDockableControlBar* Insert(std::unique_ptr<TDockableControlBar> bar,
                                DockEdge edge = DockEdge::kTop);
    void Dock(TDockableControlBar& bar, DockEdge edge);
    // Floats the bar in its tool window, the window's client area at `topLeft`
    // (screen coordinates). Needs the frame's window.
    void Float(TDockableControlBar& bar, POINT topLeft);
    // Where the bar is docked; none while it floats.
    std::optional<DockEdge> EdgeOf(const TDockableControlBar& bar) const;
    // The tool window of a floating bar; null while it is docked.
    TWindow* FloatWindowOf(const TDockableControlBar& bar) const;
    TDockableControlBar* GetBar(std::size_t index) const;
    bool Owns(HWND bar) const;

    // A drag starts on `window` (the bar, or its tool window's caption), which
    // takes the mouse; TrackDrag takes that window's mouse moves, the button's
    // release and the loss of the capture while the drag lasts.
    void BeginDrag(TDockableControlBar& bar, HWND window, POINT screen);
    bool TrackDrag(HWND window, UINT message, LPARAM clientPoint);

    // The frame's layout: places the docked bars in `area` (frame client
    // coordinates) and returns what is left for the client window.
    RECT Layout(const RECT& area);
    // How much wider and taller docked bars make a frame around its client.
    SIZE DockedSize() const;
    void ApplyEnablers(const TCommandEnablers& enablers);

  private:
    struct Slot {
        std::unique_ptr<TDockableControlBar> Bar;
        std::optional<DockEdge> Edge;
        std::unique_ptr<TWindow> FloatWindow;  // made on the first float, hidden while docked
    };
    struct Drag {
        std::size_t SlotIndex;
        HWND Window;
        POINT Start;
        POINT Origin;  // the bar's client origin on the screen at the start
        bool Moved = false;
        std::optional<RECT> Shown;  // the outline drawn on the screen
    };

    Slot* SlotOf(const TDockableControlBar& bar);
    const Slot* SlotOf(const TDockableControlBar& bar) const;
    DockRect AreaOnScreen() const;
    // Where the bar would go if dropped at `screen`: an edge, or none to float.
    std::optional<DockEdge> DropEdge(const TDockableControlBar& bar, POINT screen) const;
    void DragTo(POINT screen);
    void EndDrag(POINT screen);
    void ShowOutline(const std::optional<RECT>& outline);

    TDecoratedFrame* frame_ = nullptr;
    std::vector<Slot> slots_;
    RECT area_{};  // the docking area of the last layout
    std::optional<Drag> drag_;
};

}  // namespace lrx::fw
