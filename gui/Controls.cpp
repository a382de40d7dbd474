#include "Controls.h"

#include <algorithm>

#include "Forms.h"

namespace gui {

const char kLayerWindowClass[] = "OstrevanWindow";

LRESULT CALLBACK LayerWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

namespace {

// Marks a window as one of ours; standard controls keep their user data free.
const char kControlProp[] = "OstrevanControl";

int NextControlId() {
  static int next = 1000;
  if (next >= 0x7FFF) next = 1000;
  return next++;
}

void RegisterLayerClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = LayerWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hIcon = LoadIconA(wc.hInstance, "MAINICON");
  wc.lpszClassName = kLayerWindowClass;
  RegisterClassExA(&wc);
  registered = true;
}

}  // namespace

LRESULT CALLBACK LayerWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<TWinControl*>(GetPropA(hwnd, kControlProp));
  if (msg == WM_NCCREATE) {
    self = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->handle_ = hwnd;
    SetPropA(hwnd, kControlProp, self);
  }
  if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    RemovePropA(hwnd, kControlProp);
    self->handle_ = nullptr;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  // An exception must not unwind through the system's frames: it ends here,
  // in the application's error box, and the message loop goes on.
  try {
    return self->WndProc(msg, wParam, lParam);
  } catch (...) {
    Application->HandleException();
    return 0;
  }
}

TWinControl::TWinControl(TComponent* AOwner) : TComponent(AOwner), id_(NextControlId()) {}

TWinControl::~TWinControl() {
  DestroyHandle();
  SetParent(nullptr);
  // Children that are owned elsewhere outlive this window only as objects.
  for (TWinControl* c : controls_) c->parent_ = nullptr;
  if (brush_) DeleteObject(brush_);
}

TWinControl* TWinControl::FromHandle(HWND hwnd) {
  return hwnd ? static_cast<TWinControl*>(GetPropA(hwnd, kControlProp)) : nullptr;
}

void TWinControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent_) {
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    DestroyHandle();
  }
  parent_ = parent;
  if (parent_) {
    parent_->controls_.push_back(this);
    if (parent_->HandleAllocated()) {
      CreateHandle();
      parent_->AlignControls();
    }
  }
}

HWND TWinControl::Handle() {
  if (!handle_) {
    if (parent_) parent_->Handle();  // creates this window along with its siblings
    if (!handle_) CreateHandle();
  }
  return handle_;
}

void TWinControl::CreateParams(TCreateParams& params) {
  params.caption = caption_;
  params.style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (parent_) params.style |= WS_CHILD;
  if (visible_ && parent_) params.style |= WS_VISIBLE;
  if (!enabled_) params.style |= WS_DISABLED;
}

void TWinControl::CreateHandle() {
  TCreateParams params;
  CreateParams(params);
  HWND parentWindow = parent_ ? parent_->handle_ : Application->Handle();
  const bool ownClass = params.className == nullptr;
  if (ownClass) RegisterLayerClass();
  HWND hwnd = CreateWindowExA(params.exStyle, ownClass ? kLayerWindowClass : params.className,
                              params.caption.c_str(), params.style, left_, top_, width_, height_,
                              parentWindow, parent_ ? reinterpret_cast<HMENU>(INT_PTR(id_)) : nullptr,
                              GetModuleHandleA(nullptr), ownClass ? this : nullptr);
  if (!hwnd) throw EOSError::LastError("CreateWindowEx");
  if (!ownClass) {
    handle_ = hwnd;
    SetPropA(hwnd, kControlProp, this);
  }
  SendMessageA(hwnd, WM_SETFONT, WPARAM(EffectiveFont().Handle()), FALSE);
  CreateWnd();
  // A hidden top-level window makes its controls when it is first shown: the
  // launcher's form owns the popup but is never seen in that role.
  if (parent_ || visible_) CreateChildHandles();
}

void TWinControl::CreateChildHandles() {
  bool created = false;
  for (TWinControl* c : controls_)
    if (!c->handle_) {
      c->CreateHandle();
      created = true;
    }
  if (!created) return;
  // Controls made early on demand take their place again, so the tab order
  // is the order of declaration.
  for (TWinControl* c : controls_)
    SetWindowPos(c->handle_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  AlignControls();
}

void TWinControl::CreateWnd() {}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  for (TWinControl* c : controls_) c->DestroyHandle();
  HWND hwnd = handle_;
  RemovePropA(hwnd, kControlProp);
  DestroyWindow(hwnd);
  handle_ = nullptr;
}

int TWinControl::ClientWidth() {
  if (!handle_) return width_;
  RECT r;
  GetClientRect(handle_, &r);
  return r.right;
}

int TWinControl::ClientHeight() {
  if (!handle_) return height_;
  RECT r;
  GetClientRect(handle_, &r);
  return r.bottom;
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  UpdateBounds();
}

