// What the list needs from the user's locale: the name collation of the sort
// and the date and time texts of the Date column. The Windows program
// implements it with lstrcmpiA, GetDateFormatA (LOCALE_USER_DEFAULT, flags 0)
// and GetTimeFormatA (TIME_NOSECONDS), each into a buffer of 20 characters;
// PortableLocale serves tests and other platforms.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace lrx::mgr {

// The moment stored with an entry, as the record holds it (unchecked).
struct EntryMoment {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
};

class LocaleServices {
  public:
    virtual ~LocaleServices() = default;

    // Case-insensitive, in the system's collation: <0, 0 or >0.
    virtual int CompareNames(const char* left, const char* right) const = 0;
    // None when the formatter refuses the moment (a damaged record, a text
    // that does not fit): the cell then stays empty.
    virtual std::optional<std::string> FormatDate(const EntryMoment& moment) const = 0;
    virtual std::optional<std::string> FormatTime(const EntryMoment& moment) const = 0;
};

// ASCII case folding in byte order; dates as 2024-03-05 and times as 14:07,
// refusing months, days, hours and minutes out of range.
class PortableLocale : public LocaleServices {
  public:
    int CompareNames(const char* left, const char* right) const override;
    std::optional<std::string> FormatDate(const EntryMoment& moment) const override;
    std::optional<std::string> FormatTime(const EntryMoment& moment) const override;
};

}  // namespace lrx::mgr
