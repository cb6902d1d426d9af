#include "kqp_writer.h"

#include <limits>

namespace kqpmake {
namespace {

bool CheckText(std::string_view what, std::string_view text, std::size_t maxLength,
               std::string& error) {
    if (text.size() <= maxLength) return true;
    error = std::string(what) + " is longer than " + std::to_string(maxLength) + " bytes";
    return false;
}

}  // namespace

void KqpWriter::I32(int32_t value) {
    const auto raw = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) U8(static_cast<uint8_t>(raw >> shift));
}

void KqpWriter::Raw(const void* data, std::size_t count) {
    const auto* p = static_cast<const unsigned char*>(data);
    bytes_.insert(bytes_.end(), p, p + count);
}

void KqpWriter::Text(std::string_view text) {
    U8(static_cast<uint8_t>(text.size() + 1));
    Raw(text.data(), text.size());
    U8(0);
}

void KqpWriter::Payload(const Bytes& content, uint8_t keyByte) {
    for (unsigned char byte : content) U8(static_cast<uint8_t>(byte - keyByte));
}

bool BuildPatch(const PatchContent& content, Bytes& bytes, std::string& error) {
    KqpWriter out;
    if (!CheckText("the title", content.title, kMaxTitleLength, error)) return false;
    out.Text(content.title);
    out.I32(static_cast<int32_t>(content.directories.size()));
    for (const DirectoryItem& dir : content.directories) {
        const std::string what = "directory " + std::to_string(dir.id);
        if (!CheckText(what + " key", dir.key, kMaxTextLength, error)) return false;
        out.I32(dir.id);
        out.I8(dir.kind);
        out.Text(dir.key);
        if (dir.name) {
            if (!CheckText(what + " name", *dir.name, kMaxTextLength, error)) return false;
            out.Text(*dir.name);
        } else {
            out.U8(0);
        }
        if (dir.kind == 2) out.I8(dir.root);
    }
    out.I32(static_cast<int32_t>(content.files.size()));
    for (const FileItem& file : content.files) {
        const std::string what = "file " + file.name;
        if (!CheckText("a file name", file.name, kMaxTextLength, error)) return false;
        if (file.payload.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
            error = what + ": the payload is larger than 2 GB";
            return false;
        }
        out.I32(file.directoryId);
        out.Text(file.name);
        out.I8(file.operation);
        if (file.description) {
            if (!CheckText(what + " description", *file.description, kMaxTextLength, error)) {
                return false;
            }
            out.Text(*file.description);
        } else {
            out.U8(0);
        }
        out.U8(file.keyByte);
        out.I32(static_cast<int32_t>(file.payload.size()));
        out.Payload(file.payload, file.keyByte);
    }
    bytes = out.bytes();
    return true;
}

}  // namespace kqpmake
