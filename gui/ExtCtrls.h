// Panels with bevels, and pictures.
#pragma once

#include "Controls.h"

namespace gui {

enum TBevelCut { bvNone, bvLowered, bvRaised };

class TPanel : public TWinControl {
 public:
  explicit TPanel(TComponent* AOwner);
  TBevelCut BevelInner = bvNone;
  TBevelCut BevelOuter = bvRaised;

 protected:
  void CreateParams(TCreateParams& params) override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

// An icon or a bitmap in a frame of its own size. A click on it is reported
// through OnClick.
class TImage : public TWinControl {
 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;
  // Takes ownership of the picture.
  void SetIcon(HICON icon);
  void SetBitmap(HBITMAP bitmap);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void CNCommand(WORD code) override;

 private:
  HICON icon_ = nullptr;
  HBITMAP bitmap_ = nullptr;
};

}  // namespace gui
