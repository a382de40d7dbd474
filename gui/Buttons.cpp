#include "Buttons.h"

namespace gui {

TSpeedButton::TSpeedButton(TComponent* AOwner) : TWinControl(AOwner) {}

void TSpeedButton::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.style |= WS_TABSTOP;
}

void TSpeedButton::SetGlyph(TImageList* images, int index) {
  index_ = index;
  images_.SetList(images);
  Invalidate();
}

void TSpeedButton::Click() {
  if (Enabled() && OnClick) OnClick(this);
}

void TSpeedButton::SetState(bool hot, bool down) {
  if (hot == hot_ && down == down_) return;
  hot_ = hot;
  down_ = down;
  Invalidate();
}

void TSpeedButton::Paint(HDC dc) {
  RECT r;
  GetClientRect(handle_, &r);
  FillRect(dc, &r, CtlColor(dc));
  const bool focused = GetFocus() == handle_;
  if (Enabled() && (hot_ || down_ || focused)) DrawEdge(dc, &r, down_ ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  if (focused) {
    RECT inner = r;
    InflateRect(&inner, -3, -3);
    DrawFocusRect(dc, &inner);
  }
  const TImageList* images = images_.List();
  if (!images) return;
  const int shift = down_ ? 1 : 0;
  images->Draw(dc, (r.right - images->Width()) / 2 + shift, (r.bottom - images->Height()) / 2 + shift,
               index_, Enabled());
}

LRESULT TSpeedButton::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  const POINT at{short(LOWORD(lParam)), short(HIWORD(lParam))};
  RECT client{};
  if (handle_) GetClientRect(handle_, &client);
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // the picture fills it all
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(handle_, &ps);
      Paint(dc);
      EndPaint(handle_, &ps);
      return 0;
    }
    case WM_MOUSEMOVE: {
      if (!hot_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, handle_, 0};
        TrackMouseEvent(&track);
      }
      const bool inside = PtInRect(&client, at) != 0;
      SetState(inside, pressed_ && inside);
      return 0;
    }
    case WM_MOUSELEAVE:
      if (!pressed_) SetState(false, false);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      pressed_ = true;
      SetCapture(handle_);
      SetState(true, true);
      return 0;
    case WM_LBUTTONUP: {
      const bool clicked = pressed_ && PtInRect(&client, at);
      pressed_ = false;
      if (GetCapture() == handle_) ReleaseCapture();
      SetState(PtInRect(&client, at) != 0, false);
      if (clicked) Click();
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (pressed_ && reinterpret_cast<HWND>(lParam) != handle_) {
        pressed_ = false;
        SetState(false, false);
      }
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Invalidate();
      break;
    case WM_GETDLGCODE:
      // Enter presses this button, not the window's default one.
      return lParam && reinterpret_cast<const MSG*>(lParam)->wParam == VK_RETURN ? DLGC_WANTMESSAGE : 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE || wParam == VK_RETURN) {
        Click();
        return 0;
      }
      break;
    case WM_ENABLE:
      pressed_ = false;
      hot_ = down_ = false;
      Invalidate();
      break;
    default:
      break;
  }
  return TWinControl::WndProc(msg, wParam, lParam);
}

}  // namespace gui
