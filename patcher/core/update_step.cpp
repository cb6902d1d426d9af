// The updating step: the patch file's records in file order, each replacing,
// adding or removing one file in place, payloads copied one chunk per call.
#include <algorithm>

#include "patch_rules.h"
#include "patch_texts.h"
#include "patch_wizard.h"
#include "path_rules.h"

namespace kqp {

void PatchWizard::StartUpdate() {
    if (!reader_.ReadFileCount(count_)) {
        Fail(kErrorReadingPatch, kFileErrorCaption, MessageIcon::kExclamation);
        return;
    }
    index_ = 0;
    SetGaugeRange(0, count_);
    view_.SetGaugePosition(0);
}

void PatchWizard::UpdateStep() {
    if (index_ == count_) {
        EnterStep(kCompletedStep);
    } else if (remaining_ != 0) {
        CopyChunk();
    } else {
        StartRecord();
    }
}

void PatchWizard::StartRecord() {
    if (!reader_.ReadFileRecord(record_)) {
        Fail(kErrorReadingPatch, kFileErrorCaption, MessageIcon::kExclamation);
        return;
    }
    // Checked before anything is touched: a known operation, no payload to
    // remove, a known directory, and a name that stays inside it.
    const int8_t operation = record_.operation;
    const TPath* directory = directories_.Find(record_.directoryId);
    std::optional<std::string> path;
    if (directory && !RecordProblem(operation, record_.payloadLength, record_.name)) {
        path = TargetPath(directory->Path, record_.name);
    }
    if (!path) {
        Fail(kErrorInPatch, kPatchErrorCaption, MessageIcon::kExclamation);
        return;
    }
    targetPath_ = std::move(*path);
    view_.SetInfoText(record_.description);

    if (operation == kRemove) {
        if (!platform_.RemoveFile(targetPath_)) {
            FailOnTarget(kErrorDeletingFormat);
            return;
        }
        CompleteItem();
        return;
    }
    // Replace and add alike: create or truncate, no folders created.
    target_ = platform_.OpenForWriting(targetPath_);
    if (!target_) {
        FailOnTarget(kErrorWritingFormat);
        return;
    }
    remaining_ = record_.payloadLength;
    // An empty payload leaves an empty file and is a record like any other.
    if (remaining_ == 0) FinishTarget();
}

void PatchWizard::CopyChunk() {
    const std::size_t count = std::min(static_cast<std::size_t>(remaining_), kChunkSize);
    if (!reader_.ReadChunk(copyBuffer_.data(), count, record_.keyByte)) {
        FailOnTarget(kErrorCreatingFormat);
        return;
    }
    if (std::fwrite(copyBuffer_.data(), 1, count, target_.get()) != count) {
        FailOnTarget(kErrorWritingFormat);
        return;
    }
    remaining_ -= static_cast<int32_t>(count);
    if (remaining_ == 0) FinishTarget();
}

void PatchWizard::FinishTarget() {
    // The last buffered bytes reach the file only here.
    if (!CloseCFile(target_)) {
        FailOnTarget(kErrorWritingFormat);
        return;
    }
    CompleteItem();
}

}  // namespace kqp
