// Helpers for the patch program's tests: a private registry key below
// HKEY_CURRENT_USER that names the product's folder, and a product folder
// with files to patch.
#pragma once

#include <string>

#include "test_support.h"

namespace kqp::test {

// HKCU\Software\KqpPatchAppTest-<process>-<n>, removed with its values when
// the object goes.
class ScopedRegistryKey {
  public:
    ScopedRegistryKey();
    ~ScopedRegistryKey();
    ScopedRegistryKey(const ScopedRegistryKey&) = delete;
    ScopedRegistryKey& operator=(const ScopedRegistryKey&) = delete;

    // Sets the unnamed value of the subkey and returns the subkey's path
    // below HKEY_CURRENT_USER.
    std::string SetDefault(const std::string& subkey, const std::string& value) const;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

inline constexpr int8_t kCurrentUserRoot = 1;
inline constexpr int32_t kGameDirectoryId = 7;

// A product folder "game" in a scratch folder, found through a registry
// value that names its program file; its old files are A.TXT,
// DATA\MAP.DAT and C.OLD.
struct GameFolder {
    GameFolder();

    std::string File(const std::string& name) const { return scratch / ("game\\" + name); }
    // A patch with the game's directory entry and the given records.
    kqpmake::PatchContent Patch(const std::string& title,
                                std::vector<kqpmake::FileItem> files) const;
    // Replaces A.TXT and DATA\MAP.DAT, adds B.DAT (20000 bytes, key 77) and
    // removes C.OLD.
    kqpmake::PatchContent FullPatch(const std::string& title) const;
    // Checks that FullPatch was applied, byte for byte.
    void ExpectFullPatchApplied() const;
    std::string WritePatch(const std::string& name, const Bytes& bytes) const;

    ScratchDir scratch;
    ScopedRegistryKey registry;
    std::string key;
};

}  // namespace kqp::test
