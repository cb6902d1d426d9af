// The version block of a module file (VERSIONINFO): its first translation,
// as one value with the language in the high half and the code page in the
// low half, names the string table "\StringFileInfo\%08lx\" whose values
// Value reads. Missing block, translation or value: no value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lrx::fw {

class TVersionInfo {
  public:
    explicit TVersionInfo(const std::string& moduleFile);

    std::optional<uint32_t> Translation() const;
    std::optional<std::string> Value(const char* name) const;

    // The running program's own file.
    static std::string ProgramFile();

  private:
    std::vector<unsigned char> block_;
};

}  // namespace lrx::fw
