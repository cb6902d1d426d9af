#include "win32_patch_platform.h"

#ifdef _WIN32

#include <windows.h>

namespace kqp {
namespace {

constexpr UINT kDirectoryBufferSize = 260;

HKEY RootKey(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::kClassesRoot:
            return HKEY_CLASSES_ROOT;
        case RegistryRoot::kCurrentUser:
            return HKEY_CURRENT_USER;
        case RegistryRoot::kLocalMachine:
            return HKEY_LOCAL_MACHINE;
        case RegistryRoot::kUsers:
            return HKEY_USERS;
        case RegistryRoot::kCurrentConfig:
            return HKEY_CURRENT_CONFIG;
        case RegistryRoot::kDynData:
            return HKEY_DYN_DATA;
        case RegistryRoot::kPerformanceData:
            break;
    }
    return HKEY_PERFORMANCE_DATA;
}

// The query returns the length without the zero when the text fits, the size
// it needs when it does not, and 0 on failure.
std::optional<std::string> DirectoryText(UINT (*query)(LPSTR, UINT)) {
    char buffer[kDirectoryBufferSize];
    const UINT length = query(buffer, kDirectoryBufferSize);
    if (length == 0 || length >= kDirectoryBufferSize) return std::nullopt;
    return std::string(buffer, length);
}

UINT WindowsDirectoryQuery(LPSTR buffer, UINT size) {
    return GetWindowsDirectoryA(buffer, size);
}
UINT SystemDirectoryQuery(LPSTR buffer, UINT size) {
    return GetSystemDirectoryA(buffer, size);
}

struct KeyCloser {
    HKEY key;
    ~KeyCloser() { RegCloseKey(key); }
};

}  // namespace

std::optional<std::string> Win32PatchPlatform::WindowsDirectory() {
    return DirectoryText(WindowsDirectoryQuery);
}

std::optional<std::string> Win32PatchPlatform::SystemDirectory() {
    return DirectoryText(SystemDirectoryQuery);
}

std::optional<std::string> Win32PatchPlatform::RegistryDefaultValue(RegistryRoot root,
                                                                    const std::string& subkey) {
    // Reading one value needs query rights only; asking for more fails for an
    // ordinary user below HKEY_LOCAL_MACHINE.
    HKEY key = nullptr;
    if (RegOpenKeyExA(RootKey(root), subkey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    KeyCloser closer{key};
    unsigned char buffer[kRegistryValueBufferSize];
    DWORD size = sizeof buffer;
    if (RegQueryValueExA(key, nullptr, nullptr, nullptr, buffer, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return RegistryValueText(buffer, sizeof buffer, size);
}

CFile Win32PatchPlatform::OpenForWriting(const std::string& path) {
    return OpenCFile(path.c_str(), "wb");
}

bool Win32PatchPlatform::RemoveFile(const std::string& path) {
    return DeleteFileA(path.c_str()) != 0;
}

}  // namespace kqp

#endif
