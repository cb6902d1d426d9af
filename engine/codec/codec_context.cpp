#include "codec.h"

#include "lrxpack.h"

namespace lrx::codec {

void ResetBitStream(CodecContext& ctx) {
    ctx.bits.Reset();
    ctx.input.Attach(nullptr);
    ctx.output.Attach(nullptr);
}

bool FlushBitStream(CodecContext& ctx, std::FILE* archive) {
    ctx.Bind(ctx.input.file(), archive);
    const bool flushed = ctx.bits.Flush(ctx.output);
    return ctx.output.Drain() && flushed;
}

int EncodeReplay(CodecContext& ctx, std::FILE* replay, std::FILE* archive, ProgressSink& progress,
                 int64_t& packedSize) {
    ResetBitStream(ctx);
    ctx.bits.bytesWritten = 0;
    int result = EncodeReplayHeader(ctx, replay, archive);
    if (result == LRX_OK) result = EncodeReplayFrames(ctx, replay, archive, progress);
    if (result != LRX_OK) return result;
    if (!FlushBitStream(ctx, archive)) return LRX_WRITING_POSITION_DATA;
    packedSize = ctx.bits.bytesWritten;
    return LRX_OK;
}

int DecodeReplay(CodecContext& ctx, std::FILE* archive, std::FILE* replay, int32_t rawSize,
                 ProgressSink& progress) {
    ResetBitStream(ctx);
    ctx.bytesLeft = rawSize;
    const int result = DecodeReplayHeader(ctx, archive, replay);
    return result != LRX_OK ? result : DecodeReplayFrames(ctx, archive, replay, progress);
}

}  // namespace lrx::codec
