// What the applier accepts from a patch file beyond its byte layout. kqpmake
// checks its manifests against these same rules, so it never writes a patch
// the applier would stop on.
#pragma once

#include <cstdint>
#include <string_view>

namespace kqp {

// A directory entry may not claim the built-in Windows (-1) or System (-2)
// identifiers.
bool IsPatchDirectoryId(int32_t id);

// Why a file record is refused before anything is touched, or null: an
// operation other than replace, add or remove, a payload on a remove record,
// or a name that leaves its directory (IsSafeRecordName).
const char* RecordProblem(int8_t operation, int32_t payloadLength, std::string_view name);

}  // namespace kqp
