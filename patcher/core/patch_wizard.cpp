#include "patch_wizard.h"

#include <utility>

#include "patch_texts.h"
#include "program_rules.h"

namespace kqp {

PatchWizard::PatchWizard(PatchPlatform& platform, WizardView& view,
                         std::optional<std::string> patchFileName)
    : platform_(platform), view_(view), patchFileName_(std::move(patchFileName)) {
    if (patchFileName_ && !OpenCFile(patchFileName_->c_str(), "rb")) patchFileName_.reset();
    step_ = patchFileName_ ? kFindingStep : kChooseStep;
}

void PatchWizard::SetupWindow() {
    EnterStep(step_);
}

bool PatchWizard::IdleAction() {
    if (closed_ || inMessage_ || !tick_) return false;
    if (step_ == kFindingStep) {
        FindStep();
    } else if (step_ == kUpdatingStep) {
        UpdateStep();
    } else {
        return false;
    }
    return true;
}

void PatchWizard::Next() {
    if (closed_ || inMessage_ || step_ != kChooseStep || !nextShown_ || !nextEnabled_) return;
    std::optional<std::string> chosen = view_.ChoosePatchFile();
    if (!chosen) return;
    if (!OpenCFile(chosen->c_str(), "rb")) {
        Show(kErrorOpeningPatch, kFileErrorCaption, MessageIcon::kExclamation);
        return;
    }
    patchFileName_ = std::move(chosen);
    EnterStep(kFindingStep);
}

void PatchWizard::Cancel() {
    if (closed_ || inMessage_) return;
    if (step_ == kFindingStep || step_ == kUpdatingStep) {
        if (Show(kAbortQuestion, kAbortCaption, MessageIcon::kQuestion) != MessageAnswer::kYes) {
            return;
        }
    }
    // The run ends here; what was written stays, nothing is undone.
    CloseStreams();
    closed_ = true;
    view_.CloseDialog(kCancelResult);
}

bool PatchWizard::CanClose() {
    if (closed_) return true;
    // A message box is open; it is answered first.
    if (inMessage_) return false;
    if (step_ != kFindingStep && step_ != kUpdatingStep) return true;
    if (Show(kAbortQuestion, kAbortCaption, MessageIcon::kQuestion) != MessageAnswer::kYes) {
        return false;
    }
    CloseStreams();
    closed_ = true;
    return true;
}

void PatchWizard::EnterStep(int32_t step) {
    step_ = step;
    ApplyRow(kStepRows[step]);
    switch (step) {
        case kChooseStep:
            CloseStreams();
            break;
        case kFindingStep:
            ReadHeader();
            break;
        case kUpdatingStep:
            StartUpdate();
            break;
        default:
            break;
    }
}

void PatchWizard::ApplyRow(const StepRow& row) {
    view_.SetInfoText(row.info);
    if (row.gaugeShown != Toggle::kKeep) view_.ShowGauge(row.gaugeShown == Toggle::kOn);
    if (row.nextText) view_.SetNextText(row.nextText);
    if (row.nextShown != Toggle::kKeep) {
        nextShown_ = row.nextShown == Toggle::kOn;
        view_.ShowNext(nextShown_);
    }
    if (row.nextEnabled != Toggle::kKeep) {
        nextEnabled_ = row.nextEnabled == Toggle::kOn;
        view_.EnableNext(nextEnabled_);
    }
    if (row.cancelText) view_.SetCancelText(row.cancelText);
}

void PatchWizard::ReadHeader() {
    // A new run reads the file again from its start.
    CloseStreams();
    pending_.reset();
    PatchHeader header;
    switch (reader_.ReadHeader(patchFileName_.value_or(std::string()), header)) {
        case PatchReader::HeaderResult::kOpenFailed:
            Fail(kErrorOpeningPatch, kFileErrorCaption, MessageIcon::kExclamation);
            return;
        case PatchReader::HeaderResult::kReadFailed:
            Fail(kErrorReadingPatch, kFileErrorCaption, MessageIcon::kExclamation);
            return;
        case PatchReader::HeaderResult::kOk:
            break;
    }
    view_.SetMainCaption(MainWindowCaption(header.title));
    // Items -2 and -1 are the Windows and System directories.
    index_ = -2;
    count_ = header.directoryCount;
    SetGaugeRange(-2, count_);
    view_.SetGaugePosition(index_);
}

void PatchWizard::CompleteItem() {
    ++index_;
    view_.SetGaugePosition(index_);
    tick_ = false;
}

void PatchWizard::SetGaugeRange(int32_t lower, int32_t upper) {
    // A gauge needs room between its bounds.
    view_.SetGaugeRange(lower, upper > lower ? upper : lower + 1);
}

void PatchWizard::Fail(const std::string& text, const char* caption, MessageIcon icon) {
    CloseStreams();
    pending_.reset();
    Show(text, caption, icon);
    EnterStep(kChooseStep);
}

void PatchWizard::FailOnTarget(const char* format) {
    std::string text(format);
    text.replace(text.find("%s"), 2, targetPath_);
    Fail(text, kPatchErrorCaption, MessageIcon::kStop);
}

MessageAnswer PatchWizard::Show(const std::string& text, const char* caption, MessageIcon icon) {
    // Nothing else runs while a message box is open, even if the window's
    // message loop calls idle processing meanwhile.
    inMessage_ = true;
    const MessageAnswer answer = view_.ShowMessage(text, caption, icon);
    inMessage_ = false;
    return answer;
}

void PatchWizard::CloseStreams() {
    // Dropped, not checked: a failure is already being reported, or the
    // program is ending and the target keeps what was written.
    target_.reset();
    remaining_ = 0;
    reader_.Close();
}

}  // namespace kqp
