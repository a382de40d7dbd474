#include "Forms.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "Menus.h"

namespace gui {

namespace {

BOOL CALLBACK CollectEnabledWindow(HWND hwnd, LPARAM param) {
  if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd))
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

}  // namespace

// --- TForm -------------------------------------------------------------------

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner) {
  SetVisible(false);
  SetParentFont(false);
  SetColor(clBtnFace);
  // The screen it will most likely show on; the window says for sure once
  // it exists.
  ChangeDpi(SystemDpi());
}

TForm::~TForm() {
  DestroyHandle();
  SetMenu(nullptr);
}

void TForm::SetMenu(TMainMenu* menu) {
  if (menu == menu_) return;
  if (menu_) {
    if (HandleAllocated()) ::SetMenu(handle_, nullptr);
    menu_->form_ = nullptr;
  }
  if (menu && menu->form_) menu->form_->SetMenu(nullptr);
  menu_ = menu;
  if (menu_) {
    menu_->form_ = this;
    if (HandleAllocated()) ::SetMenu(handle_, menu_->Handle());
  }
  if (HandleAllocated()) DrawMenuBar(handle_);
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
  ChangeStyle([&] { borderStyle_ = style; });
}

void TForm::SetBorderIcons(unsigned icons) {
  ChangeStyle([&] { borderIcons_ = icons; });
}

void TForm::SetShowInTaskbar(bool show) {
  ChangeStyle([&] { showInTaskbar_ = show; });
}

void TForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

void TForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.exStyle |= WS_EX_CONTROLPARENT;
  switch (borderStyle_) {
    case bsNone:
      params.style |= WS_POPUP;
      break;
    case bsDialog:
      params.style |= WS_POPUP | WS_CAPTION;
      params.exStyle |= WS_EX_DLGMODALFRAME;
      break;
    case bsSingle:
      params.style |= WS_CAPTION;
      break;
    case bsSizeable:
      params.style |= WS_CAPTION | WS_THICKFRAME;
      break;
  }
  if (borderStyle_ != bsNone) {
    if (borderIcons_ & biSystemMenu) params.style |= WS_SYSMENU;
    if (borderStyle_ != bsDialog) {
      if (borderIcons_ & biMinimize) params.style |= WS_MINIMIZEBOX;
      if (borderIcons_ & biMaximize) params.style |= WS_MAXIMIZEBOX;
    }
  }
  if (showInTaskbar_) params.exStyle |= WS_EX_APPWINDOW;
}

void TForm::SetClientSize(int width, int height) {
  clientWidth_ = width;
  clientHeight_ = height;
  clientDesigned_ = true;
  FitClientSize();
}

void TForm::FitClientSize() {
  TCreateParams params;
  CreateParams(params);
  const RECT r = WindowRectForClient(RECT{0, 0, Scale(clientWidth_), Scale(clientHeight_)}, params.style,
                                     menu_ != nullptr, params.exStyle, Dpi());
  SetPixelBounds(Left(), Top(), r.right - r.left, r.bottom - r.top);
}

int TForm::ClientWidth() {
  return HandleAllocated() || !clientDesigned_ ? TWinControl::ClientWidth() : Scale(clientWidth_);
}
int TForm::ClientHeight() {
  return HandleAllocated() || !clientDesigned_ ? TWinControl::ClientHeight() : Scale(clientHeight_);
}

SIZE TForm::DesignClientSize() const {
  if (clientDesigned_) return SIZE{clientWidth_, clientHeight_};
  // A form given no client area is designed as it stands.
  RECT r{0, 0, Width(), Height()};
  if (handle_) GetClientRect(handle_, &r);
  return SIZE{UnscaleFromDpi(r.right, Dpi()), UnscaleFromDpi(r.bottom, Dpi())};
}

void TForm::MoveToDpi(int dpi, const RECT* suggested) {
  ChangeDpi(dpi);
  if (suggested)
    SetPixelBounds(suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top);
  else if (clientDesigned_)
    FitClientSize();
}

void TForm::CreateWnd() {
  if (menu_) ::SetMenu(handle_, menu_->Handle());
  // On a screen of another DPI than the system's the window takes the size
  // its design has there.
  const int dpi = WindowDpi(handle_);
  if (dpi != Dpi()) MoveToDpi(dpi, nullptr);
}

void TForm::DestroyWnd() {
  // A window destroys the menu bar it shows; this one belongs to its menu.
  if (menu_) ::SetMenu(handle_, nullptr);
}

void TForm::Centre() {
  // On the screen of the window the user works in (the main one while none
  // is active), clear of the taskbar, as the system centres its dialogs.
  MONITORINFO screen{};
  screen.cbSize = sizeof screen;
  if (!GetMonitorInfoA(MonitorFromWindow(GetActiveWindow(), MONITOR_DEFAULTTOPRIMARY), &screen))
    screen.rcWork = RECT{0, 0, Screen->Width(), Screen->Height()};
  const RECT& area = screen.rcWork;
  SetPixelBounds(area.left + (area.right - area.left - Width()) / 2, area.top + (area.bottom - area.top - Height()) / 2,
                 Width(), Height());
}

