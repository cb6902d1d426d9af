#include "about_texts.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace lrx::mgr {
namespace {

// Control 22001's text is read into a buffer of 128 characters.
constexpr std::size_t kTemplateLength = 127;

}  // namespace

std::string StringTableKey(uint32_t translation) {
    char key[16];
    std::snprintf(key, sizeof key, "%08lx", static_cast<unsigned long>(translation));
    return key;
}

std::string StringValuePath(uint32_t translation, std::string_view name) {
    return "\\StringFileInfo\\" + StringTableKey(translation) + "\\" + std::string(name);
}

bool SameTableKey(std::string_view left, std::string_view right) {
    return std::equal(left.begin(), left.end(), right.begin(), right.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

AboutTexts MakeAboutTexts(const VersionStrings& strings, std::string_view versionTemplate) {
    AboutTexts texts;
    if (strings.productName && strings.productVersion) {
        texts.versionLine = *strings.productName + " " +
                            std::string(versionTemplate.substr(0, kTemplateLength)) + " " +
                            *strings.productVersion;
    }
    texts.copyright = strings.legalCopyright;
    texts.specialBuild = strings.specialBuild;
    return texts;
}

}  // namespace lrx::mgr
