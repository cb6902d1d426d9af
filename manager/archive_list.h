// The open archive as rows: the engine's listing (owned; renewed with wG4h on
// the same head, released with AGGa), the row order by sort key and
// direction, one selection flag per row, RowClicked and Anchor. TLRXWindow
// holds one (inside ListWindowModel); its SortFiles, CountFiles and
// HeaderClicked forward to the methods of the same names, Paint reads Row()
// and IsSelected(), and the commands read ArchivePath and SelectedNames().
//
// The row arrays are built from the listing being walked, never from
// FileCount: New sets FileCount to 0 while the listing stays, and a failed
// listing may leave part of one. Rows shown and clicked are the first
// RowCount() = min(FileCount, rows built); while the arrays are absent
// (between a change of the listing and the next SortFiles) there are none.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "locale_services.h"

struct TFileInfo;
struct TFileInfoList;

namespace lrx::mgr {

enum class SortKey { kName = 0, kRawSize = 1, kPackedSize = 2, kDate = 3 };

// The longest archive path kept; a longer one is refused, never cut.
constexpr std::size_t kMaxArchivePath = 255;

class ArchiveList {
  public:
    explicit ArchiveList(const LocaleServices& locale);
    // Releases the listing with AGGa.
    ~ArchiveList();
    ArchiveList(const ArchiveList&) = delete;
    ArchiveList& operator=(const ArchiveList&) = delete;

    // wG4h on the held listing with a private copy of the path (the engine
    // frees the previous listing first, so the rows are dropped before the
    // call). Returns the engine's result code.
    int List(const std::string& archivePath);
    // AGGa on the held listing; the rows are dropped.
    void Release();
    // Nodes in the held listing.
    int CountFiles() const;

    int FileCount() const { return fileCount_; }
    void SetFileCount(int count) { fileCount_ = count; }

    // Rebuilds the row order from the listing (insertion in listing order
    // before the first row the new node compares less than); clears every
    // selection flag and RowClicked.
    void SortFiles();
    // Releases the row arrays (SortedFiles and Selected) and clears RowClicked.
    void DropRows();
    bool HasRows() const { return hasRows_; }
    int RowCount() const;
    // 0 <= row < RowCount().
    const TFileInfo& Row(int row) const;

    // A header item click: 3 (Ratio) does nothing; otherwise the key of the
    // item (4 is Date), the direction flipped for the same key or +1 for a
    // new one. True when the rows must be sorted (the window then calls its
    // SortFiles and repaints).
    bool ChooseSortKey(int item);
    // ChooseSortKey, then SortFiles when it says so.
    bool HeaderClicked(int item);
    SortKey Key() const { return key_; }
    int Direction() const { return direction_; }

    bool IsSelected(int row) const;
    // A row click (EvLButtonDown): Shift with an Anchor selects Anchor..row
    // (rows that exist), else Ctrl inverts the row, else the row alone; then
    // Anchor = row and RowClicked. Rows outside 0..RowCount()-1 are ignored;
    // false then.
    bool ClickRow(int row, bool shift, bool ctrl);
    // Keyboard: the caret moves to row; with extend the selection runs from
    // Anchor (kept) to row, otherwise it is the row alone and Anchor = row.
    bool MoveCaret(int row, bool extend);
    // Ctrl+A: every row; RowClicked when there is one.
    bool SelectAll();
    // The row the keyboard moves from: the caret, else Anchor, else -1.
    int Caret() const;
    bool RowClicked() const { return rowClicked_; }
    int Anchor() const { return anchor_; }
    // Names of the selected rows in row order (copies).
    std::vector<std::string> SelectedNames() const;

    bool ArchiveOpen() const { return archiveOpen_; }
    void SetArchiveOpen(bool open) { archiveOpen_ = open; }
    const std::string& ArchivePath() const { return archivePath_; }
    // False (path kept) when it is longer than kMaxArchivePath.
    bool SetArchivePath(const std::string& path);

  private:
    int Compare(const TFileInfo& incoming, const TFileInfo& placed) const;
    void ClearSelection();
    void SelectOnly(int row);
    // Selects the rows from the anchor to row alone.
    void SelectFromAnchor(int row);

    const LocaleServices& locale_;
    TFileInfoList* fileList_ = nullptr;
    std::vector<const TFileInfo*> sortedFiles_;
    std::vector<uint8_t> selected_;
    bool hasRows_ = false;
    bool rowClicked_ = false;
    SortKey key_ = SortKey::kName;
    int direction_ = +1;
    int fileCount_ = 0;
    int anchor_ = -1;
    int caret_ = -1;
    bool archiveOpen_ = false;
    std::string archivePath_;
};

}  // namespace lrx::mgr
