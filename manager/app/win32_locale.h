// The user's locale for the list: names compared with lstrcmpiA, dates and
// times from GetDateFormatA (flags 0) and GetTimeFormatA (TIME_NOSECONDS),
// each into a buffer of 20 characters.
#pragma once

#include "locale_services.h"

namespace lrx::mgr {

class Win32Locale : public LocaleServices {
  public:
    int CompareNames(const char* left, const char* right) const override;
    std::optional<std::string> FormatDate(const EntryMoment& moment) const override;
    std::optional<std::string> FormatTime(const EntryMoment& moment) const override;
};

}  // namespace lrx::mgr
