// The patch applier's system services on Windows.
#pragma once

#ifdef _WIN32

#include "patch_platform.h"

namespace kqp {

class Win32PatchPlatform final : public PatchPlatform {
  public:
    std::optional<std::string> WindowsDirectory() override;
    std::optional<std::string> SystemDirectory() override;
    std::optional<std::string> RegistryDefaultValue(RegistryRoot root,
                                                    const std::string& subkey) override;
    CFile OpenForWriting(const std::string& path) override;
    bool RemoveFile(const std::string& path) override;
};

}  // namespace kqp

#endif
