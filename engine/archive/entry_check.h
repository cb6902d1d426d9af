// Testing an archive: every entry decoded, nothing written, each one given a
// verdict. The format carries no checksum, so this finds damage that changes
// what the decoder reads (a failed read, a wrong length, packed data not used
// exactly) or that yields a malformed replay; damage that only changes a
// value decodes cleanly and cannot be seen.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "codec_context.h"
#include "lrxpack.h"
#include "lrxpack_api.h"
#include "operation_context.h"
#include "progress_sink.h"

namespace lrx {

// An entry that decodes but not as its record says, or with a name extraction
// refuses (lrx's exit status for a damaged archive).
inline constexpr int kDamagedEntry = LRX_DAMAGED_ENTRY;

struct EntryVerdict {
    int code = 0;         // 0 when the entry decodes cleanly
    std::string problem;  // what is wrong, for the report line
};

// Decodes one listed entry of the open archive and checks what came out.
EntryVerdict CheckEntry(codec::CodecContext& codec, std::FILE* archive, const TFileInfoList& node,
                        ProgressSink& progress);
EntryVerdict CheckEntry(std::FILE* archive, const TFileInfoList& node);

struct TestedEntry {
    TFileInfo info{};  // named "(archive)" for the bytes outside every entry
    EntryVerdict verdict;
    bool outsideEntries = false;
};

// Lists the archive as add, delete and extract do (17, 14, 16), then checks
// every entry in archive order. Bytes after the header that belong to no
// entry come first, as "(archive)". 0 when the archive could be read,
// whatever the verdicts; a stop gives 23.
int TestArchive(OperationContext& ctx, const std::string& archive,
                std::vector<TestedEntry>& report);

}  // namespace lrx
