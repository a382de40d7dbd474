#include "Controls.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "Forms.h"
#include "SysUtils.h"

namespace gui {

LRESULT CALLBACK LayerWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

namespace {

// The class of the layer's own windows.
const char kLayerWindowClass[] = "OstrevanWindow";

// Marks a window as one of ours; standard controls keep their user data free.
const char kControlProp[] = "OstrevanControl";

int NextControlId() {
  static int next = 1000;
  if (next >= 0x7FFF) next = 1000;
  return next++;
}

}  // namespace

void RegisterWindowClass(const char* name, WNDPROC proc, UINT style) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.hInstance = GetModuleHandleA(nullptr);
  if (GetClassInfoExA(wc.hInstance, name, &wc)) return;
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hIcon = LoadIconA(wc.hInstance, "MAINICON");
  wc.lpszClassName = name;
  RegisterClassExA(&wc);
}

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
    HandleWindowException();
    return 0;
  }
}

TWinControl::TWinControl(TComponent* AOwner) : TComponent(AOwner), id_(NextControlId()) {
  Font.OnChange = [this] { FontChanged(); };
}

TWinControl::~TWinControl() {
  DestroyHandle();
  SetParent(nullptr);
  // Children that are owned elsewhere outlive this window only as objects.
  for (TWinControl* c : controls_) c->parent_ = nullptr;
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
    // The control is drawn at its new form's DPI, from its units.
    SetDpiTree(parent_->dpi_);
    if (align_ == alNone) Place(LayoutRect());
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
  if (ownClass) RegisterWindowClass(kLayerWindowClass, LayerWindowProc, CS_DBLCLKS);
  const HMENU id = parent_ ? reinterpret_cast<HMENU>(INT_PTR(id_)) : nullptr;
  HWND hwnd = params.unicode && !ownClass
                  ? CreateWindowExW(params.exStyle, AnsiToWide(params.className).c_str(),
                                    AnsiToWide(params.caption).c_str(), params.style, left_, top_, width_, height_,
                                    parentWindow, id, GetModuleHandleA(nullptr), nullptr)
                  : CreateWindowExA(params.exStyle, ownClass ? kLayerWindowClass : params.className,
                                    params.caption.c_str(), params.style, left_, top_, width_, height_,
                                    parentWindow, id, GetModuleHandleA(nullptr), ownClass ? this : nullptr);
  if (!hwnd) throw EOSError::LastError("ウィンドウを作成できません。");
  if (!ownClass) {
    handle_ = hwnd;
    SetPropA(hwnd, kControlProp, this);
  }
  // A window whose making failed halfway goes again: only a whole one is kept.
  try {
    SendMessageA(hwnd, WM_SETFONT, WPARAM(EffectiveFont().Handle()), FALSE);
    CreateWnd();
    // A hidden top-level window makes its controls when it is first shown:
    // the launcher's form owns the popup but is never seen in that role.
    if (parent_ || visible_) CreateChildHandles();
  } catch (...) {
    DestroyHandle();
    throw;
  }
}

