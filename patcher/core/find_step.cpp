// The finding step: the Windows and System directories, then one directory
// per entry of the patch file, looked up in the registry.
#include "patch_rules.h"
#include "patch_texts.h"
#include "patch_wizard.h"
#include "path_rules.h"

namespace kqp {

void PatchWizard::FindStep() {
    if (index_ == count_) {
        // The tick flag stays set: the first record starts in the next call.
        EnterStep(kUpdatingStep);
        return;
    }
    if (index_ < 0) {
        const bool windows = index_ == -2;
        std::optional<std::string> directory =
            windows ? platform_.WindowsDirectory() : platform_.SystemDirectory();
        if (!directory) {
            Fail(kErrorFindingFiles, kPatchErrorCaption, MessageIcon::kExclamation);
            return;
        }
        directories_.Append(
            {std::move(*directory), windows ? kWindowsDirectoryId : kSystemDirectoryId});
        CompleteItem();
        return;
    }
    if (pending_) {
        ResolveEntry();
        return;
    }
    DirEntry entry;
    if (!reader_.ReadDirEntry(entry)) {
        Fail(kErrorReadingPatch, kFileErrorCaption, MessageIcon::kExclamation);
        return;
    }
    // The built-in identifiers are not the patch file's to give.
    if (!IsPatchDirectoryId(entry.id)) {
        Fail(kErrorInPatch, kPatchErrorCaption, MessageIcon::kExclamation);
        return;
    }
    // Resolved in the next idle call, which follows at once.
    pending_ = std::move(entry);
}

void PatchWizard::ResolveEntry() {
    const DirEntry entry = std::move(*pending_);
    pending_.reset();
    if (entry.kind == kSearchKind) {
        Fail(kNoPathSearches, kFileErrorCaption, MessageIcon::kExclamation);
        return;
    }
    // Other kinds carry no root byte and so name no key.
    if (entry.kind != kRegistryKind) {
        Fail(kErrorInPatch, kPatchErrorCaption, MessageIcon::kExclamation);
        return;
    }
    std::optional<std::string> value =
        platform_.RegistryDefaultValue(RootFromByte(entry.root), entry.key);
    if (!value) {
        Fail(kErrorFindingFiles, kPatchErrorCaption, MessageIcon::kExclamation);
        return;
    }
    // The value names a file of the product; its folder is the directory.
    directories_.Append({DirectoryPart(*value), entry.id});
    CompleteItem();
}

}  // namespace kqp
