// Control objects over the system's control classes. Constructed with only a
// parent and an id they are bound to an existing control of a dialog resource;
// constructed with a position they create their own control. Either way the
// object is tied to the control by SetWindowSubclass until the control goes.
#pragma once

#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <string>

#include "window.h"

namespace lrx::fw {

class TControl : public TWindow {
  public:
    // Bound to the parent dialog's control `id`.
    TControl(TWindow* parent, int id, const char* systemClass);
    // Creates its own control.
    TControl(TWindow* parent, int id, const char* systemClass, const char* text, int x, int y,
             int w, int h);

    // Only unties: the control's window goes with its parent's. Destroying it
    // here would send notifications to a parent object that may itself be
    // half destroyed (controls are usually its members).
    ~TControl() override { Untie(); }

    static const TResponseTable& Table();
    const TResponseTable& Responses() const override { return Table(); }

    bool Create() override;
    bool IsBoundById() const { return boundById_; }
    int GetId() const { return Attr.Id; }

    void SetText(const char* text) { SetCaption(text); }
    std::string GetText() const { return GetCaption(); }

  protected:
    // Called once the control exists: apply what was set before.
    void SetupWindow() override {}

  private:
    const char* systemClass_;
    bool boundById_;
};

class TStatic : public TControl {
  public:
    TStatic(TWindow* parent, int id) : TControl(parent, id, "STATIC") {}
    TStatic(TWindow* parent, int id, const char* text, int x, int y, int w, int h)
        : TControl(parent, id, "STATIC", text, x, y, w, h) {}
};

class TButton : public TControl {
  public:
    TButton(TWindow* parent, int id) : TControl(parent, id, "BUTTON") {}
    TButton(TWindow* parent, int id, const char* text, int x, int y, int w, int h)
        : TControl(parent, id, "BUTTON", text, x, y, w, h) {
        Attr.Style |= BS_PUSHBUTTON | WS_TABSTOP;
    }
};

class TEdit : public TControl {
  public:
    TEdit(TWindow* parent, int id) : TControl(parent, id, "EDIT") {}
    TEdit(TWindow* parent, int id, const char* text, int x, int y, int w, int h)
        : TControl(parent, id, "EDIT", text, x, y, w, h) {
        Attr.Style |= WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP;
    }
    // Copies line `line` into `text`, at most size - 1 characters and always
    // terminated. False when the line did not fit whole.
    bool GetLine(char* text, int size, int line = 0) const;
};

// A progress bar on "msctls_progress32". Range, value and colour may be set
// before the control exists; they are applied when it does.
class TGauge : public TControl {
  public:
    TGauge(TWindow* parent, int id) : TControl(parent, id, PROGRESS_CLASSA) {}
    TGauge(TWindow* parent, int id, int x, int y, int w, int h)
        : TControl(parent, id, PROGRESS_CLASSA, "", x, y, w, h) {}

    void SetRange(int min, int max);
    void SetValue(int value);
    int GetValue() const;
    void GetRange(int& min, int& max) const;
    void SetColor(COLORREF color);

  protected:
    void SetupWindow() override;

  private:
    int min_ = 0;
    int max_ = 100;
    int value_ = 0;
    COLORREF color_ = CLR_DEFAULT;
};

// A header control of text items whose widths the user drags; its click and
// end-of-drag notifications reach the parent's table as WM_NOTIFY entries
// (HDN_ITEMCLICK, HDN_ENDTRACK), with ClickedItem giving the item. Widths are
// given for a 96-dpi screen and grow with the screen's dpi, as its height does.
class TColumnHeader : public TControl {
  public:
    static constexpr int DefaultItemWidth = 100;

    TColumnHeader(TWindow* parent, int id, int x, int y, int w, int h)
        : TControl(parent, id, WC_HEADERA, "", x, y, w, h) {
        Attr.Style |= HDS_HORZ;
    }

    // Appends an item `width` pixels wide at 96 dpi; returns its index or -1.
    int Add(const char* text, int width = DefaultItemWidth);
    int GetCount() const;
    // The item's width in pixels, as it is now.
    int GetItemWidth(int index) const;
    // Places the header at the top of the parent's client area, adding
    // `swpFlags` (SWP_SHOWWINDOW); returns its height in pixels.
    int Layout(UINT swpFlags = 0);
    static int ClickedItem(const NMHDR& notification) {
        return reinterpret_cast<const NMHEADERA&>(notification).iItem;
    }
};

}  // namespace lrx::fw
