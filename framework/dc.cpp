#include "dc.h"

namespace lrx::fw {
namespace {

int SlotOf(HGDIOBJ object) {
    switch (::GetObjectType(object)) {
        case OBJ_FONT:
            return 0;
        case OBJ_PEN:
            return 1;
        case OBJ_BRUSH:
            return 2;
        case OBJ_BITMAP:
            return 3;
        default:
            return -1;
    }
}

}  // namespace

SIZE TDC::GetWindowExt() const {
    SIZE size{};
    ::GetWindowExtEx(dc_, &size);
    return size;
}

SIZE TDC::GetViewportExt() const {
    SIZE size{};
    ::GetViewportExtEx(dc_, &size);
    return size;
}

void TDC::SelectObject(HGDIOBJ object) {
    const int slot = SlotOf(object);
    HGDIOBJ old = ::SelectObject(dc_, object);
    if (slot >= 0 && !originals_[slot]) originals_[slot] = old;
}

void TDC::RestoreObjects() {
    for (HGDIOBJ& original : originals_) {
        if (original) ::SelectObject(dc_, original);
        original = nullptr;
    }
}

bool TDC::ExtTextOut(int x, int y, UINT options, const RECT* clip, std::string_view text) {
    return ::ExtTextOutA(dc_, x, y, options, clip, text.data(), static_cast<UINT>(text.size()),
                         nullptr) != FALSE;
}

TScreenDC::~TScreenDC() {
    RestoreObjects();
    ::ReleaseDC(nullptr, dc_);
}

int ScreenDpi() {
    TScreenDC screen;
    return ::GetDeviceCaps(screen.GetHDC(), LOGPIXELSY);
}

TFont::TFont(const char* face, int height, int width, int escapement, int orientation, int weight,
             bool italic, bool underline, bool strikeOut, BYTE charSet, BYTE outputPrecision,
             BYTE clipPrecision, BYTE quality)
    : font_(::CreateFontA(height, width, escapement, orientation, weight, italic, underline,
                          strikeOut, charSet, outputPrecision, clipPrecision, quality,
                          DEFAULT_PITCH | FF_DONTCARE, face)) {}

bool TFont::GetTextMetrics(TEXTMETRICA& metrics) const {
    TScreenDC screen;
    screen.SelectObject(font_);
    return ::GetTextMetricsA(screen.GetHDC(), &metrics) != FALSE;
}

}  // namespace lrx::fw
