#include "Graphics.h"

#include <cstring>

namespace gui {

COLORREF ColorToRGB(TColor color) {
  return (color & 0x80000000) ? GetSysColor(int(color & 0xFF)) : COLORREF(color);
}

TFont::~TFont() { Changed(); }

void TFont::Assign(const TFont& other) {
  name_ = other.name_;
  height_ = other.height_;
  charset_ = other.charset_;
  style_ = other.style_;
  color_ = other.color_;
  Changed();
}

void TFont::Changed() {
  if (handle_) DeleteObject(handle_);
  handle_ = nullptr;
}

HFONT TFont::Handle() const {
  if (!handle_) {
    LOGFONTA lf{};
    lf.lfHeight = -height_;
    lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style_ & fsItalic) ? TRUE : FALSE;
    lf.lfCharSet = charset_;
    lf.lfQuality = DEFAULT_QUALITY;
    strncpy(lf.lfFaceName, name_.c_str(), LF_FACESIZE - 1);
    handle_ = CreateFontIndirectA(&lf);
  }
  return handle_;
}

}  // namespace gui
