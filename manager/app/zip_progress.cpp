#include "zip_progress.h"

#include "application.h"
#include "call_trace.h"
#include "lrxwin_ids.h"
#include "overwrite_dlg.h"

namespace lrx::mgr {
namespace {

// While the overwrite question is up, the main window takes no input: its
// menu would otherwise stay live under a modal dialog owned by the progress
// dialog.
class TMainWindowDisabled {
  public:
    TMainWindowDisabled() {
        fw::TApplication* app = fw::TApplication::Current();
        main_ = app && app->GetMainWindow() ? app->GetMainWindow()->GetHandle() : nullptr;
        if (main_ && ::IsWindowEnabled(main_)) {
            ::EnableWindow(main_, FALSE);
        } else {
            main_ = nullptr;
        }
    }
    ~TMainWindowDisabled() {
        if (main_) ::EnableWindow(main_, TRUE);
    }
    TMainWindowDisabled(const TMainWindowDisabled&) = delete;
    TMainWindowDisabled& operator=(const TMainWindowDisabled&) = delete;

  private:
    HWND main_;
};

}  // namespace

// --- shared mailbox side ---

TProgressDialogBase::TProgressDialogBase(fw::TWindow* parent, int resourceId,
                                         fw::TGauge& percentGauge)
    : TDialog(parent, resourceId),
      Mailbox(this, IDC_MAILBOX),
      StatusText(this, IDC_STATUSTEXT),
      percentGauge_(percentGauge) {}

void TProgressDialogBase::SetPercent(int percent) {
    percentGauge_.SetValue(percent);
}

void TProgressDialogBase::SetStatusText(const std::string& text) {
    StatusText.SetText(text.c_str());
}

int TProgressDialogBase::AskOverwrite(const std::string& path) {
    const TMainWindowDisabled mainDisabled;
    TOverwriteDlg question(this, path.c_str());
    return question.Execute();
}

void TProgressDialogBase::WriteMailbox(const std::string& text) {
    Mailbox.SetText(text.c_str());
}

void TProgressDialogBase::PumpWaitingMessages() {
    if (fw::TApplication* app = GetApplication()) app->PumpWaitingMessages();
}

void TProgressDialogBase::ForwardChange() {
    // The whole line: a long overwrite question keeps its file name.
    client_.Changed(Mailbox.GetText());
}

// --- TZipProgress ---

TZipProgress::TZipProgress(fw::TWindow* parent)
    : TProgressDialogBase(parent, IDD_ZIPPROGRESS, Gauge), Gauge(this, IDC_GAUGE) {
    const TraceScope trace("TZP:TZP");
    Gauge.SetColor(RGB(0, 0, 255));  // light blue
    Gauge.SetRange(0, 100);
    Gauge.SetValue(0);
}

TZipProgress::~TZipProgress() {
    const TraceScope trace("TZP:~TZP");
}

const fw::TResponseTable& TZipProgress::Table() {
    static constexpr fw::TResponseEntry entries[] = {
        fw::EvChild<&TZipProgress::ENChange>(IDC_MAILBOX, EN_CHANGE),
        fw::EvCommand<&TZipProgress::AbortClicked>(IDC_ABORT),
        fw::EvCommand<&TZipProgress::AbortClicked>(IDCANCEL),  // Esc
        fw::EvCommand<&TZipProgress::Ignore>(IDOK),
    };
    static constexpr fw::TResponseTable table{entries, &TDialog::Table};
    return table;
}

void TZipProgress::SetupWindow() {
    TDialog::SetupWindow();
    SetupMailbox();
}

void TZipProgress::ENChange() {
    const TraceScope trace("TZP:ENChange");
    ForwardChange();
}

void TZipProgress::AbortClicked() {
    const TraceScope trace("TZP:AbortClicked");
    RequestAbort();
}

// --- TMultiZipProgress ---

TMultiZipProgress::TMultiZipProgress(fw::TWindow* parent, int fileTotal)
    : TProgressDialogBase(parent, IDD_MULTIZIPPROGRESS, FileGauge),
      FileGauge(this, IDC_GAUGE),
      TotalGauge(this, IDC_TOTALGAUGE),
      FilesLeftText(this, IDC_FILESLEFT),
      Counter(fileTotal) {
    const TraceScope trace("TMZP:TMZP");
    FileGauge.SetRange(0, 100);
    FileGauge.SetValue(0);
    TotalGauge.SetRange(0, fileTotal);
    TotalGauge.SetValue(0);
}

TMultiZipProgress::~TMultiZipProgress() {
    const TraceScope trace("TMZP:~TMZP");
}

const fw::TResponseTable& TMultiZipProgress::Table() {
    static constexpr fw::TResponseEntry entries[] = {
        fw::EvCommand<&TMultiZipProgress::Canceled>(IDC_CANCELDROP),
        fw::EvChild<&TMultiZipProgress::ENChange>(IDC_MAILBOX, EN_CHANGE),
        fw::EvCommand<&TMultiZipProgress::Canceled>(IDCANCEL),  // Esc
        fw::EvCommand<&TMultiZipProgress::Ignore>(IDOK),        // Enter
    };
    static constexpr fw::TResponseTable table{entries, &TDialog::Table};
    return table;
}

void TMultiZipProgress::SetupWindow() {
    TDialog::SetupWindow();
    SetupMailbox();
    FilesLeftText.SetText(Counter.FilesLeftText().c_str());
}

void TMultiZipProgress::IndicateNext() {
    const TraceScope trace("TMZP:IndicateNext");
    Counter.IndicateNext();
    FilesLeftText.SetText(Counter.FilesLeftText().c_str());
    TotalGauge.SetValue(Counter.Done());
}

void TMultiZipProgress::ENChange() {
    const TraceScope trace("TMZP:ENChange");
    ForwardChange();
}

void TMultiZipProgress::Canceled() {
    const TraceScope trace("TMZP:Canceled");
    RequestAbort();
}

// --- handles for the commands ---

ZipProgressHandle::ZipProgressHandle(fw::TWindow* parent) : dialog_(parent) {
    dialog_.Create();
}

MultiZipProgressHandle::MultiZipProgressHandle(fw::TWindow* parent, int fileTotal)
    : dialog_(parent, fileTotal) {
    dialog_.Create();
}

}  // namespace lrx::mgr
