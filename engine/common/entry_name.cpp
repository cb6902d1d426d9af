#include "entry_name.h"

#include <cstring>

namespace lrx {
namespace {

// Neither may stand in a stored name, whichever system wrote it: archives
// travel between systems.
bool IsEitherSeparator(char c) {
    return c == '/' || c == '\\';
}

// What separates folders in a path on this system.
bool IsPathSeparator(char c) {
#ifdef _WIN32
    return IsEitherSeparator(c);
#else
    return c == '/';
#endif
}

char LowerAsciiChar(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

#ifdef _WIN32
bool IsDeviceName(const char* name) {
    // The part before the first dot decides: "con.rpl" is the console too.
    std::string stem(name, std::strcspn(name, "."));
    stem = LowerAscii(stem);
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (const char* device : {"con", "prn", "aux", "nul"}) {
        if (stem == device) return true;
    }
    if (stem.size() != 4 || (stem.compare(0, 3, "com") != 0 && stem.compare(0, 3, "lpt") != 0)) {
        return false;
    }
    // Superscript one, two and three of the ANSI code page name ports too.
    const auto digit = static_cast<unsigned char>(stem[3]);
    return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}
#endif

}  // namespace

SplitPath SplitFilePath(const std::string& path) {
    SplitPath parts;
    std::size_t start = 0;
#ifdef _WIN32
    if (path.size() >= 2 && path[1] == ':') {
        parts.drive = path.substr(0, 2);
        start = 2;
    }
#endif
    std::size_t fileStart = start;
    for (std::size_t i = start; i < path.size(); ++i) {
        if (IsPathSeparator(path[i])) fileStart = i + 1;
    }
    parts.directory = path.substr(start, fileStart - start);
    const std::string file = path.substr(fileStart);
    const std::size_t dot = file.rfind('.');
    if (dot == std::string::npos) {
        parts.name = file;
    } else {
        parts.name = file.substr(0, dot);
        parts.extension = file.substr(dot);
    }
    return parts;
}

std::string EntryNameOf(const std::string& replayPath) {
    const SplitPath parts = SplitFilePath(replayPath);
    return parts.name + (parts.extension.empty() ? std::string(".rpl") : parts.extension);
}

std::string ReplayFilePath(const std::string& replayPath) {
    return SplitFilePath(replayPath).extension.empty() ? replayPath + ".rpl" : replayPath;
}

std::string LowerAscii(std::string text) {
    for (char& c : text) c = LowerAsciiChar(c);
    return text;
}

bool SameEntryName(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        if (LowerAsciiChar(*a) != LowerAsciiChar(*b)) return false;
    }
    return *a == *b;
}

std::vector<bool> SupersededReplayPaths(const std::vector<std::string>& replayPaths) {
    std::vector<bool> superseded(replayPaths.size(), false);
    for (std::size_t i = 0; i < replayPaths.size(); ++i) {
        const std::string name = EntryNameOf(replayPaths[i]);
        for (std::size_t j = i + 1; j < replayPaths.size() && !superseded[i]; ++j) {
            superseded[i] = SameEntryName(name.c_str(), EntryNameOf(replayPaths[j]).c_str());
        }
    }
    return superseded;
}

bool IsSafeEntryName(const char* name) {
    const std::size_t length = std::strlen(name);
    if (length == 0 || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return false;
    for (const char* p = name; *p; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c < 0x20 || c == 0x7F || IsEitherSeparator(*p) || c == ':') return false;
    }
#ifdef _WIN32
    if (name[length - 1] == '.' || name[length - 1] == ' ') return false;
    if (IsDeviceName(name)) return false;
#endif
    return true;
}

}  // namespace lrx
