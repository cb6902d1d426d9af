// The engine's single piece of process-wide state: it serves one operation at
// a time, and the operation's window is shared by the container and the codec.
#pragma once

#include "codec_context.h"
#include "mailbox.h"

namespace lrx {

struct EngineState {
    Mailbox currentWindow;
    codec::CodecContext codec;  // bit stream and buffers of the entry in hand
};

EngineState& Engine();

}  // namespace lrx
