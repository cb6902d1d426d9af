// A small program on the framework, for screenshots and reviews: a decorated
// frame with menu, toolbar and status bar, a client window with a column
// header and rows drawn in twips, and a modeless progress dialog whose gauge
// moves in idle time.
#include <windows.h>

#include <cstdio>
#include <memory>

#include "application.h"
#include "controls.h"
#include "dialog.h"
#include "frame.h"

using namespace lrx::fw;

namespace {

constexpr int CM_NEW = 24331;
constexpr int CM_OPEN = 24332;

class TListWindow : public TWindow {
  public:
    TListWindow() : TWindow(nullptr), Header(this, 1852, 0, 0, 0, 0) {
        Header.Attr.Style |= HDS_BUTTONS;
    }
    static const TResponseTable& Table() {
        static constexpr TResponseEntry entries[] = {
            EvMessage<&TListWindow::EvSize>(WM_SIZE),
        };
        static constexpr TResponseTable table{entries, &TWindow::Table};
        return table;
    }
    const TResponseTable& Responses() const override { return Table(); }

    void SetupWindow() override {
        TWindow::SetupWindow();
        for (const char* text : {"Name", "Raw Size", "Packed Size", "Ratio", "Date"}) {
            Header.Add(text);
        }
        headerHeight_ = Header.Layout(SWP_SHOWWINDOW);
    }

    void Paint(TDC& dc, bool, const RECT&) override {
        Header.Layout();
        const int saved = dc.SetMapMode(MM_TWIPS);
        TFont font("Arial", -200);
        dc.SelectObject(font.GetHandle());
        const int twipsPerPixel = 15;
        const char* names[] = {"monza.rpl", "spa.rpl", "suzuka.rpl", "interlagos.rpl"};
        for (int row = 0; row < 4; ++row) {
            const int top = -(headerHeight_ + 4) * twipsPerPixel - row * 280;
            int x = 5 * twipsPerPixel;
            char sizes[32];
            std::snprintf(sizes, sizeof sizes, "%d", 480000 + row * 37311);
            dc.ExtTextOut(x, top, 0, nullptr, names[row]);
            x += Header.GetItemWidth(0) * twipsPerPixel;
            dc.ExtTextOut(x, top, 0, nullptr, sizes);
        }
        dc.RestoreObjects();
        dc.SetMapMode(saved);
    }

    TColumnHeader Header;

  private:
    void EvSize() { Invalidate(); }
    int headerHeight_ = 0;
};

class TDemoProgress : public TDialog {
  public:
    explicit TDemoProgress(TWindow* parent)
        : TDialog(parent, 300), Gauge(this, 4190), Status(this, 1801) {
        Gauge.SetColor(RGB(0, 128, 255));
    }
    bool IdleAction(long count) override {
        if (count == 0 && Gauge.GetValue() < 70) Gauge.SetValue(Gauge.GetValue() + 10);
        Status.SetText("Adding spa.rpl...");
        return false;
    }
    TGauge Gauge;
    TStatic Status;
};

class TDemoApp : public TApplication {
  public:
    TDemoApp() : TApplication("Framework Demo") {}
    void InitMainWindow() override {
        auto frame = std::make_unique<TDecoratedFrame>(nullptr, "Framework Demo - replays.lrx",
                                                       std::make_unique<TListWindow>(), true);
        frame->Attr.X = 20;
        frame->Attr.Y = 20;
        frame->Attr.W = 560;
        frame->Attr.H = 360;
        frame->AssignMenu(100);
        TStatusBar* status = frame->Insert(std::make_unique<TStatusBar>(
            TStatusBar::CapsLock | TStatusBar::NumLock | TStatusBar::ScrollLock));
        status->SetText("replays.lrx  (4 files)");
        auto bar = std::make_unique<TDockableControlBar>();
        bar->Insert(TButtonGadget{CM_NEW, CM_NEW});
        bar->Insert(TSeparatorGadget{});
        bar->Insert(TButtonGadget{CM_OPEN, CM_OPEN});
        frame->Insert(std::make_unique<THarbor>())->Insert(std::move(bar));
        CommandEnablers().Enable(CM_NEW, false);
        SetMainWindow(std::move(frame));
    }
    int Run() override {
        InitMainWindow();
        if (!GetMainWindow()->Create()) return 1;
        GetMainWindow()->Show(SW_SHOWNORMAL);
        progress_ = std::make_unique<TDemoProgress>(GetMainWindow());
        progress_->Create();
        return MessageLoop();
    }

  private:
    std::unique_ptr<TDemoProgress> progress_;
};

}  // namespace

int main() {
    TDemoApp app;
    return app.Run();
}
