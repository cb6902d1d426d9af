#include "replay_check.h"

#include <cerrno>

#include "entry_name.h"
#include "file_stream.h"
#include "lrxpack_api.h"
#include "model_check.h"
#include "path_facts.h"

namespace lrx {

int CheckReplayComesBack(const std::string& replayPath, Failure& failure) {
    const std::string path = ReplayFilePath(replayPath);
    errno = 0;
    FileStream file(path.c_str(), "rb");
    if (!file.IsOpen()) {
        return failure.Record(LRX_OPENING_REPLAY, errno ? errno : ENOENT, replayPath, {}, kNoItem,
                              NonFileAt(path, true));
    }
    const codec::ModelCheck check = codec::CheckReplayModel(file.get());
    if (check.FollowsModel()) return LRX_OK;
    const int code = check.problem == codec::ModelBreak::Refused ? check.refusal : LRX_NOT_EXACT;
    return failure.Record(code, 0, replayPath);
}

}  // namespace lrx
