// The replay codec: turns a replay file (*.rpl) into the packed bit stream of
// an archive entry and back.
//
// Adding an entry (the archive stream positioned where the entry's data
// starts, the replay stream at its first byte):
//     ResetBitStream(ctx); ctx.bits.bytesWritten = 0;
//     EncodeReplayHeader, then EncodeReplayFrames (stop at the first non-zero
//     result); then FlushBitStream (false: 6, "Writing position data").
//     packedSize = ctx.bits.bytesWritten; rawSize = the replay's length.
// Extracting an entry (the archive stream positioned at the entry's data):
//     ResetBitStream(ctx); ctx.bytesLeft = rawSize;
//     DecodeReplayHeader, then DecodeReplayFrames.
// EncodeReplay and DecodeReplay do exactly these sequences.
//
// Every step returns 0 or a result code of lrxpack.h; the first failure ends
// the entry and nothing is retried. When a step returns, all it wrote is in
// the output stream, in order; the decoder may have read ahead in the
// archive, so seek before the next entry. The codec reads and writes through
// its own 256 KiB blocks and keeps per-frame tables of at most 63 slots:
// memory does not grow with the replay. The frames are coded a whole frame
// at a time: the decoder reads a frame without testing each read when the
// stream holds all the bits any frame can take (about 10 KB), and tests
// every read only in the last frames of a stream.
//
// Threads: every step works on the context it is given and on nothing else
// that changes (the code tables are constants), so entries with contexts of
// their own may be encoded or decoded on different threads at once. One
// context serves one entry at a time; every operation of the engine has its
// own, and each worker thread of an operation its own again.
//
// Bad input: the encoder refuses a replay the stream cannot carry, or would
// not give back whole, with the code of the section it was reading: 1 for a
// header size outside 1352..16 MiB, more than 63 slots, a 32-character
// driver name or a driver byte above 126; 5 for a status naming a slot
// outside the table, bytes after the last frame, or a replay of 2 GiB or more.
// The decoder, given any bytes, stays in its buffers, writes at most
// bytesLeft bytes and ends with the reading code of the section it was in.
#pragma once

#include <cstdint>
#include <cstdio>

#include "codec_context.h"
#include "progress_sink.h"

namespace lrx::codec {

// Clears the bit stream and forgets what was buffered for either stream.
// Call before every entry, encoded or decoded.
void ResetBitStream(CodecContext& ctx);

// Reads the preamble and header block, writes the header section, and keeps
// the slot count and slot base for the frames. 0, 1, 2 or 4.
int EncodeReplayHeader(CodecContext& ctx, std::FILE* replay, std::FILE* archive);

// Codes the frames until positionSize bytes are used, with progress reports
// and stop requests through progress; then checks that the replay ended there.
// 0, 5 to 13, or 23.
int EncodeReplayFrames(CodecContext& ctx, std::FILE* replay, std::FILE* archive,
                       ProgressSink& progress);

// Completes the last 32-bit word with zero bits and hands it to the archive
// stream. False when a write failed.
bool FlushBitStream(CodecContext& ctx, std::FILE* archive);

// Reads the header section and writes the preamble and header block. Needs
// ctx.bytesLeft set to the entry's rawSize. 0, 1, 2 or 3.
int DecodeReplayHeader(CodecContext& ctx, std::FILE* archive, std::FILE* replay);

// Writes frames until ctx.bytesLeft bytes are written, with progress reports
// and stop requests through progress. 0, 5 to 12, 23 or 27.
int DecodeReplayFrames(CodecContext& ctx, std::FILE* archive, std::FILE* replay,
                       ProgressSink& progress);

// The whole add sequence; packedSize gets the packed length on success.
int EncodeReplay(CodecContext& ctx, std::FILE* replay, std::FILE* archive, ProgressSink& progress,
                 int64_t& packedSize);

// The whole extract sequence for an entry of rawSize bytes.
int DecodeReplay(CodecContext& ctx, std::FILE* archive, std::FILE* replay, int32_t rawSize,
                 ProgressSink& progress);

}  // namespace lrx::codec
