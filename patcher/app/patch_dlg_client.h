// TPatchDlgClient: the wizard's dialog (resource 2000), serving as the main
// window's client. It owns the controls, the Windows services and the wizard,
// shows what the wizard asks through WizardView and forwards the buttons,
// window setup, idle time and the pacing timer to it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "controls.h"
#include "dialog.h"
#include "patch_wizard.h"
#include "win32_patch_platform.h"
#include "wizard_view.h"

namespace kqp {

class TPatchDlgClient : public lrx::fw::TDialog, public WizardView {
  public:
    // Starts the pacing timer; it belongs to no window, so its ticks reach
    // the application, which hands them to TimerTick.
    explicit TPatchDlgClient(std::optional<std::string> patchFileName);
    ~TPatchDlgClient() override;

    static const lrx::fw::TResponseTable& Table();
    const lrx::fw::TResponseTable& Responses() const override { return Table(); }

    void SetupWindow() override;
    bool IdleAction(long idleCount) override;
    // Asked before the main window closes: during a run, only after the
    // abort question is answered Yes.
    bool CanClose() override;

    // A thread timer tick; only this dialog's timer counts.
    void TimerTick(UINT_PTR timerId);
    UINT_PTR TimerId() const { return timerId_; }

    const PatchWizard& Wizard() const { return wizard_; }
    lrx::fw::TStatic& InfoText() { return info_; }
    lrx::fw::TGauge& Gauge() { return gauge_; }
    lrx::fw::TButton& NextButton() { return next_; }
    lrx::fw::TButton& CancelButton() { return cancel_; }

    // WizardView
    void SetInfoText(const std::string& text) override;
    void SetGaugeRange(int32_t lower, int32_t upper) override;
    void SetGaugePosition(int32_t position) override;
    void ShowGauge(bool shown) override;
    void SetNextText(const std::string& text) override;
    void ShowNext(bool shown) override;
    void EnableNext(bool enabled) override;
    void SetCancelText(const std::string& text) override;
    void SetMainCaption(const std::string& caption) override;
    MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                              MessageIcon icon) override;
    void CloseDialog(int result) override;
    std::optional<std::string> ChoosePatchFile() override;

  protected:
    void CmNext() { wizard_.Next(); }
    void CmCancel() { wizard_.Cancel(); }
    // Enter without a default button: an OK command never closes the wizard.
    void CmOk() {}

  private:
    // A hidden or disabled Next button cannot keep the keyboard focus.
    void MoveFocusOffNext();

    lrx::fw::TStatic info_;
    lrx::fw::TGauge gauge_;
    lrx::fw::TButton next_;
    lrx::fw::TButton cancel_;
    Win32PatchPlatform platform_;
    PatchWizard wizard_;
    UINT_PTR timerId_ = 0;
};

}  // namespace kqp
