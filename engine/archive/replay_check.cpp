#include "replay_check.h"

#include "entry_name.h"
#include "model_check.h"

namespace lrx {

ModelCheck CheckReplayFollowsModel(const std::string& replayPath) {
    const codec::ModelCheck check = codec::CheckReplayModel(ReplayFilePath(replayPath).c_str());
    if (check.FollowsModel()) return ModelCheck::Follows;
    // A replay the engine refuses is reported by the add itself.
    return check.problem == codec::ModelBreak::Refused ? ModelCheck::Unreadable
                                                       : ModelCheck::Differs;
}

}  // namespace lrx
