#include "engine_state.h"

namespace lrx {

EngineState& Engine() {
    static EngineState state;
    return state;
}

}  // namespace lrx
