// TControlBar: a row or a column of button and separator gadgets, drawn by
// the bar itself at the screen's dpi. A button shows the bitmap of its id as
// its glyph (light grey is the button face), scaled to GadgetMetrics' size;
// buttons start disabled and the frame gives them their commands' enablers
// in idle time. A click on an enabled button sends its command to the frame
// as a toolbar does (WM_COMMAND with the bar's window), and the mouse
// entering and leaving a button is told with TBN_HOTITEMCHANGE, so the frame
// shows the command's hint while the mouse rests there.
#pragma once

#include <memory>
#include <vector>

#include "command_enablers.h"
#include "dc.h"
#include "dock_layout.h"
#include "window.h"

namespace lrx::fw {

struct TButtonGadget {
    int BitmapId;
    int CommandId;
};

struct TSeparatorGadget {
    int Size = 6;  // pixels at 96 dpi
};

// The font of a gadget window's texts: `pointSize` points at the screen's dpi.
class TGadgetWindowFont : public TFont {
  public:
    explicit TGadgetWindowFont(int pointSize = 9, bool bold = false, bool italic = false);
};

class TControlBar : public TWindow {
  public:
    static constexpr int DefaultId = 0x7E02;

    explicit TControlBar(std::unique_ptr<TFont> font = nullptr);
    ~TControlBar() override;

    static const TResponseTable& Table();
    const TResponseTable& Responses() const override { return Table(); }

    void Insert(const TButtonGadget& button);
    void Insert(const TSeparatorGadget& separator);

    bool IsButtonEnabled(int commandId) const;
    // Brings every button's enabled state in line with the table.
    void ApplyEnablers(const TCommandEnablers& enablers);
    const GadgetMetrics& Metrics() const { return metrics_; }
    HFONT GetFont() const { return font_ ? font_->GetHandle() : nullptr; }

    // Gadgets in a column or a row, with or without the drag handle in front.
    void Arrange(bool vertical, bool gripper);
    bool IsVertical() const { return vertical_; }
    // The size the gadgets need, borders included, arranged as now or as given.
    SIZE NeededSize() const { return SIZE{layout_.width, layout_.height}; }
    SIZE NeededSize(bool vertical, bool gripper) const;
    // The button of `commandId` in client coordinates (empty when none); the
    // command of the button at `point` (0 when none).
    RECT ButtonRect(int commandId) const;
    int CommandAt(POINT point) const;

  protected:
    void SetupWindow() override;
    void Paint(TDC& dc, bool erase, const RECT& rect) override;
    const char* ClassName() const override { return "LrxControlBar"; }
    void GetWindowClass(WNDCLASSA& windowClass) const override;
    // Where commands and hints go: the parent's window.
    virtual HWND CommandTarget() const;

    LRESULT EvLButtonDown(WPARAM, LPARAM);
    LRESULT EvMouseMove(WPARAM, LPARAM);
    LRESULT EvLButtonUp(WPARAM, LPARAM);
    LRESULT EvMouseLeave(WPARAM, LPARAM);
    LRESULT EvCaptureChanged(WPARAM, LPARAM);
    LRESULT EvGetFont(WPARAM, LPARAM);

  private:
    struct Gadget {
        int BitmapId;   // 0 for a separator
        int CommandId;  // the separator's size for a separator
        bool Enabled = false;
        HBITMAP Glyph = nullptr;  // the face colour mapped, scaled to the dpi
        HBITMAP Mask = nullptr;   // 1 where the face shows through, for the disabled look
    };

    std::vector<int> Lengths() const;
    int GadgetAt(POINT point) const;
    void LoadGlyph(Gadget& gadget) const;
    void DrawGlyph(HDC dc, const Gadget& gadget, int x, int y) const;
    void SetHot(int index);

    std::unique_ptr<TFont> font_;
    int dpi_;
    GadgetMetrics metrics_;
    std::vector<Gadget> gadgets_;
    BarLayout layout_;
    bool vertical_ = false;
    bool gripper_ = false;
    int hot_ = -1;
    int pressed_ = -1;
    bool pressedInside_ = false;
    bool trackingLeave_ = false;
};

}  // namespace lrx::fw
