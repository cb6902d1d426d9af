// Names, messages and fixed values of the patch wizard that the user sees or
// the Windows program needs.
#pragma once

#include <cstdint>

namespace kqp {

inline constexpr const char* kAppName = "KQPatch";
inline constexpr const char* kCaptionPrefix = "KQPatch - ";

// The timer that paces completed items; it belongs to no window.
inline constexpr unsigned kTimerId = 323;
inline constexpr unsigned kTimerMilliseconds = 400;

// The dialog's result when it is closed (IDCANCEL).
inline constexpr int kCancelResult = 2;

inline constexpr const char* kPatchFileFilter = "Patches (*.kqp)|*.kqp|All Files (*.*)|*.*|";
inline constexpr const char* kPatchFileDefaultExtension = "kqp";

inline constexpr const char* kFileErrorCaption = "File Error";
inline constexpr const char* kPatchErrorCaption = "Patch Error";
inline constexpr const char* kAbortCaption = "Abort Run";

inline constexpr const char* kErrorOpeningPatch = "Error opening patch file";
inline constexpr const char* kErrorReadingPatch = "Error reading patch file";
inline constexpr const char* kErrorInPatch = "Error in patch file";
inline constexpr const char* kErrorFindingFiles = "Error finding files";
inline constexpr const char* kNoPathSearches = "This version does not allow path searches";
inline constexpr const char* kAbortQuestion =
    "Aborting the run may leave the unusable.\nContinue anyway?";

// Messages about a target file, with its full path between the quotes.
inline constexpr const char* kErrorDeletingFormat = "Error deleting '%s'\nPatching not complete.";
inline constexpr const char* kErrorWritingFormat = "Error writing '%s'\nPatching not complete.";
inline constexpr const char* kErrorCreatingFormat = "Error creating '%s'\nPatching not complete.";

}  // namespace kqp
