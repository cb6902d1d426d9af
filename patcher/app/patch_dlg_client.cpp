#include "patch_dlg_client.h"

#include <utility>

#include "common_dialogs.h"
#include "patch_resource_ids.h"
#include "patch_texts.h"

namespace kqp {

using namespace lrx::fw;

TPatchDlgClient::TPatchDlgClient(std::optional<std::string> patchFileName)
    : TDialog(nullptr, IDD_PATCH_WIZARD),
      info_(this, IDC_PATCH_INFO),
      gauge_(this, IDC_PATCH_GAUGE),
      next_(this, IDC_PATCH_NEXT),
      cancel_(this, IDC_PATCH_CANCEL),
      wizard_(platform_, *this, std::move(patchFileName)) {
    // The system picks a thread timer's id; the one asked for is only a hint.
    timerId_ = ::SetTimer(nullptr, kTimerId, kTimerMilliseconds, nullptr);
}

TPatchDlgClient::~TPatchDlgClient() {
    if (timerId_) ::KillTimer(nullptr, timerId_);
}

const TResponseTable& TPatchDlgClient::Table() {
    static constexpr TResponseEntry entries[] = {
        EvCommand<&TPatchDlgClient::CmNext>(IDC_PATCH_NEXT),
        EvCommand<&TPatchDlgClient::CmCancel>(IDC_PATCH_CANCEL),
        EvCommand<&TPatchDlgClient::CmOk>(IDOK),
        EvCommand<&TPatchDlgClient::CmCancel>(IDCANCEL),
    };
    static constexpr TResponseTable table{entries, &TDialog::Table};
    return table;
}

void TPatchDlgClient::SetupWindow() {
    TDialog::SetupWindow();
    wizard_.SetupWindow();
}

bool TPatchDlgClient::IdleAction(long idleCount) {
    const bool more = TDialog::IdleAction(idleCount);
    return wizard_.IdleAction() || more;
}

bool TPatchDlgClient::CanClose() {
    return wizard_.CanClose() && TDialog::CanClose();
}

void TPatchDlgClient::TimerTick(UINT_PTR timerId) {
    if (timerId && timerId == timerId_) wizard_.TimerTick();
}

void TPatchDlgClient::SetInfoText(const std::string& text) {
    info_.SetText(text.c_str());
}

void TPatchDlgClient::SetGaugeRange(int32_t lower, int32_t upper) {
    gauge_.SetRange(lower, upper);
}

void TPatchDlgClient::SetGaugePosition(int32_t position) {
    gauge_.SetValue(position);
}

void TPatchDlgClient::ShowGauge(bool shown) {
    gauge_.Show(shown ? SW_SHOW : SW_HIDE);
}

void TPatchDlgClient::SetNextText(const std::string& text) {
    next_.SetText(text.c_str());
}

void TPatchDlgClient::ShowNext(bool shown) {
    if (!shown) MoveFocusOffNext();
    next_.Show(shown ? SW_SHOW : SW_HIDE);
}

void TPatchDlgClient::EnableNext(bool enabled) {
    if (!enabled) MoveFocusOffNext();
    next_.Enable(enabled);
}

void TPatchDlgClient::MoveFocusOffNext() {
    if (GetHandle() && next_.GetHandle() && ::GetFocus() == next_.GetHandle()) {
        SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(cancel_.GetHandle()), TRUE);
    }
}

void TPatchDlgClient::SetCancelText(const std::string& text) {
    cancel_.SetText(text.c_str());
}

void TPatchDlgClient::SetMainCaption(const std::string& caption) {
    // The dialog is the main window's client; its own caption is never shown.
    if (TWindow* main = GetParentObject()) main->SetCaption(caption.c_str());
}

MessageAnswer TPatchDlgClient::ShowMessage(const std::string& text, const std::string& caption,
                                           MessageIcon icon) {
    switch (icon) {
        case MessageIcon::kQuestion:
            return MessageBox(text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES
                       ? MessageAnswer::kYes
                       : MessageAnswer::kNo;
        case MessageIcon::kStop:
            MessageBox(text.c_str(), caption.c_str(), MB_OK | MB_ICONSTOP);
            return MessageAnswer::kOk;
        case MessageIcon::kExclamation:
            break;
    }
    MessageBox(text.c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
    return MessageAnswer::kOk;
}

void TPatchDlgClient::CloseDialog(int result) {
    // The frame closes with its client, and the program with the frame.
    CloseWindow(result);
}

std::optional<std::string> TPatchDlgClient::ChoosePatchFile() {
    TOpenSaveDialog::TData data(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, kPatchFileFilter,
                                kPatchFileDefaultExtension);
    if (TFileOpenDialog(this, data).Execute() != IDOK || data.FileName.empty()) {
        return std::nullopt;
    }
    return data.FileName;
}

}  // namespace kqp
