#include "sdi_dec_frame.h"

#include "lrx_window.h"
#include "lrxwin_app.h"

namespace lrx::mgr {
namespace {

TLRXWinApp* App() {
    return dynamic_cast<TLRXWinApp*>(fw::TApplication::Current());
}

std::unique_ptr<fw::TWindow> ClientOrListWindow(std::unique_ptr<fw::TWindow> client) {
    if (client) return client;
    return std::make_unique<TLRXWindow>();
}

}  // namespace

TSDIDecFrame::TSDIDecFrame(fw::TWindow* parent, const char* title,
                           std::unique_ptr<fw::TWindow> client, bool trackMenuSelection)
    : TDecoratedFrame(parent, title, ClientOrListWindow(std::move(client)), trackMenuSelection) {}

const fw::TResponseTable& TSDIDecFrame::Table() {
    static constexpr fw::TResponseEntry entries[] = {
        fw::EvMessage<&TSDIDecFrame::EvInitMenu>(WM_INITMENU),
        fw::EvMessage<&TSDIDecFrame::EvEnterIdle>(WM_ENTERIDLE),
    };
    static constexpr fw::TResponseTable table{entries, &TDecoratedFrame::Table};
    return table;
}

bool TSDIDecFrame::RouteCommand(fw::TMsg& msg) {
    if (TLRXWinApp* app = App(); app && app->CommandHelp(LOWORD(msg.WParam))) {
        msg.Result = 0;
        return true;
    }
    return TDecoratedFrame::RouteCommand(msg);
}

LRESULT TSDIDecFrame::EvInitMenu(WPARAM, LPARAM) {
    if (TLRXWinApp* app = App()) app->MenuOpened();
    return DefaultProcessing();
}

LRESULT TSDIDecFrame::EvEnterIdle(WPARAM source, LPARAM) {
    if (TLRXWinApp* app = App()) app->MenuIdle(source == MSGF_MENU);
    return DefaultProcessing();
}

}  // namespace lrx::mgr
