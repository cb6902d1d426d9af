// One entry through the codec: a replay file into packed data at the end of
// an archive stream, and packed data back into a replay file. The caller
// owns the codec state: one per thread.
#pragma once

#include <cstdint>
#include <cstdio>

#include "codec.h"
#include "codec_context.h"
#include "file_info_record.h"
#include "progress_sink.h"

namespace lrx {

// Encodes the open replay (at its start) onto the archive stream's end and
// flushes the bit stream to a whole word. packedSize receives the bytes
// written. Result: 0 or a codec code (1..13, 23).
int EncodeEntry(codec::CodecContext& ctx, std::FILE* replay, std::FILE* archive,
                ProgressSink& progress, int32_t& packedSize);

// Whether a codec code is one of a failed write (2, 4, ... 12, 27): in an add
// always a write into the new archive, in an extraction into the replay.
bool IsCodecWritingCode(int code);

// Decodes the packed data at the archive stream's position, reading no more
// than its packedSize bytes, into replay until rawSize bytes are produced;
// check, when given, gets what the decoder found on the way. Result: 0 or a
// codec code.
int DecodeEntry(codec::CodecContext& ctx, std::FILE* archive, codec::ByteSink& replay,
                const TFileInfo& info, ProgressSink& progress, codec::DecodeCheck* check = nullptr);
// The same into an open file.
int DecodeEntry(codec::CodecContext& ctx, std::FILE* archive, std::FILE* output,
                const TFileInfo& info, ProgressSink& progress);

}  // namespace lrx
