// Steps shared by add, delete and extract.
#pragma once

#include <cstdint>
#include <string>

#include "codec_context.h"
#include "file_stream.h"
#include "lrxpack.h"
#include "mailbox.h"

namespace lrx {

inline constexpr std::size_t kArchiveBufferSize = 32000;
inline constexpr std::size_t kReplayBufferSize = 2000;

// Reads the version word of an archive: 0, 16 not ours, 14 short or when the
// archive exists but cannot be read, missingCode when there is nothing there.
int CheckArchiveVersion(const char* archive, int missingCode);

// Opens the new archive's temporary file and writes the 12-byte header.
bool StartArchive(FileStream& output, const std::string& tempPath);

// Copies length bytes from position of source to the end of destination.
bool CopyEntry(FileStream& source, FileStream& destination, int64_t start, int64_t length);

// Encodes one replay onto the end of output under entryName, then its record
// stamped with the time in stamp. 0 or the engine's code.
int EncodeReplayEntry(FileStream& output, const std::string& replayPath,
                      const std::string& entryName, const TFileInfo& stamp,
                      codec::CodecContext& ctx, const Mailbox& window);

// The time of day now, as an entry's record holds it.
TFileInfo StampedNow();

// Owns a directory list for the length of one operation.
struct OwnedListing {
    TFileInfoList* head = nullptr;
    OwnedListing() = default;
    OwnedListing(const OwnedListing&) = delete;
    OwnedListing& operator=(const OwnedListing&) = delete;
    ~OwnedListing() { AGGa(&head); }
};

}  // namespace lrx
