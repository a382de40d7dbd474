// The application object: the hidden window that owns the forms, the
// message loop, and the error box every failure ends in.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

#include "Classes.h"

namespace gui {

class TForm;

class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;

  void Initialize();
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title);
  // The hidden window that owns the forms, receives menu picks and titles
  // the error box.
  HWND Handle();

  // Creates a form owned by the application; the first one becomes the main
  // form. The reference is set before the form's OnCreate runs.
  template <class T>
  void CreateForm(T*& reference) {
    T* form = new T(this);
    reference = form;
    if (!mainForm_) mainForm_ = form;
    form->DoCreate();
  }
  TForm* MainForm() const { return mainForm_; }
  bool ShowMainForm = true;

  // Runs the message loop until a termination request has been taken up.
  void Run();
  // Asks the loop to end once every message already queued is handled. Unlike
  // a quit message it does not cut short a message box that is still to come.
  void Terminate();
  bool Terminated() const { return terminated_; }

  int MessageBox(const std::string& text, const std::string& caption, UINT flags);
  // What a dialog is owned by, and so disables while it is open: the window
  // the user works in, else the application's own.
  HWND DialogOwner();
  // The standard error box: the message, the title as caption, stop icon, OK.
  void ShowException(const std::exception& e);
  // For the current exception inside a catch block.
  void HandleException();

  // Handles one message the way the loop would; false when it was WM_QUIT.
  // The loops take messages as UTF-16 (GetMessageW): a window of UTF-16
  // text gets a typed character the code page lacks as it is, every other
  // window gets its characters in the code page as always.
  bool ProcessMessage(MSG& msg);

 private:
  static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
  std::string title_;
  HWND handle_ = nullptr;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
};

extern TApplication* Application;

// For the catch block of a window procedure or a timer's callback: the
// current exception ends in the application's error box, and nothing
// unwinds through the system's frames, also when there is no application
// (any more) or the box itself fails.
void HandleWindowException() noexcept;

struct TScreen {
  int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
};
extern TScreen* Screen;

// Posted to the application window to carry out a menu pick after the menu's
// own loop has ended; wParam is the item's command number.
constexpr UINT WM_MENU_PICK = WM_APP + 0x100;

}  // namespace gui
