// What the wizard core drives in its window. The Windows dialog implements it
// on its controls; tests implement it with a recorder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kqp {

enum class MessageIcon { kExclamation, kStop, kQuestion };
enum class MessageAnswer { kOk, kYes, kNo };

class WizardView {
  public:
    virtual ~WizardView() = default;

    virtual void SetInfoText(const std::string& text) = 0;
    // The core passes a range whose upper bound is above the lower one.
    virtual void SetGaugeRange(int32_t lower, int32_t upper) = 0;
    virtual void SetGaugePosition(int32_t position) = 0;
    virtual void ShowGauge(bool shown) = 0;
    virtual void SetNextText(const std::string& text) = 0;
    virtual void ShowNext(bool shown) = 0;
    virtual void EnableNext(bool enabled) = 0;
    virtual void SetCancelText(const std::string& text) = 0;
    // The main window's caption, not the dialog's.
    virtual void SetMainCaption(const std::string& caption) = 0;
    // A message box owned by the dialog: OK only for the exclamation and stop
    // icons (answers kOk), Yes and No for the question icon (answers kYes or
    // kNo; closing the box counts as kNo).
    virtual MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                                      MessageIcon icon) = 0;
    // Ends the dialog with the result; the program ends with it.
    virtual void CloseDialog(int result) = 0;
    // The file-open dialog for a patch file (kPatchFileFilter,
    // kPatchFileDefaultExtension, the file must exist): the chosen path, or
    // none when the user cancels.
    virtual std::optional<std::string> ChoosePatchFile() = 0;
};

}  // namespace kqp
