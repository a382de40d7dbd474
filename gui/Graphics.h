// Colours, fonts and icons.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "Classes.h"
#include "Handle.h"

namespace gui {

// What owns a GDI object (font, brush, bitmap): DeleteObject closes it.
template <class H>
struct GdiObjectTraits {
  using Handle = H;
  static void Close(H h) { DeleteObject(h); }
};
using TFontHandle = base::UniqueHandle<GdiObjectTraits<HFONT>>;
using TBrushHandle = base::UniqueHandle<GdiObjectTraits<HBRUSH>>;

// A colour is an RGB value or, with the high bit set, a system colour index.
using TColor = uint32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clBtnFace = 0x80000000 | COLOR_BTNFACE;
constexpr TColor clWindow = 0x80000000 | COLOR_WINDOW;
constexpr TColor clWindowText = 0x80000000 | COLOR_WINDOWTEXT;
COLORREF ColorToRGB(TColor color);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2 };

// A font description; the GDI font is made on first use and kept until the
// description changes. A change reaches OnChange before the old font goes,
// so the window that shows this font can take the new one first. Heights
// are pixels at 96 dpi; the font is made for the DPI of the window that
// shows it.
class TFont {
 public:
  TFont() = default;
  // A copy takes the description, never the handler.
  TFont(const TFont& other) { Assign(other); }
  TFont& operator=(const TFont& other) {
    Assign(other);
    return *this;
  }

  void SetName(const std::string& name) { name_ = name; Changed(); }
  void SetHeight(int pixels) { height_ = pixels; Changed(); }
  void SetCharset(BYTE charset) { charset_ = charset; Changed(); }
  void SetStyle(unsigned style) { style_ = style; Changed(); }
  void SetColor(TColor color) {
    color_ = color;
    if (OnChange) OnChange();
  }
  // The DPI of the window that shows the font; not part of the
  // description, so a copy keeps its own.
  void SetPixelsPerInch(int dpi);
  int Height() const { return height_; }
  // The height in pixels at the font's DPI.
  int PixelHeight() const;
  TColor Color() const { return color_; }

  HFONT Handle() const;
  std::function<void()> OnChange;

 private:
  void Assign(const TFont& other);
  void Changed();

  std::string name_ = "MS UI Gothic";
  int height_ = 12;
  BYTE charset_ = SHIFTJIS_CHARSET;
  unsigned style_ = 0;
  TColor color_ = clWindowText;
  int pixelsPerInch_ = 96;
  mutable TFontHandle handle_;
};

struct IconTraits {
  using Handle = HICON;
  static void Close(HICON h) { DestroyIcon(h); }
};
// An icon with one owner.
class TIcon : public base::UniqueHandle<IconTraits> {
 public:
  using UniqueHandle::UniqueHandle;
};

// A bitmap with one owner.
class TBitmap : public base::UniqueHandle<GdiObjectTraits<HBITMAP>> {
 public:
  using UniqueHandle::UniqueHandle;
};

// What the system tells of an icon (GetIconInfo), the two bitmaps it makes
// for the asker owned; both empty when the handle is no icon.
struct TIconInfo {
  explicit TIconInfo(HICON icon);
  explicit operator bool() const { return !mask.Empty() || !color.Empty(); }
  // The icon's width and height in pixels; 0 x 0 for no icon.
  SIZE Size() const;
  TBitmap color, mask;
};

// The icon, when the system can describe the handle as one; else empty, the
// handle let go. Some systems hand back a handle that is no icon when a file
// has none.
TIcon RealIcon(HICON handle);

struct MemoryDcTraits {
  using Handle = HDC;
  static void Close(HDC dc) { DeleteDC(dc); }
};
// A device context of its own in memory, compatible with the screen.
class TMemoryDc : public base::UniqueHandle<MemoryDcTraits> {
 public:
  TMemoryDc() : UniqueHandle(CreateCompatibleDC(nullptr)) {}
};

}  // namespace gui
