// Panels with bevels, and pictures.
#pragma once

#include "Controls.h"

namespace gui {

enum TBevelCut { bvNone, bvLowered, bvRaised };

class TPanel : public TWinControl {
 public:
  explicit TPanel(TComponent* AOwner);
  // The edges, drawn anew at once on a live panel.
  void SetBevelInner(TBevelCut cut);
  void SetBevelOuter(TBevelCut cut);

 protected:
  void CreateParams(TCreateParams& params) override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  TBevelCut bevelInner_ = bvNone;
  TBevelCut bevelOuter_ = bvRaised;
};

// An icon or a bitmap in a frame of its own size. It owns the picture it
// shows; a new one takes the place of the old at once. A click on it is
// reported through OnClick.
class TImage : public TWinControl {
 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;
  void SetIcon(TIcon icon);
  void SetBitmap(TBitmap bitmap);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void CNCommand(WORD code) override;

 private:
  void ShowPicture(HBITMAP oldBitmap);
  void ForgetCopy(LRESULT shown, HBITMAP oldBitmap);
  TIcon icon_;
  TBitmap bitmap_;
};

// A bar between two aligned controls that the user drags to share the room
// between them: it resizes the control aligned on the same side before it.
class TSplitter : public TWinControl {
 public:
  explicit TSplitter(TComponent* AOwner);
  // The resized control keeps at least this size (96-dpi units), and the
  // room left to the controls beyond the bar at least MinRest.
  int MinSize = 30;
  int MinRest = 30;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  TWinControl* Neighbour() const;
  bool tracking_ = false;
  int grab_ = 0;        // where the bar was taken, in the parent's coordinates
  int startSize_ = 0;   // the neighbour's size then
};

// Calls OnTimer every interval (a second unless set) while enabled, which it
// is from the start. The ticks come as messages, so they run on the thread's
// message loop between other messages.
class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  void SetInterval(unsigned milliseconds);
  TNotifyEvent OnTimer;

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void Update();
  bool enabled_ = true;
  unsigned interval_ = 1000;
  UINT_PTR id_ = 0;
};

}  // namespace gui
