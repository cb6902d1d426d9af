// Steps shared by add, delete and extract.
#pragma once

#include <cstdint>
#include <string>

#include "file_stream.h"
#include "lrxpack.h"

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

// Owns a directory list for the length of one operation.
struct OwnedListing {
    TFileInfoList* head = nullptr;
    OwnedListing() = default;
    OwnedListing(const OwnedListing&) = delete;
    OwnedListing& operator=(const OwnedListing&) = delete;
    ~OwnedListing() { AGGa(&head); }
};

}  // namespace lrx
