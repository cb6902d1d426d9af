// lrx test: decodes every entry of an archive, writing nothing, and reports
// each one. The format carries no checksum, so this finds damage that changes
// what the decoder reads (a failed read, a wrong length, packed data not used
// exactly) or that yields a malformed replay; damage that only changes a
// value decodes cleanly and cannot be seen.
#pragma once

#include <cstdio>
#include <string>

#include "command_line.h"
#include "lrxpack.h"

namespace lrx::cli {

struct EntryVerdict {
    int code = 0;         // 0 when the entry decodes cleanly
    std::string problem;  // what is wrong, for the report line
};

// Decodes one listed entry of the open archive and checks what came out.
EntryVerdict CheckEntry(std::FILE* archive, const TFileInfoList& node);

int RunTest(const Options& options);

}  // namespace lrx::cli
