#include "patch_rules.h"

#include "directory_table.h"
#include "patch_reader.h"
#include "path_rules.h"

namespace kqp {

bool IsPatchDirectoryId(int32_t id) {
    return id != kWindowsDirectoryId && id != kSystemDirectoryId;
}

const char* RecordProblem(int8_t operation, int32_t payloadLength, std::string_view name) {
    if (operation != kReplace && operation != kAdd && operation != kRemove) {
        return "the operation is not replace (1), add (2) or remove (3)";
    }
    if (operation == kRemove && payloadLength != 0) return "a remove record carries a payload";
    if (!IsSafeRecordName(name)) return "the name leaves its directory or names a device";
    return nullptr;
}

}  // namespace kqp