void TForm::Close() {
  if (OnCloseQuery && !OnCloseQuery(this)) return;
  if (OnClose) OnClose(this);
  if (modal_) {
    if (ModalResult == mrNone) ModalResult = mrCancel;
    return;
  }
  Hide();
  if (Application && Application->MainForm() == this) Application->Terminate();
}

TModalResult TForm::ShowModal() {
  // Every other window of the application waits while this one is open, and
  // takes input again however the form ends: closed, or a failure thrown
  // from within (its OnShow, a handler run by the loop). They are enabled
  // before the form hides, so that the activation goes back to them.
  class Modal {
   public:
    explicit Modal(TForm& form) : form_(form) {
      const HWND self = form_.Handle();
      EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow, reinterpret_cast<LPARAM>(&disabled_));
      disabled_.erase(std::remove(disabled_.begin(), disabled_.end(), self), disabled_.end());
      for (HWND hwnd : disabled_) EnableWindow(hwnd, FALSE);
      form_.modal_ = true;
      form_.ModalResult = mrNone;
    }
    ~Modal() {
      for (HWND hwnd : disabled_)
        if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
      form_.Hide();
      form_.modal_ = false;
    }
    Modal(const Modal&) = delete;
    Modal& operator=(const Modal&) = delete;

   private:
    TForm& form_;
    std::vector<HWND> disabled_;
  };
  const Modal modal(*this);
  Show();
  SetForegroundWindow(handle_);
  MSG msg;
  while (ModalResult == mrNone && !Application->Terminated()) {
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      PostQuitMessage(int(msg.wParam));
      break;
    }
    Application->ProcessMessage(msg);
  }
  return ModalResult == mrNone ? mrCancel : ModalResult;
}

void TForm::Paint() {
  // The paint ends however OnPaint does, so a failing one is not asked
  // again at once; its failure is told once, not at every paint that follows.
  struct PaintOwner {
    HWND window;
    PAINTSTRUCT ps{};
    explicit PaintOwner(HWND hwnd) : window(hwnd) { BeginPaint(window, &ps); }
    ~PaintOwner() { EndPaint(window, &ps); }
  } paint(handle_);
  try {
    OnPaint(this);
    paintFailed_ = false;
  } catch (...) {
    if (!std::exchange(paintFailed_, true)) throw;
  }
}

LRESULT TForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (TMenu::HandleMessage(handle_, msg, wParam, lParam, result)) return result;
  switch (msg) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_QUERYENDSESSION:
      // The session ends only as the form would close: the user may still
      // have something to save.
      return !OnCloseQuery || OnCloseQuery(this);
    case WM_ENDSESSION:
      // The process ends with the session, without closing: what closing
      // keeps is kept now.
      if (wParam && OnClose) OnClose(this);
      return 0;
    case WM_SHOWWINDOW:
      if (wParam) {
        if (!shownOnce_ && Position == poScreenCenter) Centre();
        shownOnce_ = true;
        if (OnShow) OnShow(this);
      }
      break;
    case WM_PAINT:
      if (!OnPaint) break;
      Paint();
      return 0;
    case DM_GETDEFID:
      return defaultButtonId_ ? MAKELRESULT(defaultButtonId_, DC_HASDEFID) : 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      if (MinWidth) info->ptMinTrackSize.x = Scale(MinWidth);
      if (MinHeight) info->ptMinTrackSize.y = Scale(MinHeight);
      const SIZE client = MinClientSize();
      if (client.cx > 0 || client.cy > 0) {
        // The frame of this DPI around it, the menu bar included.
        const RECT r = WindowRectForClient(RECT{0, 0, Scale(client.cx), Scale(client.cy)},
                                           DWORD(GetWindowLongPtrA(handle_, GWL_STYLE)), menu_ != nullptr,
                                           DWORD(GetWindowLongPtrA(handle_, GWL_EXSTYLE)), Dpi());
        if (client.cx > 0) info->ptMinTrackSize.x = std::max<LONG>(info->ptMinTrackSize.x, r.right - r.left);
        if (client.cy > 0) info->ptMinTrackSize.y = std::max<LONG>(info->ptMinTrackSize.y, r.bottom - r.top);
      }
      return 0;
    }
    case WM_WINDOWPOSCHANGED: {
      // Moved or sized by the user or the system: the form's place is the
      // window's.
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
      if ((pos->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE) && !IsIconic(handle_)) {
        RECT r;
        GetWindowRect(handle_, &r);
        BoundsChanged(r);
      }
      break;
    }
    case WM_DPICHANGED:
      // Moved to a screen of another DPI: laid out again from its units, in
      // the rectangle the system suggests.
      MoveToDpi(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_COMMAND:
      // Menu commands and accelerators carry no control window; nor does
      // Escape, as the dialog manager reports it to a form without a Cancel
      // button of the system's number.
      if (lParam == 0) {
        if (LOWORD(wParam) == IDCANCEL && modal_) {
          Close();
          return 0;
        }
        if (TMenuItem* item = TMenuItem::FromCommand(LOWORD(wParam))) item->Click();
        return 0;
      }
      break;
    default:
      break;
  }
  return TWinControl::WndProc(msg, wParam, lParam);
}

}  // namespace gui
