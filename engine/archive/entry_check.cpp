#include "entry_check.h"

#include <cerrno>
#include <cstring>

#include "archive_ops.h"
#include "byte_order.h"
#include "codec.h"
#include "entry_codec.h"
#include "entry_name.h"
#include "file_info_record.h"

namespace lrx {
namespace {

bool SeekTo(std::FILE* file, int64_t offset) {
#ifdef _WIN32
    return _fseeki64(file, offset, SEEK_SET) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

std::string Count(int64_t n, const char* what) {
    return std::to_string(n) + " " + what;
}

}  // namespace

EntryVerdict CheckEntry(codec::CodecContext& codec, std::FILE* archive, const TFileInfoList& node,
                        ProgressSink& progress) {
    const TFileInfo& info = *node.info;
    if (info.rawSize < 0) return {kDamagedEntry, "its record gives a negative size"};
    if (info.packedSize % 4 != 0) {
        return {kDamagedEntry, "its packed size is not a whole number of 32-bit words"};
    }
    if (!SeekTo(archive, node.offset)) return {LRX_READING_HEADER, "cannot seek to its data"};
    // The decoder checks the replay against the model as it writes it, so the
    // replay itself is not kept.
    codec::CountingSink replay;
    codec::DecodeCheck check;
    const int result = DecodeEntry(codec, archive, replay, info, progress, &check);
    if (result == LRX_ABORTED) return {result, "stopped"};
    if (result != LRX_OK) return {result, std::string("does not decode: ") + fUwu(result)};
    if (replay.count() != info.rawSize) {
        return {kDamagedEntry, "decodes to " + Count(replay.count(), "bytes") +
                                   ", its record says " + std::to_string(info.rawSize)};
    }
    const int64_t usedBits = check.packedBitsUsed;
    const int64_t used = (usedBits + 31) / 32 * 4;  // a partly used word is the last one
    if (used != info.packedSize) {
        return {kDamagedEntry, "decoding uses " + std::to_string(used) + " of its " +
                                   Count(info.packedSize, "packed bytes")};
    }
    // The last word is completed with zero bits.
    const int padding = static_cast<int>(used * 8 - usedBits);
    uint32_t lastWord = 0;
    unsigned char bytes[4];
    if (padding > 0 && SeekTo(archive, node.offset + used - 4) &&
        std::fread(bytes, 1, 4, archive) == 4) {
        lastWord = LoadU32(bytes);
    }
    if (padding > 0 && (lastWord & ((uint32_t{1} << padding) - 1)) != 0) {
        return {kDamagedEntry, "the unused bits of its last word are not 0"};
    }
    const codec::ModelCheck& model = check.model;
    if (!model.FollowsModel()) {
        std::string where = model.frame >= 0 ? " in frame " + std::to_string(model.frame) : "";
        return {kDamagedEntry, std::string("decodes to a malformed replay: ") +
                                   codec::DescribeModelBreak(model.problem) + where};
    }
    // A name extraction refuses is damage to the entry, found without decoding.
    if (!IsSafeEntryName(info.name)) {
        return {kDamagedEntry, "its name is not allowed as a file name; extract refuses it"};
    }
    return {};
}

EntryVerdict CheckEntry(std::FILE* archive, const TFileInfoList& node) {
    codec::CodecContext codec;
    ProgressSink none;
    return CheckEntry(codec, archive, node, none);
}

int TestArchive(OperationContext& ctx, const std::string& archive,
                std::vector<TestedEntry>& report) {
    report.clear();
    ctx.progress.Start();
    // The version as add, delete and extract check it: they refuse 99 too.
    if (const int result = CheckArchiveVersion(archive, LRX_OPENING_ARCHIVE, ctx.failure)) {
        return result;
    }
    OwnedListing listing;
    if (wG4h(&listing.head, const_cast<char*>(archive.c_str())) != LRX_OK) {
        return ctx.Fail(LRX_READING_FILE_HEADER, 0, archive);
    }
    errno = 0;
    FileStream file(archive.c_str(), "rb");
    if (!file.IsOpen()) return ctx.Fail(LRX_OPENING_ARCHIVE, errno, archive);
    // Entries cover an archive from the end of its header to its end: bytes
    // the walk did not reach (a damaged data start, a cut file) belong to no
    // entry, and add and delete refuse the archive.
    const int64_t start = EntriesStart(listing.head, file.Length());
    if (start != kArchiveHeaderSize) {
        TestedEntry outside;
        outside.outsideEntries = true;
        std::strcpy(outside.info.name, "(archive)");
        outside.verdict = {kDamagedEntry, start > kArchiveHeaderSize
                                              ? Count(start - kArchiveHeaderSize,
                                                      "bytes after the header belong to no entry")
                                              : "its first entry overlaps the header"};
        report.push_back(outside);
    }
    for (const TFileInfoList* node = listing.head; node; node = node->next) {
        ctx.progress.Enter(Stage::Extracting, node->info->name);
        if (ctx.StopAsked()) return ctx.Fail(LRX_ABORTED, 0, archive, node->info->name);
        EntryVerdict verdict = CheckEntry(ctx.codec, file.get(), *node, ctx.progress);
        if (verdict.code == LRX_ABORTED) return ctx.Fail(LRX_ABORTED, 0, archive, node->info->name);
        report.push_back({*node->info, std::move(verdict), false});
    }
    return LRX_OK;
}

}  // namespace lrx
