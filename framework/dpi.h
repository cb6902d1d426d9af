// Lengths given for a 96-dpi screen, at another screen's dpi. Windows of the
// programs are laid out in 96-dpi pixels and drawn at the screen's (ScreenDpi
// in dc.h); plain arithmetic, so it builds and is tested everywhere.
#pragma once

#include <cstdint>

namespace lrx::fw {

// Rounded to the nearest pixel, halves away from zero; a dpi of 0 or less is
// taken as 96.
inline int ScaleToDpi(int pixels96, int dpi) {
    if (dpi <= 0) dpi = 96;
    const int64_t scaled = int64_t{pixels96} * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 48) / 96 : (scaled - 48) / 96);
}

}  // namespace lrx::fw
