#include "listing.h"

#include <algorithm>
#include <cstdio>

#include "entry_name.h"
#include "name_text.h"

namespace lrx::cli {
namespace {

int CompareNames(const Entry& a, const Entry& b) {
    return LowerAscii(a.name).compare(LowerAscii(b.name));
}

int64_t Moment(const Entry& e) {
    return ((((int64_t{e.year} * 13 + e.month) * 32 + e.day) * 24 + e.hour) * 60) + e.minute;
}

std::string RatioText(std::optional<int> ratio) {
    return ratio ? std::to_string(*ratio) + "%" : "-";
}

}  // namespace

std::vector<Entry> EntriesOf(const lrx_entry* entries, std::size_t count) {
    std::vector<Entry> shown;
    for (std::size_t i = 0; i < count; ++i) {
        const lrx_entry& e = entries[i];
        shown.push_back(
            {e.name, e.raw_size, e.packed_size, e.year, e.month, e.day, e.hour, e.minute});
    }
    return shown;
}

void SortEntries(std::vector<Entry>& entries, SortKey key, bool reverse) {
    switch (key) {
        case SortKey::Name:
            // Reversed names still keep equal names in archive order.
            std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
                const int c = CompareNames(a, b);
                return reverse ? c > 0 : c < 0;
            });
            return;
        case SortKey::Raw:
        case SortKey::Packed: {
            const bool raw = key == SortKey::Raw;
            std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
                return raw ? a.rawSize < b.rawSize : a.packedSize < b.packedSize;
            });
            break;
        }
        case SortKey::Date:
            std::stable_sort(entries.begin(), entries.end(),
                             [](const Entry& a, const Entry& b) { return Moment(a) > Moment(b); });
            break;
    }
    if (reverse) std::reverse(entries.begin(), entries.end());
}

std::optional<int> RatioPercent(int64_t rawSize, int64_t packedSize) {
    if (rawSize < 0 || packedSize < 0) return std::nullopt;
    if (rawSize == 0) return 0;
    if (packedSize > 2 * rawSize) return std::nullopt;
    // Whole numbers, truncated toward zero: in floating point 4 of 5 bytes
    // gave 19%, and the 32-bit build's x87 arithmetic differed again.
    return static_cast<int>((rawSize - packedSize) * 100 / rawSize);
}

std::string DateText(const Entry& e) {
    char text[40];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u", e.year, e.month, e.day, e.hour,
                  e.minute);
    return text;
}

std::string FormatTable(const std::vector<Entry>& entries) {
    std::string out;
    char line[160];
    std::snprintf(line, sizeof line, "%-13s %12s %12s %6s  %s\n", "Name", "Raw Size", "Packed Size",
                  "Ratio", "Date");
    out += line;
    int64_t raw = 0, packed = 0;
    for (const Entry& e : entries) {
        std::snprintf(line, sizeof line, " %12ld %12ld %6s  %s\n", static_cast<long>(e.rawSize),
                      static_cast<long>(e.packedSize),
                      RatioText(RatioPercent(e.rawSize, e.packedSize)).c_str(),
                      DateText(e).c_str());
        out += PadToColumns(PrintableName(e.name), 13) + line;
        raw += e.rawSize;
        packed += e.packedSize;
    }
    std::snprintf(line, sizeof line, "%-13s %12lld %12lld %6s  %zu %s\n", "Total",
                  static_cast<long long>(raw), static_cast<long long>(packed),
                  RatioText(RatioPercent(raw, packed)).c_str(), entries.size(),
                  entries.size() == 1 ? "entry" : "entries");
    out += line;
    return out;
}

std::string FormatJson(const std::vector<Entry>& entries) {
    std::string out = "[";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        const std::optional<int> ratio = RatioPercent(e.rawSize, e.packedSize);
        char numbers[200];
        std::snprintf(numbers, sizeof numbers,
                      ", \"rawSize\": %ld, \"packedSize\": %ld, \"ratio\": %s, \"date\": "
                      "\"%04u-%02u-%02uT%02u:%02u\"}",
                      static_cast<long>(e.rawSize), static_cast<long>(e.packedSize),
                      ratio ? std::to_string(*ratio).c_str() : "null", e.year, e.month, e.day,
                      e.hour, e.minute);
        out += i == 0 ? "\n  " : ",\n  ";
        out += "{\"name\": " + JsonName(e.name) + numbers;
    }
    out += entries.empty() ? "]\n" : "\n]\n";
    return out;
}

}  // namespace lrx::cli
