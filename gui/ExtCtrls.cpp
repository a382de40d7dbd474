#include "ExtCtrls.h"

namespace gui {

TPanel::TPanel(TComponent* AOwner) : TWinControl(AOwner) {}

void TPanel::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.exStyle |= WS_EX_CONTROLPARENT;
}

LRESULT TPanel::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(handle_, &ps);
    RECT r;
    GetClientRect(handle_, &r);
    auto edge = [](TBevelCut outer, TBevelCut inner) {
      UINT e = 0;
      if (outer == bvRaised) e |= BDR_RAISEDOUTER;
      if (outer == bvLowered) e |= BDR_SUNKENOUTER;
      if (inner == bvRaised) e |= BDR_RAISEDINNER;
      if (inner == bvLowered) e |= BDR_SUNKENINNER;
      return e;
    };
    if (UINT e = edge(BevelOuter, BevelInner)) DrawEdge(dc, &r, e, BF_RECT);
    EndPaint(handle_, &ps);
    return 0;
  }
  if (msg == WM_SIZE) InvalidateRect(handle_, nullptr, TRUE);
  return TWinControl::WndProc(msg, wParam, lParam);
}

TImage::TImage(TComponent* AOwner) : TWinControl(AOwner) {}

TImage::~TImage() {
  DestroyHandle();
  if (icon_) DestroyIcon(icon_);
  if (bitmap_) DeleteObject(bitmap_);
}

void TImage::SetIcon(HICON icon) {
  if (icon_) DestroyIcon(icon_);
  icon_ = icon;
  if (HandleAllocated()) CreateWnd();
}

void TImage::SetBitmap(HBITMAP bitmap) {
  if (bitmap_) DeleteObject(bitmap_);
  bitmap_ = bitmap;
  if (HandleAllocated()) CreateWnd();
}

void TImage::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.className = "STATIC";
  params.style |= SS_NOTIFY | (bitmap_ ? SS_BITMAP : SS_ICON) | SS_REALSIZECONTROL;
}

void TImage::CreateWnd() {
  if (icon_) SendMessageA(handle_, STM_SETICON, WPARAM(icon_), 0);
  if (bitmap_) SendMessageA(handle_, STM_SETIMAGE, IMAGE_BITMAP, LPARAM(bitmap_));
}

void TImage::CNCommand(WORD code) {
  if (code == STN_CLICKED && OnClick) OnClick(this);
}

}  // namespace gui
