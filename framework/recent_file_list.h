// The recent-file list as a plain object: the most recent path first, at most
// `capacity` paths, no two equal ignoring case; and the texts its menu shows.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lrx::fw {

class RecentFileList {
  public:
    explicit RecentFileList(std::size_t capacity) : capacity_(capacity) {}

    // Puts `path` first; an equal path (ignoring case) moves up instead of
    // appearing twice, and the oldest path drops off a full list.
    void Add(std::string_view path);
    // Replaces the list with paths in most-recent-first order, as stored.
    void Assign(const std::vector<std::string>& paths);
    const std::vector<std::string>& Paths() const { return paths_; }
    std::size_t Capacity() const { return capacity_; }

  private:
    std::size_t capacity_;
    std::vector<std::string> paths_;
};

bool SamePathIgnoringCase(std::string_view a, std::string_view b);

// Cuts a long path in its middle: the root, "...", and as many trailing
// components as fit in `maxChars` ("C:\...\Season\race.lrx").
std::string ShortenPathMiddle(std::string_view path, std::size_t maxChars);

// "&1 C:\...\race.lrx": an accelerator digit for the first nine items, the
// path shortened, and every '&' of the path doubled so that it shows as is.
std::string RecentFileMenuText(std::size_t index, std::string_view path,
                               std::size_t maxPathChars = 48);

}  // namespace lrx::fw
