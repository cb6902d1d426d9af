// Adding many replays in one rewrite of the archive: the kept entries are
// copied once, each replay is encoded once, and the new archive replaces the
// old one once; extracting many on several threads; and deleting. Each takes
// the operation's context; the exports use them with one job and the window
// as the progress sink.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "file_info_record.h"
#include "operation_context.h"

namespace lrx {

struct ReplayToAdd {
    std::string path;
    bool move = false;  // removed once the new archive is in place
};

inline constexpr std::size_t kNoReplay = kNoItem;

// Adds the replays (the later of two with one name wins) with up to jobs
// encoders at once; the archive comes out the same for every job count.
// Returns 0 or the engine's code, recorded in ctx.failure: its item is the
// index of the replay a failure is about. On any failure the archive is as
// it was, except for a replay that could not be removed after a move. An
// archive that would grow past maxLength gives 30 (only tests lower it).
int AddReplays(OperationContext& ctx, const std::string& archive,
               const std::vector<ReplayToAdd>& replays, unsigned jobs,
               int64_t maxLength = kMaxArchiveLength);

// Extracts as the exported extraction does, decoding up to jobs entries at
// once; the files come out the same for every job count. A failure is
// recorded with the entry it is about.
int ExtractEntries(OperationContext& ctx, const char* archive, const std::string& folder,
                   int& overwriteMode, bool everyEntry, int count, char** names, unsigned jobs);

// Deletes as the exported delete does: it reports Stage::Deleting and
// percentages of the kept bytes copied, and a stop request ends it with 23
// and the archive as it was.
// onlyWhenNamed: an archive with no entry of the names is left as it is, not
// rewritten (the exported delete rewrites it, or removes it when empty).
int DeleteEntries(OperationContext& ctx, const char* archive, int count, char** names,
                  bool onlyWhenNamed = false);

}  // namespace lrx
