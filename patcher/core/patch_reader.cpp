#include "patch_reader.h"

#include <cstring>

#include "path_rules.h"

namespace kqp {

const char* OperationWord(int8_t operation) {
    switch (operation) {
        case kReplace:
            return "Replacing";
        case kAdd:
            return "Adding";
        default:
            return "Removing";
    }
}

std::string DerivedDescription(int8_t operation, const std::string& name) {
    return std::string(OperationWord(operation)) + "\n" + name;
}

std::string DerivedEntryName(int8_t kind, const std::string& key) {
    return kind == kSearchKind ? key : FileNamePart(key);
}

void ApplyKeyByte(unsigned char* data, std::size_t count, uint8_t keyByte) {
    if (keyByte == 0) return;
    for (std::size_t i = 0; i < count; ++i) data[i] = static_cast<unsigned char>(data[i] + keyByte);
}

PatchReader::HeaderResult PatchReader::ReadHeader(const std::string& path, PatchHeader& header) {
    file_ = OpenCFile(path.c_str(), "rb");
    if (!file_) return HeaderResult::kOpenFailed;
    uint8_t titleLength = 0;
    if (!ReadU8(titleLength) || titleLength == 0) return HeaderResult::kReadFailed;
    if (!ReadTextBytes(titleLength, header.title)) return HeaderResult::kReadFailed;
    if (!ReadI32(header.directoryCount) || header.directoryCount < 0) {
        return HeaderResult::kReadFailed;
    }
    return HeaderResult::kOk;
}

bool PatchReader::ReadDirEntry(DirEntry& entry) {
    entry = DirEntry{};
    if (!ReadI32(entry.id) || !ReadI8(entry.kind)) return false;
    int8_t keyLength = 0;
    int8_t nameLength = 0;
    if (!ReadSignedText(1, entry.key, keyLength) || !ReadSignedText(0, entry.name, nameLength)) {
        return false;
    }
    // The length byte, not the text, says whether a name is stored.
    if (nameLength == 0) entry.name = DerivedEntryName(entry.kind, entry.key);
    if (entry.kind == kRegistryKind && !ReadI8(entry.root)) return false;
    return true;
}

bool PatchReader::ReadFileCount(int32_t& count) {
    return ReadI32(count) && count >= 0;
}

bool PatchReader::ReadFileRecord(FileRecord& record) {
    record = FileRecord{};
    int8_t nameLength = 0;
    int8_t descriptionLength = 0;
    if (!ReadI32(record.directoryId) || !ReadSignedText(1, record.name, nameLength)) return false;
    if (!ReadI8(record.operation) || !ReadSignedText(0, record.description, descriptionLength)) {
        return false;
    }
    if (descriptionLength == 0)
        record.description = DerivedDescription(record.operation, record.name);
    if (!ReadU8(record.keyByte)) return false;
    return ReadI32(record.payloadLength) && record.payloadLength >= 0;
}

bool PatchReader::ReadChunk(unsigned char* data, std::size_t count, uint8_t keyByte) {
    if (count > kChunkSize || !ReadBytes(data, count)) return false;
    ApplyKeyByte(data, count, keyByte);
    return true;
}

bool PatchReader::ReadBytes(void* data, std::size_t count) {
    if (!file_) return false;
    return std::fread(data, 1, count, file_.get()) == count;
}

bool PatchReader::ReadU8(uint8_t& value) {
    return ReadBytes(&value, 1);
}

bool PatchReader::ReadI8(int8_t& value) {
    uint8_t byte = 0;
    if (!ReadU8(byte)) return false;
    value = static_cast<int8_t>(byte);
    return true;
}

bool PatchReader::ReadI32(int32_t& value) {
    unsigned char bytes[4];
    if (!ReadBytes(bytes, sizeof bytes)) return false;
    const uint32_t raw = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                         static_cast<uint32_t>(bytes[2]) << 16 |
                         static_cast<uint32_t>(bytes[3]) << 24;
    value = static_cast<int32_t>(raw);
    return true;
}

bool PatchReader::ReadSignedText(int minLength, std::string& text, int8_t& length) {
    if (!ReadI8(length) || length < minLength) return false;
    return ReadTextBytes(static_cast<std::size_t>(length), text);
}

bool PatchReader::ReadTextBytes(std::size_t length, std::string& text) {
    char bytes[255];
    if (length > sizeof bytes || !ReadBytes(bytes, length)) return false;
    // Up to the first zero, and never past the field when it holds none.
    const void* zero = std::memchr(bytes, 0, length);
    text.assign(bytes, zero ? static_cast<const char*>(zero) - bytes : length);
    return true;
}

}  // namespace kqp
