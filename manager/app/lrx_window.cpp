#include "lrx_window.h"

#include <windowsx.h>

#include "busy_scope.h"
#include "call_trace.h"
#include "command_ids.h"
#include "common_dialogs.h"
#include "lrxwin_app.h"
#include "lrxwin_ids.h"
#include "zip_progress.h"

namespace lrx::mgr {
namespace {

// The twips-to-pixels ratio of the screen, measured once in MM_TWIPS: cx the
// twips side, cy the pixel side. The two extents have opposite signs there
// (y grows upward); their sizes make the ratio.
SIZE ScreenExtents() {
    fw::TScreenDC screen;
    screen.SetMapMode(MM_TWIPS);
    const SIZE window = screen.GetWindowExt();
    const SIZE viewport = screen.GetViewportExt();
    return SIZE{window.cy < 0 ? -window.cy : window.cy,
                viewport.cy < 0 ? -viewport.cy : viewport.cy};
}

ScrollCode ToScrollCode(int code) {
    switch (code) {
        case SB_LINEUP:
            return ScrollCode::kLineUp;
        case SB_LINEDOWN:
            return ScrollCode::kLineDown;
        case SB_PAGEUP:
            return ScrollCode::kPageUp;
        case SB_PAGEDOWN:
            return ScrollCode::kPageDown;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK:
            return ScrollCode::kThumb;
        case SB_TOP:
            return ScrollCode::kTop;
        case SB_BOTTOM:
            return ScrollCode::kBottom;
        default:
            return ScrollCode::kOther;
    }
}

std::optional<ListKey> ToListKey(WPARAM key) {
    switch (key) {
        case VK_UP:
            return ListKey::kUp;
        case VK_DOWN:
            return ListKey::kDown;
        case VK_PRIOR:
            return ListKey::kPageUp;
        case VK_NEXT:
            return ListKey::kPageDown;
        case VK_HOME:
            return ListKey::kHome;
        case VK_END:
            return ListKey::kEnd;
        case 'A':
            if (::GetKeyState(VK_CONTROL) < 0) return ListKey::kSelectAll;
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

TLRXWinApp* App() {
    return dynamic_cast<TLRXWinApp*>(fw::TApplication::Current());
}

}  // namespace

TLRXWindow::TLRXWindow() : TLRXWindow(ScreenExtents()) {}

TLRXWindow::TLRXWindow(SIZE extents)
    : TWindow(nullptr, ""),
      model_(extents.cx, extents.cy, locale_),
      Header(std::make_unique<fw::TColumnHeader>(this, IDC_COLUMNHEADER, 0, 0, 0, 0)) {
    const TraceScope trace("Wind:Wind");
    Attr.Style = WS_VSCROLL | WS_CLIPCHILDREN;
    Header->Attr.Style |= HDS_BUTTONS;
}

TLRXWindow::~TLRXWindow() {
    const TraceScope trace("Wind:~Wind");
    model_.List().Release();  // the engine's listing, inside this record
    Header.reset();
}

const fw::TResponseTable& TLRXWindow::Table() {
    static constexpr fw::TResponseEntry entries[] = {
        fw::EvMessage<&TLRXWindow::EvScroll>(WM_VSCROLL),
        fw::EvMessage<&TLRXWindow::EvSize>(WM_SIZE),
        fw::EvMessage<&TLRXWindow::EvLButtonDown>(WM_LBUTTONDOWN),
        fw::EvMessage<&TLRXWindow::EvMouseWheel>(WM_MOUSEWHEEL),
        fw::EvMessage<&TLRXWindow::EvKeyDown>(WM_KEYDOWN),
        fw::EvMessage<&TLRXWindow::EvOpenCommandLine>(WM_OPENCOMMANDLINE),
        fw::EvCommand<&TLRXWindow::CmFileNew>(kCmFileNew),
        fw::EvCommand<&TLRXWindow::CmAddReplay>(kCmAddReplay),
        fw::EvCommand<&TLRXWindow::CmRepDelete>(kCmRepDelete),
        fw::EvCommand<&TLRXWindow::CmFileExtractAll>(kCmFileExtractAll),
        fw::EvCommand<&TLRXWindow::CmRepExtractSel>(kCmRepExtractSel),
        fw::EvNotify<&TLRXWindow::HeaderEndTrack>(IDC_COLUMNHEADER, HDN_ENDTRACKA),
        fw::EvNotify<&TLRXWindow::HeaderEndTrack>(IDC_COLUMNHEADER, HDN_ENDTRACKW),
        fw::EvNotify<&TLRXWindow::HeaderClicked>(IDC_COLUMNHEADER, HDN_ITEMCLICKA),
        fw::EvNotify<&TLRXWindow::HeaderClicked>(IDC_COLUMNHEADER, HDN_ITEMCLICKW),
    };
    static constexpr fw::TResponseTable table{entries, &TWindow::Table};
    return table;
}

void TLRXWindow::SetupWindow() {
    const TraceScope trace("Wind:SetupWindow");
    TWindow::SetupWindow();
    for (const char* text : {"Name", "Raw Size", "Packed Size", "Ratio", "Date"}) {
        Header->Add(text);
    }
    model_.Geometry().SetHeaderHeight(Header->Layout(SWP_SHOWWINDOW));
    fw::TScrollBarHelper bar(Handle);
    bar.SetExtent(0, 0, false);
    bar.SetPosition(0, true);
    UpdateEnablers();
    if (TLRXWinApp* app = App(); app && app->CmdArgCount > 0) PostMessage(WM_OPENCOMMANDLINE);
}

LRESULT TLRXWindow::EvOpenCommandLine(WPARAM, LPARAM) {
    if (TLRXWinApp* app = App(); app && app->CmdArgCount > 0) app->CmOpenFile(app->CmdArgs[1]);
    return 0;
}

void TLRXWindow::Paint(fw::TDC& dc, bool, const RECT&) {
    const TraceScope trace("Wind:Paint");
    const RECT client = GetClientRect();
    Header->Layout(0);

    fw::TFont font("Arial", -200, 0, 0, 0, FW_NORMAL, false, false, false, DEFAULT_CHARSET);
    PaintInput input;
    input.clientWidthPixels = client.right;
    input.clientHeightPixels = client.bottom;
    if (model_.Geometry().LineHeight() == 0) {
        TEXTMETRICA metrics{};
        if (font.GetTextMetrics(metrics)) input.textHeight = metrics.tmHeight;
    }
    for (int i = 0; i < 5; ++i)
        input.headerWidths[static_cast<std::size_t>(i)] = Header->GetItemWidth(i);
    const PageLayout page = model_.Paint(input);

    fw::TScrollBarHelper bar(Handle);
    const int linesPerPage = model_.Geometry().LinesPerPage();
    bar.SetExtent(page.scrollBar.enabled ? page.scrollBar.max + linesPerPage : 0, linesPerPage,
                  false);
    // New and Open move TopLine to 0; the thumb follows.
    if (bar.GetPosition() != model_.Geometry().TopLine()) {
        bar.SetPosition(model_.Geometry().TopLine(), true);
    }

    const int savedMode = dc.GetMapMode();
    dc.SetMapMode(MM_TWIPS);
    fw::TPen pen(RGB(0, 0, 0), 1);
    dc.SelectObject(font.GetHandle());
    for (const RowLayout& row : page.rows) {
        for (const CellLayout& cell : row.cells) {
            dc.SetTextAlign(cell.align == CellAlign::kLeft ? TA_LEFT | TA_TOP : TA_RIGHT | TA_TOP);
            const RECT clip{cell.clipLeft, row.top, cell.clipRight, row.bottom};
            dc.ExtTextOut(cell.x, row.top, ETO_CLIPPED, &clip, cell.text);
        }
        if (row.selected) {
            const int rop = dc.GetROP2();
            dc.SelectObject(pen.GetHandle());
            dc.SetROP2(R2_NOT);
            dc.Rectangle(0, row.top, page.clientWidthTwips, row.bottom);
            dc.SetROP2(rop);
        }
    }
    dc.RestoreObjects();
    dc.SetMapMode(savedMode);
}

LRESULT TLRXWindow::EvScroll(WPARAM wParam, LPARAM) {
    const TraceScope trace("Wind:EvScroll");
    fw::TScrollBarHelper bar(Handle);
    const ScrollCode code = ToScrollCode(LOWORD(wParam));
    const bool moved =
        model_.EvScroll(code, code == ScrollCode::kThumb ? bar.GetTrackPosition() : 0);
    CheckLines();
    bar.SetPosition(model_.Geometry().TopLine(), true);
    Repaint(moved);
    return 0;
}

LRESULT TLRXWindow::EvSize(WPARAM, LPARAM) {
    DefaultProcessing();
    Invalidate(true);
    return 0;
}

LRESULT TLRXWindow::EvLButtonDown(WPARAM keys, LPARAM point) {
    const TraceScope trace("Wind:EvLButtonDown");
    DefaultProcessing();
    ::SetFocus(Handle);  // the keys move through the rows from here on
    Repaint(model_.EvLButtonDown(GET_Y_LPARAM(point), (keys & MK_SHIFT) != 0,
                                 (keys & MK_CONTROL) != 0));
    UpdateEnablers();
    return 0;
}

LRESULT TLRXWindow::EvMouseWheel(WPARAM wParam, LPARAM) {
    UINT lines = 3;
    ::SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const int perNotch = lines == WHEEL_PAGESCROLL ? 0 : static_cast<int>(lines);
    Repaint(model_.EvMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam), perNotch));
    return 0;
}

LRESULT TLRXWindow::EvKeyDown(WPARAM key, LPARAM) {
    const std::optional<ListKey> listKey = ToListKey(key);
    if (!listKey) return DefaultProcessing();
    Repaint(model_.EvKeyDown(*listKey, ::GetKeyState(VK_SHIFT) < 0));
    UpdateEnablers();
    return 0;
}

void TLRXWindow::HeaderEndTrack(NMHDR&) {
    Invalidate(true);
}

void TLRXWindow::HeaderClicked(NMHDR& notification) {
    const TraceScope trace("Wind:HeaderClicked");
    const int item = fw::TColumnHeader::ClickedItem(notification);
    if (item == 3) return;  // Ratio does not sort
    {
        const TraceScope sortTrace("Wind:SortFiles");
        model_.HeaderClicked(item);
    }
    Invalidate(true);
    UpdateEnablers();
}

bool TLRXWindow::DoOpenFile(const char* path) {
    const TraceScope trace("Wind:DoOpenFile");
    const bool opened = Commands.DoOpenFile(path ? path : "");
    UpdateEnablers();
    return opened;
}

void TLRXWindow::SortFiles() {
    const TraceScope trace("Wind:SortFiles");
    model_.SortFiles();
    UpdateEnablers();
}

int TLRXWindow::CountFiles() {
    const TraceScope trace("Wind:CountFiles");
    return model_.CountFiles();
}

void TLRXWindow::CheckLines() {
    const TraceScope trace("Wind:CheckLines");
    model_.CheckLines();
}

void TLRXWindow::DropFiles(const std::vector<std::string>& paths) {
    const fw::TBusyScope busy(GetApplication());
    Commands.DropFiles(paths);
    UpdateEnablers();
}

void TLRXWindow::CmFileNew() {
    const TraceScope trace("Wind:CmFileNew");
    Commands.CmFileNew();
    UpdateEnablers();
}

bool TLRXWindow::DoAddReplay(const std::string& replayPath, DropProgressDialog* dialog) {
    const TraceScope trace("Wind:DoAddReplay");
    return Commands.DoAddReplay(replayPath, dialog);
}

void TLRXWindow::CmAddReplay() {
    const TraceScope trace("Wind:CmAddReplay");
    {
        const fw::TBusyScope busy(GetApplication());
        Commands.CmAddReplay();
    }
    UpdateEnablers();
}

void TLRXWindow::CmRepDelete() {
    const TraceScope trace("Wind:CmRepDelete");
    {
        const fw::TBusyScope busy(GetApplication());
        Commands.CmRepDelete();
    }
    UpdateEnablers();
}

void TLRXWindow::CmFileExtractAll() {
    const TraceScope trace("Wind:CmFileExtractAll");
    {
        const fw::TBusyScope busy(GetApplication());
        Commands.CmFileExtractAll();
    }
    UpdateEnablers();
}

void TLRXWindow::CmRepExtractSel() {
    const TraceScope trace("Wind:CmRepExtractSel");
    {
        const fw::TBusyScope busy(GetApplication());
        Commands.CmRepExtractSel();
    }
    UpdateEnablers();
}

void TLRXWindow::UpdateEnablers() {
    const ArchiveList& list = model_.List();
    EnableCommand(kCmFileNew, list.ArchiveOpen());
    EnableCommand(kCmFileExtractAll, list.ArchiveOpen());
    EnableCommand(kCmRepDelete, list.RowClicked());
    EnableCommand(kCmRepExtractSel, list.RowClicked());
}

void TLRXWindow::Repaint(bool needed) {
    if (needed) Invalidate(true);
}

// --- CommandView ---

void TLRXWindow::ShowMessage(const std::string& text, const std::string& caption,
                             MessageStyle style) {
    const UINT type = MB_OK | static_cast<UINT>(style);
    if (fw::TApplication* app = GetApplication()) {
        app->MessageBox(Handle, text.c_str(), caption.c_str(), type);
    } else {
        MessageBox(text.c_str(), caption.c_str(), type);
    }
}

std::optional<std::string> TLRXWindow::ChooseFile(const FilePrompt& prompt) {
    fw::TOpenSaveDialog::TData data(prompt.flags, prompt.filter.c_str(),
                                    prompt.defaultExtension.c_str(), MAX_PATH);
    if (fw::TFileOpenDialog(this, data, prompt.title.c_str()).Execute() != IDOK) {
        return std::nullopt;
    }
    return data.FileName;
}

std::optional<std::string> TLRXWindow::ChooseFolder(const std::string& title) {
    fw::TApplication* app = GetApplication();
    HWND owner = app && app->GetMainWindow() ? app->GetMainWindow()->GetHandle() : nullptr;
    std::string folder;
    if (!fw::BrowseForFolder(owner, title.c_str(), folder)) return std::nullopt;
    return folder;
}

std::unique_ptr<ProgressDialog> TLRXWindow::CreateProgress() {
    return std::make_unique<ZipProgressHandle>(this);
}

std::unique_ptr<DropProgressDialog> TLRXWindow::CreateDropProgress(int fileTotal) {
    return std::make_unique<MultiZipProgressHandle>(this, fileTotal);
}

void TLRXWindow::SetCaption(const std::string& caption) {
    if (Parent) Parent->SetCaption(caption.c_str());
}

void TLRXWindow::SetStatusText(const std::string& text) {
    if (StatusBar) StatusBar->SetText(text.c_str());
}

void TLRXWindow::SetScrollPosition(int position) {
    fw::TScrollBarHelper(Handle).SetPosition(position, true);
}

void TLRXWindow::RepaintList() {
    Invalidate(true);
}

}  // namespace lrx::mgr
