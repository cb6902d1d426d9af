// What the patch applier asks of the system: the Windows and System
// directories, registry values, and writing and deleting target files. The
// Windows program passes Win32PatchPlatform; tests pass a fake that maps the
// patch's Windows paths onto a scratch folder.
#pragma once

#include <optional>
#include <string>

#include "c_file.h"
#include "registry_value.h"

namespace kqp {

class PatchPlatform {
  public:
    virtual ~PatchPlatform() = default;

    // As the system gives them (no trailing backslash except at a root);
    // none when the query fails or the text does not fit 260 characters.
    virtual std::optional<std::string> WindowsDirectory() = 0;
    virtual std::optional<std::string> SystemDirectory() = 0;
    // The unnamed value of root\subkey as a text (see RegistryValueText).
    // Opens the key for reading only and never creates it; none when the key
    // or its value is missing or the value does not fit the buffer.
    virtual std::optional<std::string> RegistryDefaultValue(RegistryRoot root,
                                                            const std::string& subkey) = 0;
    // Creates or truncates the file for untranslated writing ("wb"); creates
    // no folders. Empty when it cannot be opened.
    virtual CFile OpenForWriting(const std::string& path) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;
};

}  // namespace kqp
