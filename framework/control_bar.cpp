#include "control_bar.h"

#include <windowsx.h>
// after windows.h
#include <commctrl.h>

namespace lrx::fw {
namespace {

constexpr DWORD kPaintWhereMaskIsBlack = 0x00B8074A;  // PSDPxax

POINT PointOf(LPARAM lParam) {
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

RECT ToRect(const DockRect& rect) {
    return RECT{rect.left, rect.top, rect.right, rect.bottom};
}

// A memory context that gives its bitmap back when it goes.
class TMemoryDC {
  public:
    explicit TMemoryDC(HDC like) : dc_(::CreateCompatibleDC(like)) {}
    ~TMemoryDC() {
        if (original_) ::SelectObject(dc_, original_);
        ::DeleteDC(dc_);
    }
    TMemoryDC(const TMemoryDC&) = delete;
    TMemoryDC& operator=(const TMemoryDC&) = delete;

    HDC Select(HGDIOBJ bitmap) {
        HGDIOBJ old = ::SelectObject(dc_, bitmap);
        if (!original_) original_ = old;
        return dc_;
    }

  private:
    HDC dc_;
    HGDIOBJ original_ = nullptr;
};

}  // namespace

TGadgetWindowFont::TGadgetWindowFont(int pointSize, bool bold, bool italic)
    : TFont("MS Sans Serif", -::MulDiv(pointSize, ScreenDpi(), 72), 0, 0, 0,
            bold ? FW_BOLD : FW_NORMAL, italic) {}

TControlBar::TControlBar(std::unique_ptr<TFont> font)
    : TWindow(nullptr, ""),
      font_(std::move(font)),
      dpi_(ScreenDpi()),
      metrics_(GadgetMetrics::ForDpi(dpi_)) {
    Attr.Style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    Attr.Id = DefaultId;
    Arrange(false, false);
}

TControlBar::~TControlBar() {
    for (Gadget& gadget : gadgets_) {
        if (gadget.Glyph) ::DeleteObject(gadget.Glyph);
        if (gadget.Mask) ::DeleteObject(gadget.Mask);
    }
}

const TResponseTable& TControlBar::Table() {
    static constexpr TResponseEntry entries[] = {
        EvMessage<&TControlBar::EvLButtonDown>(WM_LBUTTONDOWN),
        EvMessage<&TControlBar::EvLButtonDown>(WM_LBUTTONDBLCLK),
        EvMessage<&TControlBar::EvMouseMove>(WM_MOUSEMOVE),
        EvMessage<&TControlBar::EvLButtonUp>(WM_LBUTTONUP),
        EvMessage<&TControlBar::EvMouseLeave>(WM_MOUSELEAVE),
        EvMessage<&TControlBar::EvCaptureChanged>(WM_CAPTURECHANGED),
        EvMessage<&TControlBar::EvGetFont>(WM_GETFONT),
    };
    static constexpr TResponseTable table{entries, &TWindow::Table};
    return table;
}

void TControlBar::GetWindowClass(WNDCLASSA& windowClass) const {
    TWindow::GetWindowClass(windowClass);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
}

void TControlBar::Insert(const TButtonGadget& button) {
    gadgets_.push_back({button.BitmapId, button.CommandId});
    if (Handle) LoadGlyph(gadgets_.back());
    Arrange(vertical_, gripper_);
}

void TControlBar::Insert(const TSeparatorGadget& separator) {
    gadgets_.push_back({0, separator.Size});
    Arrange(vertical_, gripper_);
}

void TControlBar::SetupWindow() {
    TWindow::SetupWindow();
    for (Gadget& gadget : gadgets_) LoadGlyph(gadget);
}

void TControlBar::LoadGlyph(Gadget& gadget) const {
    if (gadget.BitmapId == 0 || gadget.Glyph) return;
    // Black, the greys and white become the system's button colours, as
    // toolbars map them.
    HBITMAP source = ::CreateMappedBitmap(ProgramInstance(), gadget.BitmapId, 0, nullptr, 0);
    if (!source) return;
    BITMAP info{};
    ::GetObjectA(source, sizeof info, &info);
    const int size = metrics_.glyph;
    TScreenDC screen;
    gadget.Glyph = ::CreateCompatibleBitmap(screen.GetHDC(), size, size);
    gadget.Mask = ::CreateBitmap(size, size, 1, 1, nullptr);
    {
        TMemoryDC from(screen.GetHDC()), to(screen.GetHDC());
        HDC glyph = to.Select(gadget.Glyph);
        ::SetStretchBltMode(glyph, COLORONCOLOR);  // whole pixels: the art stays crisp
        ::StretchBlt(glyph, 0, 0, size, size, from.Select(source), 0, 0, info.bmWidth,
                     info.bmHeight, SRCCOPY);
        // The disabled look embosses what is neither face nor white.
        HDC mask = from.Select(gadget.Mask);
        ::SetBkColor(glyph, ::GetSysColor(COLOR_BTNFACE));
        ::BitBlt(mask, 0, 0, size, size, glyph, 0, 0, SRCCOPY);
        ::SetBkColor(glyph, ::GetSysColor(COLOR_BTNHIGHLIGHT));
        ::BitBlt(mask, 0, 0, size, size, glyph, 0, 0, SRCPAINT);
    }
    ::DeleteObject(source);
}

std::vector<int> TControlBar::Lengths() const {
    std::vector<int> lengths;
    for (const Gadget& gadget : gadgets_) {
        lengths.push_back(gadget.BitmapId ? metrics_.button : ScaleToDpi(gadget.CommandId, dpi_));
    }
    return lengths;
}

void TControlBar::Arrange(bool vertical, bool gripper) {
    vertical_ = vertical;
    gripper_ = gripper;
    layout_ = LayOutBar(Lengths(), vertical, gripper, metrics_);
    Invalidate(true);
}

SIZE TControlBar::NeededSize(bool vertical, bool gripper) const {
    const BarLayout layout = LayOutBar(Lengths(), vertical, gripper, metrics_);
    return SIZE{layout.width, layout.height};
}

RECT TControlBar::ButtonRect(int commandId) const {
    for (std::size_t i = 0; i < gadgets_.size(); ++i) {
        if (gadgets_[i].BitmapId && gadgets_[i].CommandId == commandId) {
            return ToRect(layout_.gadgets[i]);
        }
    }
    return RECT{};
}

int TControlBar::GadgetAt(POINT point) const {
    for (std::size_t i = 0; i < gadgets_.size(); ++i) {
        const RECT rect = ToRect(layout_.gadgets[i]);
        if (gadgets_[i].BitmapId && ::PtInRect(&rect, point)) return static_cast<int>(i);
    }
    return -1;
}

int TControlBar::CommandAt(POINT point) const {
    const int index = GadgetAt(point);
    return index < 0 ? 0 : gadgets_[static_cast<std::size_t>(index)].CommandId;
}

bool TControlBar::IsButtonEnabled(int commandId) const {
    for (const Gadget& gadget : gadgets_) {
        if (gadget.BitmapId && gadget.CommandId == commandId) return gadget.Enabled;
    }
    return false;
}

void TControlBar::ApplyEnablers(const TCommandEnablers& enablers) {
    for (std::size_t i = 0; i < gadgets_.size(); ++i) {
        Gadget& gadget = gadgets_[i];
        if (!gadget.BitmapId || enablers.IsEnabled(gadget.CommandId) == gadget.Enabled) continue;
        gadget.Enabled = !gadget.Enabled;
        const RECT rect = ToRect(layout_.gadgets[i]);
        if (Handle) ::InvalidateRect(Handle, &rect, TRUE);
    }
}

void TControlBar::Paint(TDC& dc, bool, const RECT&) {
    HDC target = dc.GetHDC();
    if (gripper_) {
        // Two raised ridges along the handle.
        const RECT grip = ToRect(layout_.gripper);
        const int ridge = metrics_.border + 1;
        for (int k = 0; k < 2; ++k) {
            RECT line = grip;
            if (vertical_) {
                line.top += metrics_.border + k * ridge;
                line.bottom = line.top + ridge;
            } else {
                line.left += metrics_.border + k * ridge;
                line.right = line.left + ridge;
            }
            ::DrawEdge(target, &line, BDR_RAISEDINNER, BF_RECT);
        }
    }
    for (std::size_t i = 0; i < gadgets_.size(); ++i) {
        const Gadget& gadget = gadgets_[i];
        RECT rect = ToRect(layout_.gadgets[i]);
        if (!gadget.BitmapId) {
            // An etched line across the middle of the gap.
            if (vertical_) {
                rect.top = (rect.top + rect.bottom) / 2 - 1;
            } else {
                rect.left = (rect.left + rect.right) / 2 - 1;
            }
            ::DrawEdge(target, &rect, EDGE_ETCHED, vertical_ ? BF_TOP : BF_LEFT);
            continue;
        }
        const bool pressed = pressed_ == static_cast<int>(i) && pressedInside_;
        if (pressed) {
            ::DrawEdge(target, &rect, BDR_SUNKENOUTER, BF_RECT);
        } else if (hot_ == static_cast<int>(i) && gadget.Enabled) {
            ::DrawEdge(target, &rect, BDR_RAISEDINNER, BF_RECT);
        }
        const int inset = (metrics_.button - metrics_.glyph) / 2 + (pressed ? 1 : 0);
        DrawGlyph(target, gadget, rect.left + inset, rect.top + inset);
    }
}

void TControlBar::DrawGlyph(HDC target, const Gadget& gadget, int x, int y) const {
    if (!gadget.Glyph) return;
    const int size = metrics_.glyph;
    TMemoryDC memory(target);
    if (gadget.Enabled) {
        ::BitBlt(target, x, y, size, size, memory.Select(gadget.Glyph), 0, 0, SRCCOPY);
        return;
    }
    HDC mask = memory.Select(gadget.Mask);
    const COLORREF text = ::SetTextColor(target, RGB(0, 0, 0));
    const COLORREF back = ::SetBkColor(target, RGB(255, 255, 255));
    for (auto [offset, colour] : {std::pair{1, COLOR_3DHILIGHT}, {0, COLOR_3DSHADOW}}) {
        HGDIOBJ brush = ::SelectObject(target, ::GetSysColorBrush(colour));
        ::BitBlt(target, x + offset, y + offset, size, size, mask, 0, 0, kPaintWhereMaskIsBlack);
        ::SelectObject(target, brush);
    }
    ::SetTextColor(target, text);
    ::SetBkColor(target, back);
}

HWND TControlBar::CommandTarget() const {
    return Parent ? Parent->GetHandle() : ::GetParent(Handle);
}

void TControlBar::SetHot(int index) {
    if (index == hot_) return;
    const int old = hot_;
    hot_ = index;
    for (int changed : {old, index}) {
        if (changed < 0) continue;
        const RECT rect = ToRect(layout_.gadgets[static_cast<std::size_t>(changed)]);
        ::InvalidateRect(Handle, &rect, TRUE);
    }
    NMTBHOTITEM hot{};
    hot.hdr = {Handle, static_cast<UINT_PTR>(Attr.Id), static_cast<UINT>(TBN_HOTITEMCHANGE)};
    hot.idOld = old < 0 ? 0 : gadgets_[static_cast<std::size_t>(old)].CommandId;
    hot.idNew = index < 0 ? 0 : gadgets_[static_cast<std::size_t>(index)].CommandId;
    hot.dwFlags = HICF_MOUSE | (index < 0 ? HICF_LEAVING : HICF_ENTERING);
    ::SendMessageA(CommandTarget(), WM_NOTIFY, static_cast<WPARAM>(Attr.Id),
                   reinterpret_cast<LPARAM>(&hot));
}

LRESULT TControlBar::EvLButtonDown(WPARAM, LPARAM lParam) {
    const int index = GadgetAt(PointOf(lParam));
    if (index < 0 || !gadgets_[static_cast<std::size_t>(index)].Enabled) return 0;
    // A frame disabled under a modal dialog takes no commands, not even from
    // a bar floating outside it.
    if (!::IsWindowEnabled(CommandTarget())) return 0;
    pressed_ = index;
    pressedInside_ = true;
    ::SetCapture(Handle);
    Invalidate(true);
    return 0;
}

LRESULT TControlBar::EvMouseMove(WPARAM, LPARAM lParam) {
    const int index = GadgetAt(PointOf(lParam));
    if (pressed_ >= 0) {
        if ((index == pressed_) != pressedInside_) {
            pressedInside_ = !pressedInside_;
            Invalidate(true);
        }
        return 0;
    }
    if (!trackingLeave_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle, 0};
        trackingLeave_ = ::TrackMouseEvent(&track) != FALSE;
    }
    SetHot(index);
    return 0;
}

LRESULT TControlBar::EvLButtonUp(WPARAM, LPARAM) {
    if (pressed_ < 0) return 0;
    const Gadget& gadget = gadgets_[static_cast<std::size_t>(pressed_)];
    const bool clicked = pressedInside_ && gadget.Enabled;
    const int command = gadget.CommandId;
    pressed_ = -1;
    ::ReleaseCapture();
    Invalidate(true);
    if (clicked) {
        ::SendMessageA(CommandTarget(), WM_COMMAND, MAKEWPARAM(command, BN_CLICKED),
                       reinterpret_cast<LPARAM>(Handle));
    }
    return 0;
}

LRESULT TControlBar::EvMouseLeave(WPARAM, LPARAM) {
    trackingLeave_ = false;
    SetHot(-1);
    return 0;
}

LRESULT TControlBar::EvCaptureChanged(WPARAM, LPARAM) {
    if (pressed_ >= 0) {
        pressed_ = -1;
        Invalidate(true);
    }
    return 0;
}

LRESULT TControlBar::EvGetFont(WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>(GetFont());
}

}  // namespace lrx::fw
