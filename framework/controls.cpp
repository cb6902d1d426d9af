#include "controls.h"

#include <algorithm>

#include "dpi.h"

namespace lrx::fw {

TControl::TControl(TWindow* parent, int id, const char* systemClass)
    : TWindow(parent), systemClass_(systemClass), boundById_(true) {
    Attr.Id = id;
}

TControl::TControl(TWindow* parent, int id, const char* systemClass, const char* text, int x, int y,
                   int w, int h)
    : TWindow(parent, text), systemClass_(systemClass), boundById_(false) {
    Attr.Id = id;
    Attr.X = x;
    Attr.Y = y;
    Attr.W = w;
    Attr.H = h;
}

const TResponseTable& TControl::Table() {
    // The control's own class paints and handles it; nothing of TWindow's.
    return TEventHandler::Table();
}

bool TControl::Create() {
    if (Handle) return true;
    if (!Parent || !Parent->GetHandle()) return false;
    HWND control = nullptr;
    if (boundById_) {
        control = ::GetDlgItem(Parent->GetHandle(), Attr.Id);
    } else {
        control = ::CreateWindowExA(Attr.ExStyle, systemClass_, Title.c_str(), Attr.Style, Attr.X,
                                    Attr.Y, Attr.W, Attr.H, Parent->GetHandle(),
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(Attr.Id)),
                                    ProgramInstance(), nullptr);
    }
    if (!control) return false;
    Tie(control, TTie::Subclass);
    SetupWindow();
    return true;
}

bool TEdit::GetLine(char* text, int size, int line) const {
    if (!text || size <= 0) return false;
    text[0] = '\0';
    if (!Handle) return false;
    const LRESULT start = ::SendMessageA(Handle, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
    if (start < 0) return false;
    const int length = static_cast<int>(::SendMessageA(Handle, EM_LINELENGTH, start, 0));
    if (size == 1) return length == 0;
    // EM_GETLINE reads its limit from the buffer's first word and writes no
    // terminator; it gets a buffer with room for both.
    std::string buffer(static_cast<std::size_t>(std::max(size, 2)), '\0');
    const WORD limit = static_cast<WORD>(std::min(size - 1, 0xFFFF));
    buffer[0] = static_cast<char>(limit & 0xFF);
    buffer[1] = static_cast<char>(limit >> 8);
    const auto copied = static_cast<int>(::SendMessageA(
        Handle, EM_GETLINE, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(buffer.data())));
    const int kept = std::clamp(copied, 0, size - 1);
    std::copy_n(buffer.data(), kept, text);
    text[kept] = '\0';
    return length <= size - 1;
}

void TGauge::SetupWindow() {
    ::SendMessageA(Handle, PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
    ::SendMessageA(Handle, PBM_SETPOS, static_cast<WPARAM>(value_), 0);
    ::SendMessageA(Handle, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(color_));
}

void TGauge::SetRange(int min, int max) {
    min_ = min;
    max_ = max;
    if (Handle) ::SendMessageA(Handle, PBM_SETRANGE32, static_cast<WPARAM>(min), max);
}

void TGauge::GetRange(int& min, int& max) const {
    min = min_;
    max = max_;
}

void TGauge::SetValue(int value) {
    value_ = std::clamp(value, min_, std::max(min_, max_));
    if (Handle) ::SendMessageA(Handle, PBM_SETPOS, static_cast<WPARAM>(value_), 0);
}

int TGauge::GetValue() const {
    return Handle ? static_cast<int>(::SendMessageA(Handle, PBM_GETPOS, 0, 0)) : value_;
}

void TGauge::SetColor(COLORREF color) {
    color_ = color;
    if (Handle) ::SendMessageA(Handle, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(color));
}

int TColumnHeader::Add(const char* text, int width) {
    if (!Handle) return -1;
    HDITEMA item{};
    item.mask = HDI_TEXT | HDI_FORMAT | HDI_WIDTH;
    item.pszText = const_cast<char*>(text);
    item.fmt = HDF_LEFT | HDF_STRING;
    item.cxy = ScaleToDpi(width, ScreenDpi());
    return static_cast<int>(::SendMessageA(Handle, HDM_INSERTITEMA, static_cast<WPARAM>(GetCount()),
                                           reinterpret_cast<LPARAM>(&item)));
}

int TColumnHeader::GetCount() const {
    return Handle ? static_cast<int>(::SendMessageA(Handle, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int TColumnHeader::GetItemWidth(int index) const {
    HDITEMA item{};
    item.mask = HDI_WIDTH;
    if (!Handle || !::SendMessageA(Handle, HDM_GETITEMA, static_cast<WPARAM>(index),
                                   reinterpret_cast<LPARAM>(&item))) {
        return 0;
    }
    return item.cxy;
}

int TColumnHeader::Layout(UINT swpFlags) {
    if (!Handle || !Parent || !Parent->GetHandle()) return 0;
    RECT area;
    ::GetClientRect(Parent->GetHandle(), &area);
    WINDOWPOS position{};
    HDLAYOUT layout{&area, &position};
    if (!::SendMessageA(Handle, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout))) return 0;
    // The control puts a border of fixed pixels around its font's height;
    // that border grows with the dpi here, so the header keeps its shape.
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT));
    TScreenDC screen;
    screen.SelectObject(font ? font : ::GetStockObject(SYSTEM_FONT));
    TEXTMETRICA metrics{};
    if (::GetTextMetricsA(screen.GetHDC(), &metrics)) {
        const int border96 = 4;
        position.cy = std::max(
            position.cy, static_cast<int>(metrics.tmHeight) + ScaleToDpi(border96, ScreenDpi()));
    }
    ::SetWindowPos(Handle, position.hwndInsertAfter, position.x, position.y, position.cx,
                   position.cy, position.flags | swpFlags);
    return position.cy;
}

}  // namespace lrx::fw
