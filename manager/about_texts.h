// The About box's texts from the program's version block. TLRXWinAboutDlg's
// setup reads the translation value and the four strings (through the
// framework's version reader, looking the table up with StringTableKey and
// SameTableKey), passes them with control 22001's template text, and sets
// each control whose text is present in the result; the others keep theirs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lrx::mgr {

// "\VarFileInfo\Translation" holds the language and then the code page as
// 16-bit values; the table key takes them as one 32-bit value with the
// language in the high half.
constexpr uint32_t TranslationValue(uint16_t language, uint16_t codePage) {
    return (static_cast<uint32_t>(language) << 16) | codePage;
}
// "%08lx" (lower case), "040904e4" for U.S. English, Latin-1.
std::string StringTableKey(uint32_t translation);
// "\StringFileInfo\%08lx\%s".
std::string StringValuePath(uint32_t translation, std::string_view name);
// Table keys are hexadecimal and compared without regard to case: the block
// says "040904E4" where the key is formed as "040904e4".
bool SameTableKey(std::string_view left, std::string_view right);

struct VersionStrings {
    std::optional<std::string> productName;
    std::optional<std::string> productVersion;
    std::optional<std::string> legalCopyright;
    std::optional<std::string> specialBuild;
};

struct AboutTexts {
    std::optional<std::string> versionLine;   // control 22001
    std::optional<std::string> copyright;     // 22002
    std::optional<std::string> specialBuild;  // 22003
};

// The version line "%s %s %s" (product name, the template text of 22001 cut
// to 127 characters, product version) only when both values are found.
AboutTexts MakeAboutTexts(const VersionStrings& strings, std::string_view versionTemplate);

}  // namespace lrx::mgr