void TWinControl::CreateChildHandles() {
  bool created = false, early = false;
  for (TWinControl* c : controls_)
    if (!c->handle_) {
      c->CreateHandle();
      created = true;
    } else {
      early = true;
    }
  if (!created) return;
  // Controls made early on demand take their place again, so the tab order
  // is the order of declaration; new windows go below their siblings, so
  // controls made here in turn are in that order already.
  if (early)
    for (TWinControl* c : controls_)
      SetWindowPos(c->handle_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  AlignControls();
}

void TWinControl::CreateWnd() {}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  for (TWinControl* c : controls_) c->DestroyHandle();
  DestroyWnd();
  // Whatever the window hears while it goes (focus, capture, its items
  // freed) no longer reaches the control, whose events may call into a form
  // that is itself being destroyed.
  HWND hwnd = std::exchange(handle_, nullptr);
  RemovePropA(hwnd, kControlProp);
  DestroyWindow(hwnd);
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

SIZE TWinControl::TextExtent(const std::string& text, UINT format, int width) const {
  RECT r{0, 0, std::max(width, 1), 0};
  HDC dc = GetDC(nullptr);
  if (!dc) return SIZE{0, 0};
  const HGDIOBJ old = SelectObject(dc, EffectiveFont().Handle());
  DrawTextA(dc, text.c_str(), int(text.size()), &r, format | DT_CALCRECT | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

void TWinControl::SetCaption(const std::string& text) {
  caption_ = text;
  if (handle_) SetWindowTextA(handle_, caption_.c_str());
  if (growToCaption_ && align_ == alNone) Place(LayoutRect());
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

void TWinControl::ChangeStyle(const std::function<void()>& change) {
  TCreateParams before;
  CreateParams(before);
  change();
  if (!handle_) return;
  TCreateParams after;
  CreateParams(after);
  // Only the bits that changed: the rest is the window's own business.
  auto apply = [this](int index, DWORD changed, DWORD wanted) {
    if (!changed) return false;
    const LONG_PTR now = GetWindowLongPtrA(handle_, index);
    SetWindowLongPtrA(handle_, index, (now & ~LONG_PTR(changed)) | LONG_PTR(wanted & changed));
    return true;
  };
  const bool style = apply(GWL_STYLE, before.style ^ after.style, after.style);
  if (!apply(GWL_EXSTYLE, before.exStyle ^ after.exStyle, after.exStyle) && !style) return;
  SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Invalidate();
}

const TFont& TWinControl::EffectiveFont() const {
  return (parentFont_ && parent_) ? parent_->EffectiveFont() : Font;
}

void TWinControl::SetParentFont(bool parentFont) {
  parentFont_ = parentFont;
  FontChanged();
}

void TWinControl::FontChanged() {
  if (growToCaption_ && align_ == alNone) Place(LayoutRect());
  if (!handle_) return;
  SendMessageA(handle_, WM_SETFONT, WPARAM(EffectiveFont().Handle()), TRUE);
  for (TWinControl* c : controls_)
    if (c->parentFont_) c->FontChanged();
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
  if (brush_.Empty() || brushColor_ != color) {
    brush_.SetHandle(CreateSolidBrush(color));
    brushColor_ = color;
  }
  SetBkColor(dc, color);
  SetTextColor(dc, ColorToRGB(EffectiveFont().Color()));
  return brush_.Handle();
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
    case WM_NCPAINT: {
      // A control without frame or scroll bars has nothing to draw there,
      // and under Wine the system's drawing of nothing costs as much as a
      // control's whole background.
      const LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
      const LONG_PTR exStyle = GetWindowLongPtrA(handle_, GWL_EXSTYLE);
      if ((style & WS_CHILD) && !(style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME | WS_HSCROLL | WS_VSCROLL)) &&
          !(exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME)))
        return 0;
      break;
    }
    case WM_SIZE:
      AlignControls();
      break;
    default:
      break;
  }
  return DefWindowProcA(handle_, msg, wParam, lParam);
}

// --- TSubclassedControl ---------------------------------------------------------

TSubclassedControl::~TSubclassedControl() {
  // The subclass calls back into this object: the window must go while the
  // object is still whole.
  DestroyHandle();
}

void TSubclassedControl::CreateWnd() {
  controlProc_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(handle_, GWLP_WNDPROC));
  SetWindowSubclass(handle_, Proc, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT TSubclassedControl::ControlProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  return controlProc_ ? CallWindowProcA(controlProc_, handle_, msg, wParam, lParam)
                      : SendMessageA(handle_, msg, wParam, lParam);
}

LRESULT CALLBACK TSubclassedControl::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<TSubclassedControl*>(data);
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, Proc, 1);
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
  }
  if (self->handle_ != hwnd) return ::DefSubclassProc(hwnd, msg, wParam, lParam);
  try {
    return self->SubclassProc(msg, wParam, lParam);
  } catch (...) {
    HandleWindowException();
    return 0;
  }
}

LRESULT TSubclassedControl::SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (ReflectMessage(msg, wParam, lParam, result)) return result;
  return DefSubclassProc(msg, wParam, lParam);
}

LRESULT TSubclassedControl::DefSubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  return ::DefSubclassProc(handle_, msg, wParam, lParam);
}

}  // namespace gui
