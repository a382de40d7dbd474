#include "Forms.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <system_error>

#include "Dialogs.h"
#include "Menus.h"

namespace gui {

TApplication* Application = nullptr;
static TScreen screenInstance;
TScreen* Screen = &screenInstance;

namespace {
const char kApplicationClass[] = "OstrevanApplication";

BOOL CALLBACK CollectEnabledWindow(HWND hwnd, LPARAM param) {
  if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd))
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

TForm* FormOf(HWND hwnd) {
  HWND root = hwnd ? GetAncestor(hwnd, GA_ROOT) : nullptr;
  return dynamic_cast<TForm*>(TWinControl::FromHandle(root));
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
  SetPixelBounds((Screen->Width() - Width()) / 2, (Screen->Height() - Height()) / 2, Width(), Height());
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
  // Every other window of the application waits while this one is open.
  std::vector<HWND> disabled;
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow, reinterpret_cast<LPARAM>(&disabled));
  HWND self = Handle();
  for (HWND hwnd : disabled)
    if (hwnd != self) EnableWindow(hwnd, FALSE);

  modal_ = true;
  ModalResult = mrNone;
  Show();
  SetForegroundWindow(self);
  MSG msg;
  while (ModalResult == mrNone && !Application->Terminated()) {
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      PostQuitMessage(int(msg.wParam));
      break;
    }
    Application->ProcessMessage(msg);
  }
  for (HWND hwnd : disabled)
    if (hwnd != self && IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
  Hide();
  modal_ = false;
  const TModalResult result = ModalResult == mrNone ? mrCancel : ModalResult;
  return result;
}

LRESULT TForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT notified = 0;
  if (TMenu::HandleNotify(handle_, msg, wParam, lParam, notified)) return notified;
  switch (msg) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_SHOWWINDOW:
      if (wParam) {
        if (!shownOnce_ && Position == poScreenCenter) Centre();
        shownOnce_ = true;
        if (OnShow) OnShow(this);
      }
      break;
    case WM_PAINT:
      if (OnPaint) {
        PAINTSTRUCT ps;
        BeginPaint(handle_, &ps);
        OnPaint(this);
        EndPaint(handle_, &ps);
        return 0;
      }
      break;
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
    case WM_MEASUREITEM:
    case WM_DRAWITEM: {
      LRESULT result = 0;
      if (TMenu::HandleOwnerDraw(msg, wParam, lParam, result)) return result;
      break;
    }
    default:
      break;
  }
  return TWinControl::WndProc(msg, wParam, lParam);
}

// --- TApplication --------------------------------------------------------------

TApplication::TApplication() : TComponent(nullptr) { Application = this; }

TApplication::~TApplication() {
  // Forms go before the window that owns them.
  while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
  if (handle_) DestroyWindow(handle_);
  if (Application == this) Application = nullptr;
}

void TApplication::Initialize() { Handle(); }

HWND TApplication::Handle() {
  if (!handle_) {
    static bool registered = false;
    if (!registered) {
      WNDCLASSEXA wc{};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = WndProc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.hIcon = LoadIconA(wc.hInstance, "MAINICON");
      wc.lpszClassName = kApplicationClass;
      RegisterClassExA(&wc);
      registered = true;
    }
    handle_ = CreateWindowExA(0, kApplicationClass, title_.c_str(),
                              WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!handle_) throw EOSError::LastError("ウィンドウを作成できません。");
  }
  return handle_;
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  if (handle_) SetWindowTextA(handle_, title_.c_str());
}

LRESULT CALLBACK TApplication::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  try {
    LRESULT notified = 0;
    if (TMenu::HandleNotify(hwnd, msg, wParam, lParam, notified)) return notified;
    switch (msg) {
      case WM_MENU_PICK:
        if (TMenuItem* item = TMenuItem::FromCommand(UINT(wParam))) item->Click();
        return 0;
      case WM_MEASUREITEM:
      case WM_DRAWITEM: {
        LRESULT result = 0;
        if (TMenu::HandleOwnerDraw(msg, wParam, lParam, result)) return result;
        break;
      }
      default:
        break;
    }
  } catch (...) {
    if (Application) Application->HandleException();
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (msg.message == WM_QUIT) return false;
  if (TForm* form = FormOf(msg.hwnd)) {
    HWND root = form->Handle();
    if (form->Menu() && form->Menu()->Accelerators() &&
        TranslateAcceleratorW(root, form->Menu()->Accelerators(), &msg))
      return true;
    if (IsDialogMessageW(root, &msg)) return true;
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  return true;
}

void TApplication::Run() {
  if (ShowMainForm && mainForm_) mainForm_->Show();
  MSG msg;
  for (;;) {
    if (terminated_) {
      if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) break;
    } else if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      break;
    }
    if (!ProcessMessage(msg)) break;
  }
}

void TApplication::Terminate() { terminated_ = true; }

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
  return MessageDlg(DialogOwner(), text, caption, flags);
}

HWND TApplication::DialogOwner() {
  HWND owner = GetActiveWindow();
  return owner ? owner : Handle();
}

void TApplication::ShowException(const std::exception& e) {
  // The programs' own failures carry the user's words; what the standard
  // library throws on its own speaks English to a programmer.
  const char* text = e.what();
  if (dynamic_cast<const std::bad_alloc*>(&e)) text = "メモリが足りません。";
  else if (!dynamic_cast<const std::runtime_error*>(&e) || dynamic_cast<const std::system_error*>(&e))
    text = "予期しないエラーが発生しました。";
  MessageBox(text, title_, MB_ICONSTOP | MB_OK);
}

void TApplication::HandleException() {
  try {
    throw;
  } catch (const std::exception& e) {
    ShowException(e);
  } catch (...) {
    ShowException(Exception("予期しないエラーが発生しました。"));
  }
}

}  // namespace gui
