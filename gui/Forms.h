// Forms: the windows the user works in, modal or not.
#pragma once

#include <windows.h>

#include <string>

#include "Application.h"
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
  // Asked before the form closes, and before the Windows session ends;
  // false keeps it open (the user may still have something to save).
  std::function<bool(TObject* Sender)> OnCloseQuery;
  // Runs as the form closes, and as the session ends, which ends the
  // process without a close.
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
  int DefaultButtonId() const { return defaultButtonId_; }

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
  void Paint();
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
  bool paintFailed_ = false;  // the last paint failed and was reported
  int clientWidth_ = 0, clientHeight_ = 0;
  int defaultButtonId_ = 0;
};


}  // namespace gui
