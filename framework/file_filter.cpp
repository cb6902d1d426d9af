#include "file_filter.h"

namespace lrx::fw {

std::string FilterWithNulls(std::string_view pipeSeparated) {
    std::string filter(pipeSeparated);
    if (filter.empty()) return filter;
    for (char& c : filter) {
        if (c == '|') c = '\0';
    }
    if (filter.back() != '\0') filter += '\0';
    return filter;
}

}  // namespace lrx::fw
