// File dialog filters are written as "|"-separated pairs of description and
// pattern ("Replay Archives (*.lrx)|*.lrx|All Files (*.*)|*.*|"); the system
// wants NUL-separated pairs ending in two NULs.
#pragma once

#include <string>
#include <string_view>

namespace lrx::fw {

// The returned string holds the NULs; its c_str() supplies the final one.
// An empty filter stays empty (no filter).
std::string FilterWithNulls(std::string_view pipeSeparated);

}  // namespace lrx::fw
