#include "path_rules.h"

#include <array>
#include <cctype>

namespace kqp {
namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

std::size_t DriveLength(std::string_view path) {
    const bool drive =
        path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
    return drive ? 2 : 0;
}

// Where the last component starts, after the drive and the last separator.
std::size_t LastComponentStart(std::string_view path) {
    std::size_t start = DriveLength(path);
    for (std::size_t i = start; i < path.size(); ++i) {
        if (IsSeparator(path[i])) start = i + 1;
    }
    return start;
}

bool IsDeviceName(std::string_view component) {
    // The device is reached whatever extension or trailing spaces follow.
    std::string_view base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    std::string upper;
    for (char c : base) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static constexpr std::array<std::string_view, 4> kPlain = {"CON", "PRN", "AUX", "NUL"};
    for (std::string_view device : kPlain) {
        if (upper == device) return true;
    }
    if (upper.size() != 4 || (!upper.starts_with("COM") && !upper.starts_with("LPT"))) {
        return false;
    }
    // Superscript one, two and three of the ANSI code page name ports too.
    const auto digit = static_cast<unsigned char>(upper[3]);
    return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

bool IsSafeComponent(std::string_view component) {
    // Windows drops trailing dots and spaces, so "..", ". ." and "" all end
    // up naming the folder itself or its parent.
    std::string_view kept = component;
    while (!kept.empty() && (kept.back() == '.' || kept.back() == ' ')) kept.remove_suffix(1);
    if (kept.empty()) return false;
    for (char c : component) {
        if (static_cast<unsigned char>(c) < 32) return false;
    }
    return !IsDeviceName(component);
}

}  // namespace

std::string FileNamePart(std::string_view path) {
    return std::string(path.substr(LastComponentStart(path)));
}

std::string DirectoryPart(std::string_view path) {
    return std::string(path.substr(0, LastComponentStart(path)));
}

bool IsSafeRecordName(std::string_view name) {
    if (name.empty() || IsSeparator(name.front())) return false;
    if (name.find(':') != std::string_view::npos) return false;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || IsSeparator(name[i])) {
            if (!IsSafeComponent(name.substr(start, i - start))) return false;
            start = i + 1;
        }
    }
    return true;
}

std::optional<std::string> TargetPath(std::string_view directory, std::string_view name) {
    if (!directory.empty() && directory.back() == '\\') directory.remove_suffix(1);
    std::string path;
    path.reserve(directory.size() + 1 + name.size());
    path.append(directory).append(1, '\\').append(name);
    if (path.size() + 1 > kTargetPathBufferSize) return std::nullopt;
    return path;
}

}  // namespace kqp
