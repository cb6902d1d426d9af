#include "integrity_check.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include "archive_ops.h"
#include "byte_order.h"
#include "commands.h"
#include "entry_codec.h"
#include "entry_name.h"
#include "failure_report.h"
#include "file_info_record.h"
#include "file_stream.h"
#include "model_check.h"
#include "name_text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace lrx::cli {
namespace {

// A file to decode into that disappears when closed, however the process ends
// (on Windows: when it ends normally or by Ctrl+C).
std::unique_ptr<std::FILE, FileCloser> OpenScratchFile() {
#ifdef _WIN32
    char folder[MAX_PATH], path[MAX_PATH];
    const DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder || GetTempFileNameA(folder, "lrx", 0, path) == 0) {
        return nullptr;
    }
    return std::unique_ptr<std::FILE, FileCloser>(std::fopen(path, "w+bD"));
#else
    return std::unique_ptr<std::FILE, FileCloser>(std::tmpfile());
#endif
}

int64_t Tell(std::FILE* file) {
#ifdef _WIN32
    return _ftelli64(file);
#else
    return ftello(file);
#endif
}

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

EntryVerdict CheckEntry(std::FILE* archive, const TFileInfoList& node) {
    const TFileInfo& info = *node.info;
    if (info.rawSize < 0) return {kDamagedEntry, "its record gives a negative size"};
    if (info.packedSize % 4 != 0) {
        return {kDamagedEntry, "its packed size is not a whole number of 32-bit words"};
    }
    auto scratch = OpenScratchFile();
    if (!scratch) {
        return {LRX_CREATING_REPLAY_FILE,
                std::string("no scratch file to decode into: ") + std::strerror(errno)};
    }
    if (!SeekTo(archive, node.offset)) return {LRX_READING_HEADER, "cannot seek to its data"};
    int64_t usedBits = 0;
    codec::CodecContext codec;
    ProgressSink none;
    const int result =
        DecodeEntryCounted(codec, archive, scratch.get(), info.rawSize, none, usedBits);
    if (result != LRX_OK) return {result, std::string("does not decode: ") + fUwu(result)};
    if (std::fflush(scratch.get()) != 0) {
        return {LRX_WRITING_POSITION_DATA,
                std::string("cannot write the scratch file: ") + std::strerror(errno)};
    }
    const int64_t length = Tell(scratch.get());
    if (length != info.rawSize) {
        return {kDamagedEntry, "decodes to " + Count(length, "bytes") + ", its record says " +
                                   std::to_string(info.rawSize)};
    }
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
    std::rewind(scratch.get());
    const codec::ModelCheck model = codec::CheckReplayModel(scratch.get());
    if (!model.FollowsModel()) {
        std::string where = model.frame >= 0 ? " in frame " + std::to_string(model.frame) : "";
        return {kDamagedEntry, std::string("decodes to a malformed replay: ") +
                                   codec::DescribeModelBreak(model.problem) + where};
    }
    return {};
}

int RunTest(const Options& options) {
    FailureScene scene{Operation::Test, options.archive};
    // The version as add, delete and extract check it: they refuse 99 too.
    OwnedListing listing;
    int result = CheckArchiveVersion(options.archive.c_str(), LRX_OPENING_ARCHIVE);
    if (result == LRX_OK && wG4h(&listing.head, const_cast<char*>(options.archive.c_str())) != 0) {
        result = LRX_READING_FILE_HEADER;
    }
    if (result != LRX_OK) return ReportFailure(scene, result);
    FileStream archive(options.archive.c_str(), "rb");
    if (!archive.IsOpen()) return ReportFailure(scene, LRX_OPENING_ARCHIVE);

    int firstFailure = 0, failures = 0, entries = 0;
    auto line = [](const char* name) { return PadToColumns(PrintableName(name), 13); };
    auto fail = [&](const char* name, const EntryVerdict& verdict) {
        std::printf("%s DAMAGED: %s\n", line(name).c_str(), verdict.problem.c_str());
        if (firstFailure == 0) firstFailure = verdict.code;
    };
    // Entries cover an archive from the end of its header to its end: bytes
    // the walk did not reach (a damaged data start, a cut file) belong to no
    // entry, and add and delete refuse the archive.
    const int64_t start = EntriesStart(listing.head, archive.Length());
    const bool outsideDamaged = start != kArchiveHeaderSize;
    if (outsideDamaged) {
        fail("(archive)", {kDamagedEntry, start > kArchiveHeaderSize
                                              ? Count(start - kArchiveHeaderSize,
                                                      "bytes after the header belong to no entry")
                                              : "its first entry overlaps the header"});
    }
    for (const TFileInfoList* node = listing.head; node; node = node->next) {
        ++entries;
        EntryVerdict verdict = CheckEntry(archive.get(), *node);
        // A name extraction refuses is damage to the entry, found without decoding.
        if (verdict.code == 0 && !IsSafeEntryName(node->info->name)) {
            verdict = {kDamagedEntry, "its name is not allowed as a file name; extract refuses it"};
        }
        if (verdict.code != 0) {
            ++failures;
            fail(node->info->name, verdict);
        } else if (!options.quiet) {
            std::printf("%s OK\n", line(node->info->name).c_str());
        }
    }
    if (!options.quiet || firstFailure != 0) {
        std::printf(
            "%d %s tested, %d damaged%s.\nOK means an entry decodes cleanly, not that it is "
            "unchanged: the archive carries no checksum.\n",
            entries, entries == 1 ? "entry" : "entries", failures,
            outsideDamaged ? "; the archive is damaged outside its entries" : "");
    }
    return firstFailure;
}

}  // namespace lrx::cli
