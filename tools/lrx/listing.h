// An archive's entries as lrx shows them: ordered like the archive manager's
// columns, printed as a table or as JSON.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "command_line.h"
#include "lrxpack_api.h"

namespace lrx::cli {

struct Entry {
    std::string name;
    int32_t rawSize = 0;
    int32_t packedSize = 0;
    uint16_t year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

std::vector<Entry> EntriesOf(const lrx_entry* entries, std::size_t count);

// Names and sizes ascend and dates run newest first; reverse turns each key
// around. Equal keys keep the archive's order, as the manager's list does.
void SortEntries(std::vector<Entry>& entries, SortKey key, bool reverse);

// Percentage saved, truncated toward zero; 0 for an empty replay. Empty for
// sizes no sound record holds (a negative size, or packed data more than
// twice the replay): a damaged record shows no ratio rather than "11300%".
std::optional<int> RatioPercent(int64_t rawSize, int64_t packedSize);
std::string DateText(const Entry& entry);  // "YYYY-MM-DD HH:MM"

std::string FormatTable(const std::vector<Entry>& entries);
std::string FormatJson(const std::vector<Entry>& entries);

}  // namespace lrx::cli
