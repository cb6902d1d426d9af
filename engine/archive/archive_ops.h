// Steps shared by add, delete and extract.
#pragma once

#include <cstdint>
#include <string>

#include "codec_context.h"
#include "failure.h"
#include "file_stream.h"
#include "lrxpack.h"
#include "progress_sink.h"

namespace lrx {

inline constexpr std::size_t kArchiveBufferSize = 32000;
inline constexpr std::size_t kReplayBufferSize = 2000;

// Owns a directory list for the length of one operation.
struct OwnedListing {
    TFileInfoList* head = nullptr;
    OwnedListing() = default;
    OwnedListing(const OwnedListing&) = delete;
    OwnedListing& operator=(const OwnedListing&) = delete;
    ~OwnedListing() { AGGa(&head); }
};

// Reads the version word of an archive: 0, 16 not ours, 14 short or when the
// archive exists but cannot be read, missingCode when there is nothing there.
// A failure is recorded about the archive: the open's errno, what is there
// when it is no file, the version found.
int CheckArchiveVersion(const std::string& archive, int missingCode, Failure& failure);
int CheckArchiveVersion(const char* archive, int missingCode);

// Whether add or delete may put a new archive in this existing one's place:
// 0, or 18 when it is read-only or has other names (hard links) that a
// rename would leave on the old file (recorded as LRX_PATH_LINKED).
int CheckReplaceable(const std::string& archive, Failure& failure);

// Lists an archive as the exported list does, recording a failure about it.
int ListArchive(const std::string& archive, OwnedListing& listing, Failure& failure);

// Where the listed entries begin: the first one's offset, or the archive's
// length when there is none. An archive this engine writes has its entries
// from the end of the header (12) to its end.
int64_t EntriesStart(const TFileInfoList* head, int64_t archiveLength);

// Lists an archive that add or delete will rewrite: 0; 14 when it cannot be
// listed; 15 when its entries do not cover it from the header to its end (a
// damaged data start, a cut file), since the rewrite would drop the bytes no
// entry holds.
int ListForRewrite(const std::string& archive, OwnedListing& listing, Failure& failure);

// Opens the new archive's temporary file and writes the 12-byte header.
bool StartArchive(FileStream& output, const std::string& tempPath);

// Copies length bytes from position of source to the end of destination.
bool CopyEntry(FileStream& source, FileStream& destination, int64_t start, int64_t length);

// Encodes one replay onto the end of output under entryName, then its record
// stamped with the time in stamp. 0 or the engine's code, recorded in
// failure: about the replay, or with no path for a failed write into output.
int EncodeReplayEntry(FileStream& output, const std::string& replayPath,
                      const std::string& entryName, const TFileInfo& stamp,
                      codec::CodecContext& ctx, ProgressSink& progress, Failure& failure);

// The local time of day at a moment (seconds since 1970, UTC; past 2038 too),
// and now, as an entry's record holds it.
TFileInfo StampedAt(int64_t secondsSinceEpoch);
TFileInfo StampedNow();

}  // namespace lrx
