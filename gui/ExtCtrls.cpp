#include "ExtCtrls.h"

#include <algorithm>
#include <map>

#include "Forms.h"

namespace gui {

TPanel::TPanel(TComponent* AOwner) : TWinControl(AOwner) {}

void TPanel::SetBevelInner(TBevelCut cut) {
  bevelInner_ = cut;
  Invalidate();
}

void TPanel::SetBevelOuter(TBevelCut cut) {
  bevelOuter_ = cut;
  Invalidate();
}

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
    if (UINT e = edge(bevelOuter_, bevelInner_)) DrawEdge(dc, &r, e, BF_RECT);
    EndPaint(handle_, &ps);
    return 0;
  }
  if (msg == WM_SIZE) InvalidateRect(handle_, nullptr, TRUE);
  return TWinControl::WndProc(msg, wParam, lParam);
}

TImage::TImage(TComponent* AOwner) : TWinControl(AOwner) {}

TImage::~TImage() { DestroyHandle(); }

// The old picture goes once the window shows the new one.
void TImage::SetIcon(TIcon icon) {
  const TBitmap oldBitmap = std::move(bitmap_);
  ChangeStyle([&] { std::swap(icon_, icon); });
  ShowPicture(oldBitmap.Handle());
}

void TImage::SetBitmap(TBitmap bitmap) {
  const TIcon oldIcon = std::move(icon_);
  ChangeStyle([&] { std::swap(bitmap_, bitmap); });
  ShowPicture(bitmap.Handle());
}

void TImage::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.className = "STATIC";
  params.style |= SS_NOTIFY | (bitmap_ ? SS_BITMAP : SS_ICON) | SS_REALSIZECONTROL;
}

void TImage::CreateWnd() { ShowPicture(nullptr); }

void TImage::DestroyWnd() { ForgetCopy(SendMessageA(handle_, STM_SETIMAGE, IMAGE_BITMAP, 0), nullptr); }

void TImage::ShowPicture(HBITMAP oldBitmap) {
  if (!HandleAllocated()) return;
  const bool isBitmap = !bitmap_.Empty();
  ForgetCopy(SendMessageA(handle_, STM_SETIMAGE, isBitmap ? IMAGE_BITMAP : IMAGE_ICON,
                          isBitmap ? LPARAM(bitmap_.Handle()) : LPARAM(icon_.Handle())),
             oldBitmap);
}

void TImage::ForgetCopy(LRESULT shown, HBITMAP oldBitmap) {
  // A control that copies the bitmaps it is given hands its copy back, and
  // nobody else frees that one.
  const auto bitmap = reinterpret_cast<HBITMAP>(shown);
  if (bitmap && bitmap != oldBitmap && bitmap != bitmap_.Handle() && GetObjectType(bitmap) == OBJ_BITMAP)
    DeleteObject(bitmap);
}

void TImage::CNCommand(WORD code) {
  if (code == STN_CLICKED && OnClick) OnClick(this);
}

// --- TSplitter ----------------------------------------------------------------

TSplitter::TSplitter(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 3, 100);
  SetAlign(alLeft);
}

TWinControl* TSplitter::Neighbour() const {
  // The control aligned to the same side whose edge touches the bar.
  TWinControl* parent = Parent();
  if (!parent) return nullptr;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TWinControl* c = parent->Controls(i);
    if (c == this || !c->Visible() || c->Align() != Align()) continue;
    if (Align() == alLeft && c->Left() + c->Width() == Left()) return c;
    if (Align() == alRight && c->Left() == Left() + Width()) return c;
    if (Align() == alTop && c->Top() + c->Height() == Top()) return c;
    if (Align() == alBottom && c->Top() == Top() + Height()) return c;
  }
  return nullptr;
}

LRESULT TSplitter::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  const bool horizontal = Align() == alLeft || Align() == alRight;
  switch (msg) {
    case WM_SETCURSOR:
      SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(horizontal ? IDC_SIZEWE : IDC_SIZENS)));
      return TRUE;
    case WM_LBUTTONDOWN: {
      TWinControl* n = Neighbour();
      if (!n) break;
      POINT p{short(LOWORD(lParam)), short(HIWORD(lParam))};
      MapWindowPoints(handle_, Parent()->Handle(), &p, 1);
      tracking_ = true;
      grab_ = horizontal ? p.x : p.y;
      startSize_ = horizontal ? n->Width() : n->Height();
      SetCapture(handle_);
      return 0;
    }
    case WM_MOUSEMOVE: {
      if (!tracking_) break;
      TWinControl* n = Neighbour();
      if (!n) break;
      POINT p{short(LOWORD(lParam)), short(HIWORD(lParam))};
      MapWindowPoints(handle_, Parent()->Handle(), &p, 1);
      int delta = (horizontal ? p.x : p.y) - grab_;
      if (Align() == alRight || Align() == alBottom) delta = -delta;
      // The room the neighbour and whatever lies beyond the bar share.
      const int room = horizontal ? Parent()->ClientWidth() : Parent()->ClientHeight();
      const int others = room - (horizontal ? Width() : Height());
      const int minSize = Scale(MinSize);
      int size = std::max(minSize, startSize_ + delta);
      int limit = others - Scale(MinRest);
      for (int i = 0; i < Parent()->ControlCount(); ++i) {
        TWinControl* c = Parent()->Controls(i);
        if (c == n || c == this || !c->Visible()) continue;
        if (horizontal && (c->Align() == alLeft || c->Align() == alRight)) limit -= c->Width();
        if (!horizontal && (c->Align() == alTop || c->Align() == alBottom)) limit -= c->Height();
      }
      size = std::min(size, std::max(minSize, limit));
      // The neighbour keeps the new size in units, as it was designed.
      if (horizontal) n->SetWidth(UnscaleFromDpi(size, n->Dpi()));
      else n->SetHeight(UnscaleFromDpi(size, n->Dpi()));
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (tracking_) {
        tracking_ = false;
        if (msg == WM_LBUTTONUP) ReleaseCapture();
      }
      return 0;
    default:
      break;
  }
  return TWinControl::WndProc(msg, wParam, lParam);
}

// --- TTimer ---------------------------------------------------------------------

namespace {
std::map<UINT_PTR, TTimer*>& Timers() {
  static std::map<UINT_PTR, TTimer*> timers;
  return timers;
}
}  // namespace

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) { Update(); }

TTimer::~TTimer() {
  enabled_ = false;
  Update();
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Update();
}

void TTimer::SetInterval(unsigned milliseconds) {
  if (milliseconds == interval_) return;
  interval_ = milliseconds;
  Update();
}

void TTimer::Update() {
  if (id_) {
    KillTimer(nullptr, id_);
    Timers().erase(id_);
    id_ = 0;
  }
  // It runs whether or not OnTimer is set yet: a handler set later ticks.
  if (enabled_ && interval_ > 0) {
    id_ = SetTimer(nullptr, 0, interval_, Tick);
    if (!id_) throw EOSError::LastError("タイマーを作成できません。");
    Timers()[id_] = this;
  }
}

void CALLBACK TTimer::Tick(HWND, UINT, UINT_PTR id, DWORD) {
  // A tick already queued for a timer that is gone finds nobody.
  auto it = Timers().find(id);
  if (it == Timers().end()) return;
  try {
    if (it->second->OnTimer) it->second->OnTimer(it->second);
  } catch (...) {
    HandleWindowException();
  }
}

}  // namespace gui
