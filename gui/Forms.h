// Forms and the application object.
#pragma once

#include <windows.h>

#include <string>

#include "Controls.h"

namespace gui {

class TMainMenu;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };
enum TPosition { poDesigned, poScreenCenter };

// What a modal form answers; 0 keeps it open.
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;

class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* AOwner);
  ~TForm() override;

  // The frame, its buttons and the taskbar button change a live window too.
  void SetBorderStyle(TFormBorderStyle style);
  void SetBorderIcons(unsigned icons);
  // A taskbar button of its own; otherwise the form belongs to the hidden
  // application window, like every window that is not the main one.
  void SetShowInTaskbar(bool show);
  // Where the form appears when it is first shown.
  TPosition Position = poDesigned;
  // The smallest size the user can drag the frame to, in 96-dpi units; the
  // frame also keeps the client area MinClientSize asks for.
  int MinWidth = 0, MinHeight = 0;

  // The client area the form is designed for, in 96-dpi units: the window
  // takes the size that gives it at its DPI, with the frame of that DPI.
  // The form's controls are placed in this area.
  void SetClientSize(int width, int height);
  int ClientWidth() override;
  int ClientHeight() override;
  SIZE DesignClientSize() const override;

  // The menu bar. The menu keeps owning its handle while the window shows
  // it; a window destroyed or made again leaves it whole.
  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* menu);

  TNotifyEvent OnCreate;  // once, right after construction (TApplication::CreateForm)
  TNotifyEvent OnShow;
  TNotifyEvent OnPaint;
  // Asked before the form closes; false keeps it open (the user may still
  // have something to save).
  std::function<bool(TObject* Sender)> OnCloseQuery;
  std::function<void(TObject* Sender)> OnClose;

  // Closes the form unless OnCloseQuery objects; closing the main form ends
  // the application. Escape closes a modal form as its close box does.
  void Close();
  // Shows the form and runs a message loop until ModalResult is set or the
  // form is closed; returns the result.
  TModalResult ShowModal();
  TModalResult ModalResult = mrNone;

  // Enter presses this button's command.
  void SetDefaultButtonId(int id) { defaultButtonId_ = id; }

  void DoCreate();

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool BoundsInPixels() const override { return true; }
  // The smallest client area (96-dpi units) in which nothing the form
  // shows is cut off, asked whenever the user sizes the frame; none (0, 0)
  // by default.
  virtual SIZE MinClientSize() { return SIZE{0, 0}; }

 private:
  void Centre();
  // The window's size for the designed client area at the form's DPI.
  void FitClientSize();
  // The form is drawn at another DPI: its controls follow, and the window
  // takes the suggested rectangle, or else the size of its designed client
  // area at that DPI.
  void MoveToDpi(int dpi, const RECT* suggested);
  bool clientDesigned_ = false;
  TFormBorderStyle borderStyle_ = bsSizeable;
  unsigned borderIcons_ = biSystemMenu | biMinimize | biMaximize;
  bool showInTaskbar_ = false;
  TMainMenu* menu_ = nullptr;
  bool shownOnce_ = false;
  bool modal_ = false;
  int clientWidth_ = 0, clientHeight_ = 0;
  int defaultButtonId_ = 0;
};

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

struct TScreen {
  int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
};
extern TScreen* Screen;

// Posted to the application window to carry out a menu pick after the menu's
// own loop has ended; wParam is the item's command number.
constexpr UINT WM_MENU_PICK = WM_APP + 0x100;

}  // namespace gui
