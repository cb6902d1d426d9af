#include "patch_app.h"

#include <memory>
#include <utility>

#include "patch_dlg_client.h"
#include "patch_texts.h"
#include "program_rules.h"
#include "sdi_dec_frame.h"

namespace kqp {

using namespace lrx::fw;

TPatchApp::TPatchApp(std::optional<std::string> patchFileName)
    : TApplication(kAppName), patchFileName_(std::move(patchFileName)) {}

const TResponseTable& TPatchApp::Table() {
    static constexpr TResponseEntry entries[] = {
        EvMessage<&TPatchApp::EvTimer>(WM_TIMER),
    };
    static constexpr TResponseTable table{entries, &TApplication::Table};
    return table;
}

void TPatchApp::InitMainWindow() {
    nCmdShow = MainWindowShowCommand(nCmdShow);
    SetMainWindow(std::make_unique<TSDIDecFrame>(nullptr, GetName().c_str(), patchFileName_));
}

LRESULT TPatchApp::EvTimer(WPARAM timerId, LPARAM) {
    auto* frame = dynamic_cast<TDecoratedFrame*>(GetMainWindow());
    if (auto* dialog = frame ? dynamic_cast<TPatchDlgClient*>(frame->GetClientWindow()) : nullptr) {
        dialog->TimerTick(timerId);
    }
    return 0;
}

}  // namespace kqp
