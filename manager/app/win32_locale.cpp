#include "win32_locale.h"

#include <windows.h>

namespace lrx::mgr {
namespace {

SYSTEMTIME ToSystemTime(const EntryMoment& moment) {
    SYSTEMTIME time{};
    time.wYear = moment.year;
    time.wMonth = moment.month;
    time.wDay = moment.day;
    time.wHour = moment.hour;
    time.wMinute = moment.minute;
    return time;
}

}  // namespace

int Win32Locale::CompareNames(const char* left, const char* right) const {
    return ::lstrcmpiA(left, right);
}

std::optional<std::string> Win32Locale::FormatDate(const EntryMoment& moment) const {
    const SYSTEMTIME time = ToSystemTime(moment);
    char text[20];
    if (::GetDateFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, text, sizeof text) == 0) {
        return std::nullopt;
    }
    return std::string(text);
}

std::optional<std::string> Win32Locale::FormatTime(const EntryMoment& moment) const {
    const SYSTEMTIME time = ToSystemTime(moment);
    char text[20];
    if (::GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, text, sizeof text) ==
        0) {
        return std::nullopt;
    }
    return std::string(text);
}

}  // namespace lrx::mgr
