// The directories a patch writes into, each known by an identifier. Entries
// are only appended; a lookup returns the last entry with the identifier, so
// a later entry hides an earlier one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kqp {

inline constexpr int32_t kWindowsDirectoryId = -1;
inline constexpr int32_t kSystemDirectoryId = -2;

struct TPath {
    std::string Path;
    int32_t Id = 0;
};

class DirectoryTable {
  public:
    void Append(TPath entry) { entries_.push_back(std::move(entry)); }
    // The last entry with the identifier, or null.
    const TPath* Find(int32_t id) const;

    std::size_t size() const { return entries_.size(); }
    const TPath& operator[](std::size_t i) const { return entries_[i]; }

  private:
    std::vector<TPath> entries_;
};

}  // namespace kqp
