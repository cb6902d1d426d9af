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

using ScratchFile = std::unique_ptr<std::FILE, FileCloser>;

// A scratch file holding these bytes, at its start.
ScratchFile ScratchWith(const unsigned char* bytes, std::size_t size) {
    ScratchFile file = OpenScratchFile();
    if (!file) return nullptr;
    if ((size > 0 && std::fwrite(bytes, 1, size, file.get()) != size) ||
        std::fflush(file.get()) != 0) {
        return nullptr;
    }
    std::rewind(file.get());
    return file;
}

// Everything written to a scratch file, read back from its start.
bool ReadBack(std::FILE* file, std::vector<unsigned char>& bytes) {
    if (std::fflush(file) != 0 || std::fseek(file, 0, SEEK_END) != 0) return false;
    const long length = std::ftell(file);
    if (length < 0) return false;
    std::rewind(file);
    bytes.resize(static_cast<std::size_t>(length));
    return bytes.empty() || std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

// Decodes the entry of this name into a scratch file, rewound to its start.
int DecodeToScratch(OperationContext& ctx, const std::string& archive, const std::string& name,
                    ScratchFile& scratch, std::string& entryName) {
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
    errno = 0;
    scratch = OpenScratchFile();
    if (!scratch) return ctx.Fail(LRX_CREATING_REPLAY_FILE, errno, "", entry);
    ctx.progress.Enter(Stage::Extracting, entry);
    if (ctx.StopAsked()) return ctx.Fail(LRX_ABORTED, 0, archive, entry);
    errno = 0;
    const int result =
        DecodeEntry(ctx.codec, file.get(), scratch.get(), node->info->rawSize, ctx.progress);
    if (result != LRX_OK) {
        const int error = IsCodecWritingCode(result) ? errno : 0;
        return ctx.Fail(result, error, error ? std::string() : archive, entry);
    }
    errno = 0;
    if (std::fflush(scratch.get()) != 0 || std::fseek(scratch.get(), 0, SEEK_SET) != 0) {
        return ctx.Fail(LRX_WRITING_POSITION_DATA, errno ? errno : EIO, "", entry);
    }
    return LRX_OK;
}

}  // namespace

int ReadEntry(OperationContext& ctx, const std::string& archive, const std::string& name,
              std::vector<unsigned char>& replay) {
    replay.clear();
    ScratchFile scratch;
    std::string entry;
    if (const int result = DecodeToScratch(ctx, archive, name, scratch, entry)) return result;
    errno = 0;
    if (!ReadBack(scratch.get(), replay)) {
        return ctx.Fail(LRX_WRITING_POSITION_DATA, errno ? errno : EIO, "", entry);
    }
    return LRX_OK;
}

int ReadEntryTo(OperationContext& ctx, const std::string& archive, const std::string& name,
                const EntryWriter& write) {
    ScratchFile scratch;
    std::string entry;
    if (const int result = DecodeToScratch(ctx, archive, name, scratch, entry)) return result;
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
        return ctx.Fail(LRX_WRITING_POSITION_DATA, errno ? errno : EIO, "", entry);
    }
    ctx.progress.Finished(Stage::Extracting, entry.c_str());
    return LRX_OK;
}

int PackInMemory(OperationContext& ctx, const unsigned char* replay, std::size_t size,
                 std::vector<unsigned char>& packed) {
    packed.clear();
    // The record holds a signed 32-bit size.
    if (size > INT32_MAX) return ctx.Fail(LRX_READING_HEADER, 0, "");
    errno = 0;
    ScratchFile in = ScratchWith(replay, size);
    ScratchFile out = OpenScratchFile();
    if (!in || !out) return ctx.Fail(LRX_WRITING_HEADER, errno ? errno : EIO, "");
    int32_t packedSize = 0;
    const int result = EncodeEntry(ctx.codec, in.get(), out.get(), ctx.progress, packedSize);
    if (result != LRX_OK) return ctx.Fail(result, IsCodecWritingCode(result) ? errno : 0, "");
    errno = 0;
    if (!ReadBack(out.get(), packed)) {
        return ctx.Fail(LRX_WRITING_POSITION_DATA, errno ? errno : EIO, "");
    }
    return LRX_OK;
}

int UnpackInMemory(OperationContext& ctx, const unsigned char* packed, std::size_t packedSize,
                   std::size_t rawSize, std::vector<unsigned char>& replay) {
    replay.clear();
    if (rawSize > INT32_MAX) return ctx.Fail(LRX_READING_HEADER, 0, "");
    errno = 0;
    ScratchFile in = ScratchWith(packed, packedSize);
    ScratchFile out = OpenScratchFile();
    if (!in || !out) return ctx.Fail(LRX_WRITING_HEADER, errno ? errno : EIO, "");
    const int result =
        DecodeEntry(ctx.codec, in.get(), out.get(), static_cast<int32_t>(rawSize), ctx.progress);
    if (result != LRX_OK) return ctx.Fail(result, IsCodecWritingCode(result) ? errno : 0, "");
    errno = 0;
    if (!ReadBack(out.get(), replay)) {
        return ctx.Fail(LRX_WRITING_POSITION_DATA, errno ? errno : EIO, "");
    }
    return LRX_OK;
}

}  // namespace lrx
