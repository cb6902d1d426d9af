// Reader of patch files (*.kqp). A patch file has no magic number, version or
// index: it is a fixed sequence of fields read strictly front to back from one
// stream, spread over a run of the wizard.
//
//   header        u8 title length (1..255), title, i32 directory count D
//   D entries     i32 id, i8 kind, i8 key length (1..127), key,
//                 i8 name length (0..127), name, i8 root (kind 2 only)
//   i32 record count F
//   F records     i32 directory id, i8 name length (1..127), name, i8 operation,
//                 i8 description length (0..127), description, u8 key byte,
//                 i32 payload length P, P payload bytes
//
// Integers are little-endian. Texts store their terminating zero and the
// length counts it; a text is used up to its first zero and never beyond its
// own bytes. Each payload byte is stored as (content - key byte) mod 256.
//
// Every step either reads all its fields or fails; a failure leaves the
// stream where it stopped and the caller closes it. Counts and lengths that
// the format gives no meaning (negative, or 128..255 in a signed length byte)
// are failures, so nothing a file declares is ever allocated or looped over
// beyond what the file really holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "c_file.h"

namespace kqp {

inline constexpr std::size_t kChunkSize = 8192;

enum Operation : int8_t { kReplace = 1, kAdd = 2, kRemove = 3 };
enum DirectoryKind : int8_t { kSearchKind = 1, kRegistryKind = 2 };

struct PatchHeader {
    std::string title;
    int32_t directoryCount = 0;
};

struct DirEntry {
    int32_t id = 0;
    int8_t kind = 0;
    std::string key;
    // Given, or derived from the key when the file stores none.
    std::string name;
    // Read only for the registry kind; 0 otherwise.
    int8_t root = 0;
};

struct FileRecord {
    int32_t directoryId = 0;
    std::string name;
    int8_t operation = 0;
    // Given, or built from the operation word and the name.
    std::string description;
    uint8_t keyByte = 0;
    int32_t payloadLength = 0;
};

// "Replacing", "Adding", or "Removing" for every other value.
const char* OperationWord(int8_t operation);
// The description shown for a record whose file stores none.
std::string DerivedDescription(int8_t operation, const std::string& name);
// The name of a directory entry whose file stores none: the key itself for
// the search kind, the key's file-name part for any other kind.
std::string DerivedEntryName(int8_t kind, const std::string& key);

// Adds the key byte to every byte, modulo 256.
void ApplyKeyByte(unsigned char* data, std::size_t count, uint8_t keyByte);

class PatchReader {
  public:
    enum class HeaderResult { kOk, kOpenFailed, kReadFailed };

    // Opens the file for reading (closing a stream still open) and reads the
    // title and the directory count.
    HeaderResult ReadHeader(const std::string& path, PatchHeader& header);
    bool ReadDirEntry(DirEntry& entry);
    bool ReadFileCount(int32_t& count);
    // Reads a record up to and including its payload length.
    bool ReadFileRecord(FileRecord& record);
    // Reads exactly count payload bytes (at most kChunkSize) into data and
    // applies the key byte; false when fewer arrive.
    bool ReadChunk(unsigned char* data, std::size_t count, uint8_t keyByte);

    bool IsOpen() const { return file_ != nullptr; }
    void Close() { file_.reset(); }

  private:
    bool ReadBytes(void* data, std::size_t count);
    bool ReadU8(uint8_t& value);
    bool ReadI8(int8_t& value);
    bool ReadI32(int32_t& value);
    // A text behind a signed length byte; minLength is 0 or 1.
    bool ReadSignedText(int minLength, std::string& text, int8_t& length);
    bool ReadTextBytes(std::size_t length, std::string& text);

    CFile file_;
};

}  // namespace kqp
