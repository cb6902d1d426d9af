// Whether a replay would come back from an archive byte for byte, for hosts
// that want to warn before adding it.
#pragma once

#include <string>

#include "failure.h"

namespace lrx {

// 0 when the replay would come back byte for byte, LRX_NOT_EXACT when it
// would be packed but extracted with other bytes, or the code the add would
// refuse it with (21 for a replay that cannot be opened); a nonzero result is
// recorded in failure, about the replay as named.
int CheckReplayComesBack(const std::string& replayPath, Failure& failure);

}  // namespace lrx
