#include "lrxpack.h"

namespace {

constexpr const char* kResultTexts[] = {
    "No error",
    "Reading header",
    "Writing header",
    "Reading driver list",
    "Writing driver list",
    "Reading position data",
    "Writing position data",
    "Reading A1",
    "Writing A1",
    "Reading A2",
    "Writing A2",
    "Reading A3",
    "Writing A3",
    "Reading record size",
    "Reading file header",
    "Reading file info",
    "Version mismatch",
    "Opening LRX file",
    "Creating temporary file",
    "Creating replay file",
    "Deleting moved replay",
    "Opening replay",
    "Writing file info",
    "Aborted",
    "Removing empty archive",
    "Removed empty archive",
    "Query requires instance",
    "Writing record size",
    "Replay name too long",
    "Replay name not allowed",
    "Archive too large",
};

static_assert(sizeof kResultTexts / sizeof kResultTexts[0] == LRX_LAST_RESULT + 1);

}  // namespace

extern "C" const char* fUwu(int code) {
    if (code < 0 || code > LRX_LAST_RESULT) return "Unknown error";
    return kResultTexts[code];
}
