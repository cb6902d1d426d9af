#include "version_info.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace lrx::fw {

TVersionInfo::TVersionInfo(const std::string& moduleFile) {
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(moduleFile.c_str(), &handle);
    if (size == 0) return;
    block_.resize(size);
    if (!::GetFileVersionInfoA(moduleFile.c_str(), 0, size, block_.data())) block_.clear();
}

std::optional<uint32_t> TVersionInfo::Translation() const {
    if (block_.empty()) return std::nullopt;
    void* value = nullptr;
    UINT length = 0;
    auto* block = const_cast<unsigned char*>(block_.data());
    if (!::VerQueryValueA(block, "\\VarFileInfo\\Translation", &value, &length) || length < 4) {
        return std::nullopt;
    }
    // Stored as two 16-bit words: language, then code page.
    const auto* words = static_cast<const unsigned char*>(value);
    const uint32_t language = words[0] | words[1] << 8;
    const uint32_t codePage = words[2] | words[3] << 8;
    return language << 16 | codePage;
}

std::optional<std::string> TVersionInfo::Value(const char* name) const {
    const auto translation = Translation();
    if (!translation || !name) return std::nullopt;
    char path[128];
    std::snprintf(path, sizeof path, "\\StringFileInfo\\%08lx\\%s",
                  static_cast<unsigned long>(*translation), name);
    void* value = nullptr;
    UINT length = 0;
    auto* block = const_cast<unsigned char*>(block_.data());
    if (!::VerQueryValueA(block, path, &value, &length) || !value) return std::nullopt;
    const char* text = static_cast<const char*>(value);
    return std::string(text, strnlen(text, length));
}

std::string TVersionInfo::ProgramFile() {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, length < sizeof path ? length : 0);
}

}  // namespace lrx::fw
