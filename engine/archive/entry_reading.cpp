#include "entry_reading.h"

#include <cerrno>
#include <cstdio>

#include "archive_ops.h"
#include "codec.h"
#include "entry_codec.h"
#include "entry_name.h"
#include "scratch_file.h"

namespace lrx {
namespace {

// Hands the replay to the caller's writer as the decoder produces it.
class WriterSink final : public codec::ByteSink {
  public:
    explicit WriterSink(const EntryWriter& write) : write_(write) {}
    bool Write(const unsigned char* bytes, std::size_t size) override {
        error_ = write_(bytes, size);
        return error_ == 0;
    }
    int error() const { return error_; }

  private:
    const EntryWriter& write_;
    int error_ = 0;
};

// Decodes the entry of this name into sink. A failed write into the sink is
// 6 with writeError's error number, about the entry and no file.
int DecodeNamedEntry(OperationContext& ctx, const std::string& archive, const std::string& name,
                     codec::ByteSink& sink, const std::function<int()>& writeError,
                     std::string& entryName) {
    if (const int result = CheckArchiveVersion(archive, LRX_OPENING_ARCHIVE, ctx.failure)) {
        return result;
    }
    OwnedListing listing;
    if (const int result = ListArchive(archive, listing, ctx.failure)) return result;
    const TFileInfoList* node = listing.head;
    while (node && !SameEntryName(node->info->name, name.c_str())) node = node->next;
    if (!node) return ctx.Fail(LRX_REPLAY_NAME_NOT_ALLOWED, 0, archive, name);
    const char* entry = node->info->name;
    entryName = entry;
    errno = 0;
    FileStream file(archive.c_str(), "rb");
    if (!file.IsOpen()) return ctx.Fail(LRX_OPENING_ARCHIVE, errno, archive, entry);
    if (!file.Seek(node->offset)) return ctx.Fail(LRX_READING_HEADER, 0, archive, entry);
    ctx.progress.Enter(Stage::Extracting, entry);
    if (ctx.StopAsked()) return ctx.Fail(LRX_ABORTED, 0, archive, entry);
    const int result = DecodeEntry(ctx.codec, file.get(), sink, *node->info, ctx.progress);
    if (result == LRX_OK) return LRX_OK;
    if (IsCodecWritingCode(result)) {
        return ctx.Fail(LRX_WRITING_POSITION_DATA, writeError(), "", entry);
    }
    return ctx.Fail(result, 0, archive, entry);
}

}  // namespace

int ReadEntry(OperationContext& ctx, const std::string& archive, const std::string& name,
              std::vector<unsigned char>& replay) {
    replay.clear();
    codec::VectorSink sink(replay);
    std::string entry;
    // Memory running out ends the call through the exception barrier.
    return DecodeNamedEntry(
        ctx, archive, name, sink, [] { return ENOMEM; }, entry);
}

int ReadEntryTo(OperationContext& ctx, const std::string& archive, const std::string& name,
                const EntryWriter& write, Handing handing) {
    std::string entry;
    if (handing == Handing::AsDecoded) {
        WriterSink sink(write);
        const int result = DecodeNamedEntry(
            ctx, archive, name, sink, [&] { return sink.error(); }, entry);
        if (result == LRX_OK) ctx.progress.Finished(Stage::Extracting, entry.c_str());
        return result;
    }
    // The whole entry first, into a scratch file.
    errno = 0;
    const std::unique_ptr<std::FILE, FileCloser> scratch = OpenScratchFile();
    if (!scratch) return ctx.Fail(LRX_CREATING_REPLAY_FILE, errno, "", name);
    codec::FileSink sink(scratch.get());
    const auto scratchError = [] { return errno ? errno : EIO; };
    if (const int result = DecodeNamedEntry(ctx, archive, name, sink, scratchError, entry)) {
        return result;
    }
    errno = 0;
    if (std::fflush(scratch.get()) != 0 || std::fseek(scratch.get(), 0, SEEK_SET) != 0) {
        return ctx.Fail(LRX_WRITING_POSITION_DATA, scratchError(), "", entry);
    }
    std::vector<unsigned char> piece(64 * 1024);
    for (;;) {
        errno = 0;
        const std::size_t got = std::fread(piece.data(), 1, piece.size(), scratch.get());
        if (got == 0) break;
        if (const int error = write(piece.data(), got); error != 0) {
            return ctx.Fail(LRX_WRITING_POSITION_DATA, error, "", entry);
        }
    }
    if (std::ferror(scratch.get())) {
        return ctx.Fail(LRX_WRITING_POSITION_DATA, scratchError(), "", entry);
    }
    ctx.progress.Finished(Stage::Extracting, entry.c_str());
    return LRX_OK;
}

int PackInMemory(OperationContext& ctx, const unsigned char* replay, std::size_t size,
                 std::vector<unsigned char>& packed) {
    packed.clear();
    // The record holds a signed 32-bit size.
    if (size > INT32_MAX) return ctx.Fail(LRX_READING_HEADER, 0, "");
    codec::MemorySource source(replay, size);
    codec::VectorSink sink(packed);
    int64_t packedSize = 0;
    const int result = codec::EncodeReplay(ctx.codec, source, sink, ctx.progress, packedSize);
    if (result == LRX_OK && packedSize > INT32_MAX)
        return ctx.Fail(LRX_WRITING_POSITION_DATA, 0, "");
    if (result != LRX_OK) packed.clear();
    return result == LRX_OK ? LRX_OK : ctx.Fail(result, 0, "");
}

int UnpackInMemory(OperationContext& ctx, const unsigned char* packed, std::size_t packedSize,
                   std::span<unsigned char> replay) {
    codec::MemorySource source(packed, packedSize);
    codec::SpanSink sink(replay);
    const int result = codec::DecodeReplay(ctx.codec, source, sink,
                                           static_cast<int32_t>(replay.size()), ctx.progress);
    return result == LRX_OK ? LRX_OK : ctx.Fail(result, 0, "");
}

}  // namespace lrx