void TWinControl::UpdateBounds() {
  if (handle_)
    SetWindowPos(handle_, nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::SetCaption(const std::string& text) {
  caption_ = text;
  if (handle_) SetWindowTextA(handle_, caption_.c_str());
}

std::string TWinControl::GetText() {
  if (!handle_) return caption_;
  const int n = GetWindowTextLengthA(handle_);
  std::string text(size_t(n) + 1, '\0');
  const int got = GetWindowTextA(handle_, text.data(), n + 1);
  text.resize(size_t(std::clamp(got, 0, n)));
  return text;
}

void TWinControl::SetVisible(bool visible) {
  visible_ = visible;
  if (visible && !parent_) Handle();  // showing a window makes it
  if (handle_ && visible) CreateChildHandles();
  if (handle_) ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE);
  if (parent_) parent_->AlignControls();
}

void TWinControl::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (handle_) EnableWindow(handle_, enabled);
}

void TWinControl::SetFocus() { ::SetFocus(Handle()); }

void TWinControl::SetAlign(TAlign align) {
  align_ = align;
  if (parent_) parent_->AlignControls();
}

const TFont& TWinControl::EffectiveFont() const {
  return (ParentFont && parent_) ? parent_->EffectiveFont() : Font;
}

void TWinControl::FontChanged() {
  if (handle_) {
    SendMessageA(handle_, WM_SETFONT, WPARAM(EffectiveFont().Handle()), TRUE);
    for (TWinControl* c : controls_)
      if (c->ParentFont) c->FontChanged();
  }
}

void TWinControl::SetColor(TColor color) {
  color_ = color;
  parentColor_ = false;
  if (handle_) ColorChanged();
}

void TWinControl::ColorChanged() {
  // Children that take this colour repaint with it.
  RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

TColor TWinControl::EffectiveColor() const {
  return (parentColor_ && parent_) ? parent_->EffectiveColor() : color_;
}

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::Repaint() {
  if (handle_) RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

HBRUSH TWinControl::CtlColor(HDC dc) {
  const COLORREF color = ColorToRGB(EffectiveColor());
  if (!brush_ || brushColor_ != color) {
    if (brush_) DeleteObject(brush_);
    brush_ = CreateSolidBrush(color);
    brushColor_ = color;
  }
  SetBkColor(dc, color);
  SetTextColor(dc, ColorToRGB(EffectiveFont().Color()));
  return brush_;
}

void TWinControl::AlignControls() {
  if (!handle_) return;
  RECT r;
  GetClientRect(handle_, &r);
  const int dx = lastClientWidth_ < 0 ? 0 : r.right - lastClientWidth_;
  const int dy = lastClientHeight_ < 0 ? 0 : r.bottom - lastClientHeight_;
  lastClientWidth_ = r.right;
  lastClientHeight_ = r.bottom;

  // Aligned children take their strips in the usual order: top, bottom,
  // left, right, and the client child gets what is left.
  RECT rest = r;
  for (TAlign pass : {alTop, alBottom, alLeft, alRight, alClient}) {
    for (TWinControl* c : controls_) {
      if (c->align_ != pass || !c->visible_) continue;
      switch (pass) {
        case alTop:
          c->SetBounds(rest.left, rest.top, rest.right - rest.left, c->height_);
          rest.top += c->height_;
          break;
        case alBottom:
          rest.bottom -= c->height_;
          c->SetBounds(rest.left, rest.bottom, rest.right - rest.left, c->height_);
          break;
        case alLeft:
          c->SetBounds(rest.left, rest.top, c->width_, rest.bottom - rest.top);
          rest.left += c->width_;
          break;
        case alRight:
          rest.right -= c->width_;
          c->SetBounds(rest.right, rest.top, c->width_, rest.bottom - rest.top);
          break;
        default:
          c->SetBounds(rest.left, rest.top, rest.right - rest.left, rest.bottom - rest.top);
          break;
      }
    }
  }
  if (dx || dy)
    for (TWinControl* c : controls_)
      if (c->align_ == alNone) c->ParentResized(dx, dy);
}

void TWinControl::ParentResized(int dx, int dy) {
  int l = left_, t = top_, w = width_, h = height_;
  if (Anchors & akRight) {
    if (Anchors & akLeft) w += dx;
    else l += dx;
  }
  if (Anchors & akBottom) {
    if (Anchors & akTop) h += dy;
    else t += dy;
  }
  if (l != left_ || t != top_ || w != width_ || h != height_) SetBounds(l, t, w, h);
}

bool TWinControl::ReflectMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_COMMAND:
      if (TWinControl* c = FromHandle(reinterpret_cast<HWND>(lParam))) {
        c->CNCommandId(LOWORD(wParam), HIWORD(wParam));
        result = 0;
        return true;
      }
      return false;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (TWinControl* c = FromHandle(header->hwndFrom)) {
        result = c->CNNotify(header);
        return true;
      }
      return false;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      if (TWinControl* c = FromHandle(reinterpret_cast<HWND>(lParam))) {
        result = reinterpret_cast<LRESULT>(c->CtlColor(reinterpret_cast<HDC>(wParam)));
        return true;
      }
      return false;
    default:
      return false;
  }
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (ReflectMessage(msg, wParam, lParam, result)) return result;
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(handle_, &r);
      FillRect(reinterpret_cast<HDC>(wParam), &r, CtlColor(reinterpret_cast<HDC>(wParam)));
      return 1;
    }
    case WM_SIZE:
      AlignControls();
      break;
    default:
      break;
  }
  return DefWindowProcA(handle_, msg, wParam, lParam);
}

}  // namespace gui
