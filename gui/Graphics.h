// Colours, fonts and icons.
#pragma once

#include <windows.h>

#include <string>

#include "Classes.h"

namespace gui {

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
// description changes.
class TFont {
 public:
  TFont() = default;
  TFont(const TFont& other) { Assign(other); }
  TFont& operator=(const TFont& other) {
    Assign(other);
    return *this;
  }
  ~TFont();

  void SetName(const std::string& name) { name_ = name; Changed(); }
  void SetHeight(int pixels) { height_ = pixels; Changed(); }
  void SetCharset(BYTE charset) { charset_ = charset; Changed(); }
  void SetStyle(unsigned style) { style_ = style; Changed(); }
  void SetColor(TColor color) { color_ = color; }
  const std::string& Name() const { return name_; }
  int Height() const { return height_; }
  unsigned Style() const { return style_; }
  TColor Color() const { return color_; }

  HFONT Handle() const;

 private:
  void Assign(const TFont& other);
  void Changed();

  std::string name_ = "MS UI Gothic";
  int height_ = 12;
  BYTE charset_ = SHIFTJIS_CHARSET;
  unsigned style_ = 0;
  TColor color_ = clWindowText;
  mutable HFONT handle_ = nullptr;
};

// An icon handle with one owner.
class TIcon {
 public:
  TIcon() = default;
  explicit TIcon(HICON handle) : handle_(handle) {}
  TIcon(TIcon&& other) noexcept : handle_(other.Release()) {}
  TIcon& operator=(TIcon&& other) noexcept {
    SetHandle(other.Release());
    return *this;
  }
  TIcon(const TIcon&) = delete;
  TIcon& operator=(const TIcon&) = delete;
  ~TIcon() { SetHandle(nullptr); }

  HICON Handle() const { return handle_; }
  void SetHandle(HICON handle) {
    if (handle_ && handle_ != handle) DestroyIcon(handle_);
    handle_ = handle;
  }
  HICON Release() {
    HICON h = handle_;
    handle_ = nullptr;
    return h;
  }
  bool Empty() const { return handle_ == nullptr; }

 private:
  HICON handle_ = nullptr;
};

}  // namespace gui
