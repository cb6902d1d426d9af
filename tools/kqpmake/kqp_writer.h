// Writes patch files (*.kqp) field by field, little-endian, texts with their
// terminating zero counted in their length byte. PatchContent describes a whole
// well-formed patch; KqpWriter writes single fields, so tests can also build
// files that break the rules on purpose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kqpmake {

using Bytes = std::vector<unsigned char>;

class KqpWriter {
  public:
    void U8(uint8_t value) { bytes_.push_back(value); }
    void I8(int8_t value) { U8(static_cast<uint8_t>(value)); }
    void I32(int32_t value);
    void Raw(const void* data, std::size_t count);
    void Raw(const Bytes& data) { Raw(data.data(), data.size()); }
    // The length byte (text size + 1) and the text with its zero; the caller
    // keeps the length within the field's range.
    void Text(std::string_view text);
    // The payload as stored: each byte minus the key byte, modulo 256.
    void Payload(const Bytes& content, uint8_t keyByte);

    const Bytes& bytes() const { return bytes_; }

  private:
    Bytes bytes_;
};

struct DirectoryItem {
    int32_t id = 0;
    int8_t kind = 2;
    std::string key;
    std::optional<std::string> name;  // none: the reader derives it
    int8_t root = 0;                  // written for kind 2 only
};

struct FileItem {
    int32_t directoryId = 0;
    std::string name;
    int8_t operation = 1;
    std::optional<std::string> description;  // none: the reader builds it
    uint8_t keyByte = 0;
    Bytes payload;
};

struct PatchContent {
    std::string title;
    std::vector<DirectoryItem> directories;
    std::vector<FileItem> files;
};

// Longest texts a field holds, not counting the zero.
inline constexpr std::size_t kMaxTitleLength = 254;
inline constexpr std::size_t kMaxTextLength = 126;

// The patch file's bytes; false with a message when a text is too long or
// a payload too large for its field.
bool BuildPatch(const PatchContent& content, Bytes& bytes, std::string& error);

}  // namespace kqpmake
