#include "recent_file_list.h"

#include <algorithm>

namespace lrx::fw {
namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

}  // namespace

bool SamePathIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

void RecentFileList::Add(std::string_view path) {
    if (path.empty() || capacity_ == 0) return;
    std::erase_if(paths_, [&](const std::string& p) { return SamePathIgnoringCase(p, path); });
    paths_.insert(paths_.begin(), std::string(path));
    if (paths_.size() > capacity_) paths_.resize(capacity_);
}

void RecentFileList::Assign(const std::vector<std::string>& paths) {
    paths_.clear();
    for (const std::string& path : paths) {
        if (paths_.size() == capacity_) break;
        if (path.empty()) continue;
        const bool seen = std::any_of(paths_.begin(), paths_.end(), [&](const std::string& p) {
            return SamePathIgnoringCase(p, path);
        });
        if (!seen) paths_.push_back(path);
    }
}

std::string ShortenPathMiddle(std::string_view path, std::size_t maxChars) {
    if (path.size() <= maxChars) return std::string(path);
    constexpr std::string_view kEllipsis = "...";
    if (maxChars <= kEllipsis.size()) return std::string(path.substr(path.size() - maxChars));
    // The root: up to and including the first separator ("C:\", "\").
    std::size_t headLength = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsSeparator(path[i])) {
            headLength = i + 1;
            break;
        }
    }
    std::string_view head = path.substr(0, headLength);
    if (head.size() + kEllipsis.size() + 1 >= maxChars) head = {};
    // The longest tail of whole components that still fits.
    const std::size_t room = maxChars - head.size() - kEllipsis.size();
    std::size_t tailStart = path.size();
    for (std::size_t i = path.size(); i-- > headLength;) {
        if (IsSeparator(path[i])) {
            if (path.size() - i > room) break;
            tailStart = i;
        }
    }
    std::string shortened;
    if (tailStart < path.size()) {
        shortened.append(head).append(kEllipsis).append(path.substr(tailStart));
    } else {
        // Not even the file name fits: keep its end.
        shortened.append(kEllipsis).append(path.substr(path.size() - room - head.size()));
    }
    return shortened;
}

std::string RecentFileMenuText(std::size_t index, std::string_view path, std::size_t maxPathChars) {
    std::string text;
    if (index < 9) text.push_back('&');
    text.append(std::to_string(index + 1)).push_back(' ');
    for (char c : ShortenPathMiddle(path, maxPathChars)) {
        if (c == '&') text += '&';
        text += c;
    }
    return text;
}

}  // namespace lrx::fw
