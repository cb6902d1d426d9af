// Whether a replay would come back from an archive byte for byte, for hosts
// that want to warn before adding it.
#pragma once

#include <string>

namespace lrx {

enum class ModelCheck { Follows, Differs, Unreadable };

ModelCheck CheckReplayFollowsModel(const std::string& replayPath);

}  // namespace lrx
