// What an operation failed on: the engine's code, the system's error number
// taken where it happened (on whatever thread), the file it is about and the
// entry in hand; and what a message needs besides (which call, what stood at
// the path). Filled once, by the first failure; later ones are its
// consequences. The public lrx_failure carries the same fields.
#pragma once

#include <cstddef>
#include <string>
#include <utility>

namespace lrx {

inline constexpr std::size_t kNoItem = static_cast<std::size_t>(-1);

struct Failure {
    int code = 0;
    int systemError = 0;
    std::string path;
    std::string entry;
    std::size_t item = kNoItem;  // index of the replay or name in the call's list
    int call = 0;                // LRX_CALL_ of lrxpack_api.h
    int detail = 0;              // 16: the archive's version; else the LRX_PATH_ kind at path, or 0

    bool failed() const { return code != 0; }
    // Records a failure unless one is recorded already; returns code.
    int Record(int failureCode, int error, std::string aboutPath, std::string entryName = {},
               std::size_t index = kNoItem, int pathDetail = 0) {
        if (code == 0) {
            code = failureCode;
            systemError = error;
            path = std::move(aboutPath);
            entry = std::move(entryName);
            item = index;
            detail = pathDetail;
        }
        return failureCode;
    }
};

}  // namespace lrx
