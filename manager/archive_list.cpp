#include "archive_list.h"

#include <algorithm>
#include <tuple>

#include "lrxpack.h"

namespace lrx::mgr {
namespace {

bool EarlierOrSame(const TFileInfo& a, const TFileInfo& b) {
    const auto day = [](const TFileInfo& e) { return std::tuple(e.year, e.month, e.day); };
    if (day(a) != day(b)) return day(a) < day(b);
    return std::tuple(a.hour, a.minute) <= std::tuple(b.hour, b.minute);
}

}  // namespace

ArchiveList::ArchiveList(const LocaleServices& locale) : locale_(locale) {}

ArchiveList::~ArchiveList() {
    if (fileList_) AGGa(&fileList_);
}

int ArchiveList::List(const std::string& archivePath) {
    DropRows();
    std::string copy = archivePath;
    return wG4h(&fileList_, copy.data());
}

void ArchiveList::Release() {
    DropRows();
    AGGa(&fileList_);
}

int ArchiveList::CountFiles() const {
    int count = 0;
    for (const TFileInfoList* node = fileList_; node; node = node->next) ++count;
    return count;
}

int ArchiveList::Compare(const TFileInfo& incoming, const TFileInfo& placed) const {
    switch (key_) {
        case SortKey::kName: {
            const int order = locale_.CompareNames(incoming.name, placed.name);
            return order < 0 ? -direction_ : (order > 0 ? direction_ : 0);
        }
        case SortKey::kRawSize:
            return incoming.rawSize < placed.rawSize ? -direction_ : direction_;
        case SortKey::kPackedSize:
            return incoming.packedSize < placed.packedSize ? -direction_ : direction_;
        case SortKey::kDate:
            return EarlierOrSame(incoming, placed) ? direction_ : -direction_;
    }
    return 0;
}

void ArchiveList::SortFiles() {
    sortedFiles_.clear();
    for (const TFileInfoList* node = fileList_; node; node = node->next) {
        // Each node goes before the first placed row it compares less than.
        // The rows placed so far are ordered by that same test, so the first
        // such row is found by halving rather than by a scan.
        const TFileInfo& incoming = *node->info;
        const auto at = std::partition_point(
            sortedFiles_.begin(), sortedFiles_.end(),
            [&](const TFileInfo* placed) { return Compare(incoming, *placed) >= 0; });
        sortedFiles_.insert(at, &incoming);
    }
    selected_.assign(sortedFiles_.size(), 0);
    hasRows_ = true;
    rowClicked_ = false;
    caret_ = -1;
}

void ArchiveList::DropRows() {
    sortedFiles_.clear();
    sortedFiles_.shrink_to_fit();
    selected_.clear();
    hasRows_ = false;
    rowClicked_ = false;
    caret_ = -1;
}

int ArchiveList::RowCount() const {
    if (!hasRows_) return 0;
    return std::clamp(fileCount_, 0, static_cast<int>(sortedFiles_.size()));
}

const TFileInfo& ArchiveList::Row(int row) const {
    return *sortedFiles_[static_cast<std::size_t>(row)];
}

bool ArchiveList::HeaderClicked(int item) {
    if (!ChooseSortKey(item)) return false;
    SortFiles();
    return true;
}

bool ArchiveList::ChooseSortKey(int item) {
    if (item == 3 || item < 0 || item > 4) return false;
    const auto key = static_cast<SortKey>(item < 3 ? item : item - 1);
    if (key == key_) {
        direction_ = -direction_;
    } else {
        key_ = key;
        direction_ = +1;
    }
    return true;
}

bool ArchiveList::IsSelected(int row) const {
    return row >= 0 && row < RowCount() && selected_[static_cast<std::size_t>(row)] != 0;
}

void ArchiveList::ClearSelection() {
    std::fill(selected_.begin(), selected_.end(), 0);
}

void ArchiveList::SelectOnly(int row) {
    ClearSelection();
    selected_[static_cast<std::size_t>(row)] = 1;
}

void ArchiveList::SelectFromAnchor(int row) {
    ClearSelection();
    const int last = std::min(std::max(anchor_, row), RowCount() - 1);
    for (int r = std::min(anchor_, row); r <= last; ++r) selected_[static_cast<std::size_t>(r)] = 1;
}

bool ArchiveList::ClickRow(int row, bool shift, bool ctrl) {
    const int count = RowCount();
    if (row < 0 || row >= count) return false;
    if (shift && anchor_ != -1) {
        SelectFromAnchor(row);
    } else if (ctrl) {
        selected_[static_cast<std::size_t>(row)] ^= 1;
    } else {
        SelectOnly(row);
    }
    anchor_ = row;
    caret_ = row;
    rowClicked_ = true;
    return true;
}

bool ArchiveList::MoveCaret(int row, bool extend) {
    const int count = RowCount();
    if (row < 0 || row >= count) return false;
    if (extend && anchor_ != -1) {
        SelectFromAnchor(row);
    } else {
        SelectOnly(row);
        anchor_ = row;
    }
    caret_ = row;
    rowClicked_ = true;
    return true;
}

bool ArchiveList::SelectAll() {
    const int count = RowCount();
    if (count == 0) return false;
    std::fill(selected_.begin(), selected_.begin() + count, 1);
    rowClicked_ = true;
    return true;
}

int ArchiveList::Caret() const {
    if (caret_ >= 0 && caret_ < RowCount()) return caret_;
    if (anchor_ >= 0 && anchor_ < RowCount()) return anchor_;
    return -1;
}

std::vector<std::string> ArchiveList::SelectedNames() const {
    std::vector<std::string> names;
    for (int row = 0; row < RowCount(); ++row) {
        if (!IsSelected(row)) continue;
        const TFileInfo& entry = Row(row);
        names.emplace_back(entry.name, std::find(entry.name, std::end(entry.name), '\0'));
    }
    return names;
}

bool ArchiveList::SetArchivePath(const std::string& path) {
    if (path.size() > kMaxArchivePath) return false;
    archivePath_ = path;
    return true;
}

}  // namespace lrx::mgr
