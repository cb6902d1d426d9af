// The texts the list window and the frame show: the five cells of a row, the
// status line and the caption. TLRXWindow::Paint draws CellTexts; the
// commands write StatusLine and Caption through their view.
#pragma once

#include <cstdint>
#include <string>

#include "locale_services.h"

struct TFileInfo;

namespace lrx::mgr {

struct CellTexts {
    std::string name;
    std::string rawSize;     // "%ld", plain bytes
    std::string packedSize;  // "%ld"
    std::string ratio;       // "%d%%"
    std::string date;        // date and time joined by "%s %s"
};

CellTexts FormatCells(const TFileInfo& entry, const LocaleServices& locale);

// (1 - packed / raw) x 100 truncated: "66%" for 1000 packed to 333, negative
// when the packed size is larger. rawSize 0 gives "0%"; a negative size, or a
// packed size over ten times the raw one (a damaged record), gives "".
std::string RatioText(int32_t rawSize, int32_t packedSize);
// Empty when the formatter refuses the date or the time.
std::string MomentText(const EntryMoment& moment, const LocaleServices& locale);

// "%s%s  (%d files)" of the archive's name, its extension and the count.
std::string StatusLine(const std::string& archivePath, int fileCount);
// "LRXWin - %s%s" while an archive is open.
std::string OpenCaption(const std::string& archivePath);
// After New and whenever no archive is open.
inline constexpr const char* kClosedCaption = "LRXWin";

// The name and the extension (with its dot) of a path, split at the last
// '\', '/' or ':' and at the name's last dot.
std::string FileNameOf(const std::string& path);
std::string ExtensionOf(const std::string& path);

}  // namespace lrx::mgr
