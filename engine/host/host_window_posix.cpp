#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "host_window.h"

namespace lrx {
namespace {

// Stand-ins of destroyed windows. They are never freed, so a handle kept
// after its window went stays safe to ask, as a Win32 handle is; later
// windows reuse them, as Win32 reuses handles.
std::vector<LrxWindow*>& Retired() {
    static auto* retired = new std::vector<LrxWindow*>;  // outlives every window
    return *retired;
}

}  // namespace

HostWindow::HostWindow() {
    if (Retired().empty()) {
        native_ = new Native{};
    } else {
        native_ = static_cast<Native*>(Retired().back());
        Retired().pop_back();
    }
    native_->proc = &HostWindow::Dispatch;
    native_->owner = this;
}

HostWindow::~HostWindow() {
    Destroy();
}

void HostWindow::Destroy() {
    if (native_->proc == &HostWindow::Gone) return;
    native_->proc = &HostWindow::Gone;
    native_->owner = nullptr;
    Retired().push_back(native_);
}

HWND HostWindow::handle() const {
    return native_;
}

LRESULT HostWindow::Gone(LrxWindow*, int, unsigned message, WPARAM, LPARAM) {
    return message == WM_NULL ? LRX_WINDOW_GONE : 0;
}

void HostWindow::SetMailboxText(std::string_view text) {
    mailbox_.assign(text);
    Changed();
}

void HostWindow::Changed() {
    if (onChange_) onChange_(*this);
}

LRESULT HostWindow::Dispatch(LrxWindow* window, int controlId, unsigned message, WPARAM,
                             LPARAM lParam) {
    HostWindow& self = *static_cast<Native*>(window)->owner;
    if (controlId == 0 && message == WM_SETFOCUS) {
        ++self.focusCount_;
        return 0;
    }
    if (controlId != LRX_MAILBOX_ID) return 0;
    if (message == WM_SETTEXT) {
        self.SetMailboxText(reinterpret_cast<const char*>(lParam));
        return 1;
    }
    if (message == EM_GETLINE) {
        // Line 0 of a single-line edit; the buffer's first word is its
        // capacity, and the copy carries no terminator.
        char* buffer = reinterpret_cast<char*>(lParam);
        uint16_t capacity;
        std::memcpy(&capacity, buffer, sizeof capacity);
        const std::size_t line = std::min(self.mailbox_.find('\n'), self.mailbox_.size());
        const std::size_t count = std::min<std::size_t>(line, capacity);
        std::memcpy(buffer, self.mailbox_.data(), count);
        return static_cast<LRESULT>(count);
    }
    return 0;
}

}  // namespace lrx
