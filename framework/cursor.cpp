#include "cursor.h"

#include "window.h"

namespace lrx::fw {

TCursor::TCursor(int resourceId)
    : cursor_(static_cast<HCURSOR>(::LoadImageA(ProgramInstance(), MAKEINTRESOURCEA(resourceId),
                                                IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE))) {}

TCursor::~TCursor() {
    if (::GetCursor() == cursor_) ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
    if (cursor_) ::DestroyCursor(cursor_);
}

void TCursor::Show() const {
    if (cursor_) ::SetCursor(cursor_);
}

void ShowSystemCursor(LPCSTR id) {
    ::SetCursor(::LoadCursorA(nullptr, id));
}

}  // namespace lrx::fw
