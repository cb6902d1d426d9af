#include "sdi_dec_frame.h"

#include <memory>
#include <utility>

#include "patch_dlg_client.h"
#include "patch_resource_ids.h"

namespace kqp {

TSDIDecFrame::TSDIDecFrame(lrx::fw::TWindow* parent, const char* title,
                           std::optional<std::string> patchFileName)
    : TDecoratedFrame(parent, title, std::make_unique<TPatchDlgClient>(std::move(patchFileName))) {
    // A caption and a system menu, but no sizing, minimising or maximising.
    Attr.Style |= WS_VISIBLE | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;
    Attr.Style &= ~(WS_CHILD | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    ShrinkToClient = true;
    SetIcon(IDI_PATCH);
    SetIconSm(IDI_PATCH);
}

TPatchDlgClient& TSDIDecFrame::Client() const {
    return static_cast<TPatchDlgClient&>(*GetClientWindow());
}

}  // namespace kqp
