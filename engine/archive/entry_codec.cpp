#include "entry_codec.h"

#include "codec.h"
#include "lrxpack.h"

namespace lrx {

int EncodeEntry(codec::CodecContext& ctx, std::FILE* replay, std::FILE* archive,
                ProgressSink& progress, int32_t& packedSize) {
    int64_t packed = 0;
    const int result = codec::EncodeReplay(ctx, replay, archive, progress, packed);
    if (result != LRX_OK) return result;
    // The record holds a signed 32-bit size.
    if (packed > INT32_MAX) return LRX_WRITING_POSITION_DATA;
    packedSize = static_cast<int32_t>(packed);
    return LRX_OK;
}

bool IsCodecWritingCode(int code) {
    return (code >= LRX_WRITING_HEADER && code <= LRX_WRITING_A3 && code % 2 == 0) ||
           code == LRX_WRITING_RECORD_SIZE;
}

int DecodeEntry(codec::CodecContext& ctx, std::FILE* archive, codec::ByteSink& replay,
                const TFileInfo& info, ProgressSink& progress, codec::DecodeCheck* check) {
    // A damaged entry is not read on into the next one.
    codec::FileSource packed(archive, info.packedSize < 0 ? 0 : info.packedSize);
    return codec::DecodeReplay(ctx, packed, replay, info.rawSize, progress, check);
}

int DecodeEntry(codec::CodecContext& ctx, std::FILE* archive, std::FILE* output,
                const TFileInfo& info, ProgressSink& progress) {
    codec::FileSink replay(output);
    return DecodeEntry(ctx, archive, replay, info, progress);
}

}  // namespace lrx
