#include "list_texts.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "lrxpack.h"

namespace lrx::mgr {
namespace {

std::string Decimal(long value) {
    char text[24];
    std::snprintf(text, sizeof text, "%ld", value);
    return text;
}

std::size_t NameStart(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? 0 : separator + 1;
}

std::size_t ExtensionStart(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t name = NameStart(path);
    return (dot == std::string::npos || dot < name) ? path.size() : dot;
}

}  // namespace

std::string RatioText(int32_t rawSize, int32_t packedSize) {
    if (rawSize == 0) return "0%";
    if (rawSize < 0 || packedSize < 0) return "";
    // Over ten times the raw size is no packing the codec does; the ratio of
    // such a record would only be a large meaningless number.
    if (int64_t{packedSize} > 10 * int64_t{rawSize}) return "";
    // In whole numbers: floating point gives 19% for 4 of 5 bytes, and the
    // 32-bit build's x87 arithmetic truncates other sizes differently again.
    // Integer division truncates toward zero, as the percentage should.
    const int64_t ratio = (int64_t{rawSize} - packedSize) * 100 / rawSize;
    return Decimal(static_cast<long>(ratio)) + "%";
}

std::string MomentText(const EntryMoment& moment, const LocaleServices& locale) {
    const auto date = locale.FormatDate(moment);
    const auto time = locale.FormatTime(moment);
    if (!date || !time) return "";
    return *date + " " + *time;
}

CellTexts FormatCells(const TFileInfo& entry, const LocaleServices& locale) {
    CellTexts cells;
    // The record's name field may lack its terminator in a damaged archive.
    cells.name.assign(entry.name, std::find(entry.name, std::end(entry.name), '\0'));
    cells.rawSize = Decimal(entry.rawSize);
    cells.packedSize = Decimal(entry.packedSize);
    cells.ratio = RatioText(entry.rawSize, entry.packedSize);
    cells.date = MomentText({entry.year, entry.month, entry.day, entry.hour, entry.minute}, locale);
    return cells;
}

std::string FileNameOf(const std::string& path) {
    const std::size_t start = NameStart(path);
    return path.substr(start, ExtensionStart(path) - start);
}

std::string ExtensionOf(const std::string& path) {
    return path.substr(ExtensionStart(path));
}

std::string StatusLine(const std::string& archivePath, int fileCount) {
    return FileNameOf(archivePath) + ExtensionOf(archivePath) + "  (" + Decimal(fileCount) +
           " files)";
}

std::string OpenCaption(const std::string& archivePath) {
    return std::string(kClosedCaption) + " - " + FileNameOf(archivePath) + ExtensionOf(archivePath);
}

}  // namespace lrx::mgr
