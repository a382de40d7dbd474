#include "Graphics.h"

#include <cstring>
#include <utility>

#include "Dpi.h"

namespace gui {

COLORREF ColorToRGB(TColor color) {
  return (color & 0x80000000) ? GetSysColor(int(color & 0xFF)) : COLORREF(color);
}

void TFont::Assign(const TFont& other) {
  name_ = other.name_;
  height_ = other.height_;
  charset_ = other.charset_;
  style_ = other.style_;
  color_ = other.color_;
  Changed();
}

void TFont::Changed() {
  // Whoever shows the old font takes the new one before the old one goes.
  const TFontHandle old = std::move(handle_);
  if (OnChange) OnChange();
}

void TFont::SetPixelsPerInch(int dpi) {
  if (dpi == pixelsPerInch_ || dpi <= 0) return;
  pixelsPerInch_ = dpi;
  Changed();
}

int TFont::PixelHeight() const { return ScaleToDpi(height_, pixelsPerInch_); }

HFONT TFont::Handle() const {
  if (handle_.Empty()) {
    LOGFONTA lf{};
    lf.lfHeight = -PixelHeight();
    lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style_ & fsItalic) ? TRUE : FALSE;
    lf.lfCharSet = charset_;
    lf.lfQuality = DEFAULT_QUALITY;
    strncpy(lf.lfFaceName, name_.c_str(), LF_FACESIZE - 1);
    handle_.SetHandle(CreateFontIndirectA(&lf));
  }
  return handle_.Handle();
}

TIconInfo::TIconInfo(HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return;
  color.SetHandle(info.hbmColor);
  mask.SetHandle(info.hbmMask);
}

TIcon RealIcon(HICON handle) {
  TIcon icon(handle);
  return TIconInfo(handle) ? std::move(icon) : TIcon();
}

SIZE TIconInfo::Size() const {
  BITMAP shape{};
  if (!GetObjectA(color ? color.Handle() : mask.Handle(), sizeof shape, &shape)) return SIZE{0, 0};
  // A monochrome icon's mask holds its AND half above its XOR half.
  return SIZE{shape.bmWidth, color ? shape.bmHeight : shape.bmHeight / 2};
}

}  // namespace gui
