// What an operation failed on: the engine's code, the system's error number
// taken where it happened (on whatever thread), the file it is about and the
// entry in hand. Filled once, by the first failure; later ones are its
// consequences.
#pragma once

#include <cstddef>
#include <string>

namespace lrx {

inline constexpr std::size_t kNoItem = static_cast<std::size_t>(-1);

struct Failure {
    int code = 0;
    int systemError = 0;
    std::string path;
    std::string entry;
    std::size_t item = kNoItem;  // index of the replay or name in the call's list

    bool failed() const { return code != 0; }
    // Records a failure unless one is recorded already; returns code.
    int Record(int failureCode, int error, std::string aboutPath, std::string entryName = {},
               std::size_t index = kNoItem) {
        if (code == 0) {
            code = failureCode;
            systemError = error;
            path = std::move(aboutPath);
            entry = std::move(entryName);
            item = index;
        }
        return failureCode;
    }
};

}  // namespace lrx
