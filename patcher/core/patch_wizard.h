// The patch wizard without its window: the four steps, the finding and
// updating work done one item at a time from idle processing, and the Next
// and Cancel buttons. The Windows dialog owns one PatchWizard, implements
// WizardView for it, and forwards its setup, the timer, idle calls and the
// two buttons; everything else happens here.
//
// Pacing: the timer sets the tick flag; an idle call with the flag set runs
// one piece of work in the finding or updating step. A piece that completes
// an item (a directory found, a record done) clears the flag, so items follow
// at most one per tick; a piece that does not (an entry read but not yet
// resolved, a target opened, a chunk copied) leaves it set, so the rest of the
// item follows in the next idle calls at once.
//
// Every failure shows its message, closes the patch and target streams and
// returns to the first step. Files already written stay as they are.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "c_file.h"
#include "directory_table.h"
#include "patch_platform.h"
#include "patch_reader.h"
#include "wizard_steps.h"
#include "wizard_view.h"

namespace kqp {

class PatchWizard {
  public:
    // A patch file that cannot be opened for reading is dropped; with one
    // left the wizard starts in the finding step, otherwise in the first.
    // The view is not used before SetupWindow.
    PatchWizard(PatchPlatform& platform, WizardView& view,
                std::optional<std::string> patchFileName);
    PatchWizard(const PatchWizard&) = delete;
    PatchWizard& operator=(const PatchWizard&) = delete;

    // Once the dialog's controls exist: enters the initial step, which for
    // the finding step reads the patch header.
    void SetupWindow();
    // From the 400 ms timer.
    void TimerTick() { tick_ = true; }
    // From the dialog's idle processing: true when it did a piece of work,
    // so the message loop should call again while it stays idle.
    bool IdleAction();
    // The Next button: in the first step, and only while the button is shown
    // and enabled, asks for a patch file and starts a run with it.
    void Next();
    // The Cancel button and Escape: closes the dialog, after asking first
    // while a run is going on.
    void Cancel();
    // The main window is about to close (its close box, the system menu):
    // during a run the same question as Cancel comes first, since a stopped
    // run can leave a target half written. True when the window may close.
    bool CanClose();

    int32_t step() const { return step_; }
    bool tickPending() const { return tick_; }
    bool closed() const { return closed_; }
    const std::optional<std::string>& patchFileName() const { return patchFileName_; }
    const DirectoryTable& directories() const { return directories_; }

  private:
    void EnterStep(int32_t step);
    void ApplyRow(const StepRow& row);
    void ReadHeader();
    void FindStep();
    void ResolveEntry();
    void StartUpdate();
    void UpdateStep();
    void StartRecord();
    void CopyChunk();
    void FinishTarget();
    void CompleteItem();
    void SetGaugeRange(int32_t lower, int32_t upper);
    // Shows the message, abandons the run and returns to the first step.
    void Fail(const std::string& text, const char* caption, MessageIcon icon);
    void FailOnTarget(const char* format);
    MessageAnswer Show(const std::string& text, const char* caption, MessageIcon icon);
    void CloseStreams();

    PatchPlatform& platform_;
    WizardView& view_;
    std::optional<std::string> patchFileName_;
    int32_t step_ = kChooseStep;

    PatchReader reader_;
    DirectoryTable directories_;
    int32_t index_ = 0;
    int32_t count_ = 0;
    // A directory entry read but not yet resolved.
    std::optional<DirEntry> pending_;

    FileRecord record_;
    int32_t remaining_ = 0;
    std::string targetPath_;
    CFile target_;
    std::array<unsigned char, kChunkSize> copyBuffer_{};

    bool tick_ = false;
    bool nextShown_ = true;
    bool nextEnabled_ = true;
    bool inMessage_ = false;
    bool closed_ = false;
};

}  // namespace kqp
