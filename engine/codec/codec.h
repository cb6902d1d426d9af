// The replay codec: turns a replay (*.rpl) into the packed bit stream of an
// archive entry and back. It reads from a ByteSource and writes to a ByteSink
// (a file, memory, a caller's function), in blocks of its own.
//
// Adding an entry: EncodeReplay reads the replay from the source's start and
// writes the packed data, completed to a whole 32-bit word, to the sink;
// packedSize gets its length. Extracting an entry: DecodeReplay reads packed
// data from the source until it has written the entry's rawSize bytes. Both
// return 0 or a result code of lrxpack.h; the first failure ends the entry
// and nothing is retried. When they return, all they wrote has reached the
// sink, in order; the decoder may have read ahead of the entry's end in its
// source. The codec keeps a 64 KiB read block, a 256 KiB write block and
// per-frame tables of at most 63 slots: memory does not grow with the
// replay. The decoder reads a frame without testing each read when its block
// holds all the bits any frame can take (about 10 KB), and tests every read
// only in the last frames of a stream.
//
// Threads: every call works on the context it is given and on nothing else
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
// The decoder, given any bytes, stays in its buffers, writes at most rawSize
// bytes and ends with the reading code of the section it was in.
#pragma once

#include <cstdint>
#include <cstdio>

#include "byte_source.h"
#include "codec_context.h"
#include "model_check.h"
#include "progress_sink.h"

namespace lrx::codec {

// 0, 1 to 13 (a failed write into the sink is 2, 4, ... 12), or 23 when
// progress asked to stop.
int EncodeReplay(CodecContext& ctx, ByteSource& replay, ByteSink& packed, ProgressSink& progress,
                 int64_t& packedSize);

// What a decoding tells besides the replay, for the entry test. Valid when
// the decoding succeeded.
struct DecodeCheck {
    int64_t packedBitsUsed = 0;  // bits of the packed data the decoder used
    ModelCheck model;            // CheckReplayModel of the replay written
};

// 0, 1 to 12, 23 or 27; fills check when one is given.
int DecodeReplay(CodecContext& ctx, ByteSource& packed, ByteSink& replay, int32_t rawSize,
                 ProgressSink& progress, DecodeCheck* check = nullptr);

// The same over C streams from their current positions.
inline int EncodeReplay(CodecContext& ctx, std::FILE* replay, std::FILE* packed,
                        ProgressSink& progress, int64_t& packedSize) {
    FileSource source(replay);
    FileSink sink(packed);
    return EncodeReplay(ctx, source, sink, progress, packedSize);
}
inline int DecodeReplay(CodecContext& ctx, std::FILE* packed, std::FILE* replay, int32_t rawSize,
                        ProgressSink& progress) {
    FileSource source(packed);
    FileSink sink(replay);
    return DecodeReplay(ctx, source, sink, rawSize, progress);
}

}  // namespace lrx::codec
