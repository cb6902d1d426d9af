#include "locale_services.h"

#include <cstdio>

namespace lrx::mgr {
namespace {

unsigned char Fold(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool DayExists(const EntryMoment& m) {
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m.year >= 1601 && m.month >= 1 && m.month <= 12 && m.day >= 1 &&
           m.day <= kDays[m.month - 1];
}

}  // namespace

int PortableLocale::CompareNames(const char* left, const char* right) const {
    const auto* l = reinterpret_cast<const unsigned char*>(left);
    const auto* r = reinterpret_cast<const unsigned char*>(right);
    for (;; ++l, ++r) {
        const int difference = Fold(*l) - Fold(*r);
        if (difference != 0 || *l == 0) return difference;
    }
}

std::optional<std::string> PortableLocale::FormatDate(const EntryMoment& m) const {
    if (!DayExists(m)) return std::nullopt;
    char text[24];  // room for any 16-bit values
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", unsigned{m.year}, unsigned{m.month},
                  unsigned{m.day});
    return text;
}

std::optional<std::string> PortableLocale::FormatTime(const EntryMoment& m) const {
    if (m.hour > 23 || m.minute > 59) return std::nullopt;
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u", unsigned{m.hour}, unsigned{m.minute});
    return text;
}

}  // namespace lrx::mgr
