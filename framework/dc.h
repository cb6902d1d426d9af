// Thin drawing helpers over a device context: objects selected through a TDC
// are put back when it goes, and fonts and pens free themselves.
#pragma once

#include <windows.h>

#include <string_view>

namespace lrx::fw {

class TDC {
  public:
    explicit TDC(HDC dc) : dc_(dc) {}
    virtual ~TDC() { RestoreObjects(); }
    TDC(const TDC&) = delete;
    TDC& operator=(const TDC&) = delete;

    HDC GetHDC() const { return dc_; }

    int GetMapMode() const { return ::GetMapMode(dc_); }
    int SetMapMode(int mode) { return ::SetMapMode(dc_, mode); }
    SIZE GetWindowExt() const;
    SIZE GetViewportExt() const;

    // The first object of each kind that this replaces is selected back on
    // RestoreObjects() or destruction.
    void SelectObject(HGDIOBJ object);
    void RestoreObjects();

    UINT SetTextAlign(UINT align) { return ::SetTextAlign(dc_, align); }
    int GetROP2() const { return ::GetROP2(dc_); }
    int SetROP2(int mode) { return ::SetROP2(dc_, mode); }
    bool ExtTextOut(int x, int y, UINT options, const RECT* clip, std::string_view text);
    bool Rectangle(int left, int top, int right, int bottom) {
        return ::Rectangle(dc_, left, top, right, bottom) != FALSE;
    }

  protected:
    HDC dc_;

  private:
    HGDIOBJ originals_[4] = {};  // font, pen, brush, bitmap
};

// The whole screen's context, for measuring.
class TScreenDC : public TDC {
  public:
    TScreenDC() : TDC(::GetDC(nullptr)) {}
    ~TScreenDC() override;
};

// The screen's pixels per inch (96 unless the user chose larger texts).
int ScreenDpi();

class TFont {
  public:
    TFont(const char* face, int height, int width = 0, int escapement = 0, int orientation = 0,
          int weight = FW_NORMAL, bool italic = false, bool underline = false,
          bool strikeOut = false, BYTE charSet = DEFAULT_CHARSET,
          BYTE outputPrecision = OUT_DEFAULT_PRECIS, BYTE clipPrecision = CLIP_DEFAULT_PRECIS,
          BYTE quality = DEFAULT_QUALITY);
    ~TFont() { ::DeleteObject(font_); }
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;

    HFONT GetHandle() const { return font_; }
    // Measured in a screen context in its default mapping.
    bool GetTextMetrics(TEXTMETRICA& metrics) const;

  private:
    HFONT font_;
};

class TPen {
  public:
    explicit TPen(COLORREF color, int width = 1, int style = PS_SOLID)
        : pen_(::CreatePen(style, width, color)) {}
    ~TPen() { ::DeleteObject(pen_); }
    TPen(const TPen&) = delete;
    TPen& operator=(const TPen&) = delete;

    HPEN GetHandle() const { return pen_; }

  private:
    HPEN pen_;
};

}  // namespace lrx::fw
