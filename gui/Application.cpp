#include "Application.h"

#include <new>
#include <stdexcept>
#include <system_error>

#include "Dialogs.h"
#include "Forms.h"
#include "Menus.h"

namespace gui {

TApplication* Application = nullptr;
static TScreen screenInstance;
TScreen* Screen = &screenInstance;

namespace {
const char kApplicationClass[] = "OstrevanApplication";

TForm* FormOf(HWND hwnd) {
  HWND root = hwnd ? GetAncestor(hwnd, GA_ROOT) : nullptr;
  return dynamic_cast<TForm*>(TWinControl::FromHandle(root));
}
}  // namespace

void HandleWindowException() noexcept {
  try {
    if (Application) Application->HandleException();
  } catch (...) {
    // The error box itself failed (no memory left): nothing more can be said.
  }
}

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
    RegisterWindowClass(kApplicationClass, WndProc);
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
    LRESULT result = 0;
    if (TMenu::HandleMessage(hwnd, msg, wParam, lParam, result)) return result;
    if (msg == WM_MENU_PICK) {
      if (TMenuItem* item = TMenuItem::FromCommand(UINT(wParam))) item->Click();
      return 0;
    }
  } catch (...) {
    HandleWindowException();
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
  if (const HWND active = GetActiveWindow()) return active;
  // In the background (files dropped on it from Explorer), the main window
  // still waits for the answer: owned by the hidden application window, the
  // box would leave it open to input and might stand behind Explorer.
  if (mainForm_ && mainForm_->HandleAllocated() && IsWindowVisible(mainForm_->Handle())) return mainForm_->Handle();
  return Handle();
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
