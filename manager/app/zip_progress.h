// The two modeless progress dialogs whose window the engine reports into.
// TZipProgress serves one add or extraction, TMultiZipProgress a drop of
// several files. Both forward the mailbox to a MailboxClient; Esc aborts
// (the framework's default would destroy a window the engine still writes
// to), and only the commands close them, once the engine call has returned.
#pragma once

#include "command_view.h"
#include "controls.h"
#include "dialog.h"
#include "mailbox_client.h"

namespace lrx::mgr {

// The mailbox side both dialogs share: the view the client drives.
class TProgressDialogBase : public fw::TDialog, public MailboxView {
  public:
    TProgressDialogBase(fw::TWindow* parent, int resourceId, fw::TGauge& percentGauge);

    // MailboxView
    void SetPercent(int percent) override;
    void SetStatusText(const std::string& text) override;
    int AskOverwrite(const std::string& path) override;
    void WriteMailbox(const std::string& text) override;
    void PumpWaitingMessages() override;

    const MailboxClient& Client() const { return client_; }

  protected:
    void ForwardChange();
    void SetupMailbox() { client_.Setup(); }
    void RequestAbort() { client_.Abort(); }
    void Ignore() {}

    fw::TEdit Mailbox;
    fw::TStatic StatusText;

  private:
    fw::TGauge& percentGauge_;
    MailboxClient client_{*this};
};

class TZipProgress : public TProgressDialogBase {
  public:
    explicit TZipProgress(fw::TWindow* parent);
    ~TZipProgress() override;

    static const fw::TResponseTable& Table();
    const fw::TResponseTable& Responses() const override { return Table(); }

    void SetupWindow() override;

  protected:
    void ENChange();
    void AbortClicked();

  private:
    fw::TGauge Gauge;
};

class TMultiZipProgress : public TProgressDialogBase {
  public:
    TMultiZipProgress(fw::TWindow* parent, int fileTotal);
    ~TMultiZipProgress() override;

    static const fw::TResponseTable& Table();
    const fw::TResponseTable& Responses() const override { return Table(); }

    void SetupWindow() override;
    // One more file of the drop is done (added or not).
    void IndicateNext();

  protected:
    void ENChange();
    void Canceled();

  private:
    fw::TGauge FileGauge;
    fw::TGauge TotalGauge;
    fw::TStatic FilesLeftText;
    DropCounter Counter;
};

// The commands' handles on the dialogs: created modeless under the list
// window, closed directly.
class ZipProgressHandle : public ProgressDialog {
  public:
    explicit ZipProgressHandle(fw::TWindow* parent);
    EngineWindow Handle() override { return dialog_.GetHandle(); }
    void Close() override { dialog_.CloseWindow(IDOK); }
    TZipProgress& Dialog() { return dialog_; }

  private:
    TZipProgress dialog_;
};

class MultiZipProgressHandle : public DropProgressDialog {
  public:
    MultiZipProgressHandle(fw::TWindow* parent, int fileTotal);
    EngineWindow Handle() override { return dialog_.GetHandle(); }
    void Close() override { dialog_.CloseWindow(IDOK); }
    void IndicateNext() override { dialog_.IndicateNext(); }

  private:
    TMultiZipProgress dialog_;
};

}  // namespace lrx::mgr
