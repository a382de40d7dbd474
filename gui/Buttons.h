// Flat picture buttons.
#pragma once

#include "Controls.h"
#include "ImgList.h"

namespace gui {

// A small button that shows one picture of an image list and no text. It
// is flat: its edge shows only while the mouse is over it or presses it, and
// like a tool button a click never takes the focus from the field being
// edited. Tab reaches it, though, and Space or Enter then press it.
// Disabled, it shows its picture greyed and ignores the mouse.
class TSpeedButton : public TWinControl {
 public:
  explicit TSpeedButton(TComponent* AOwner);
  // Picture `index` of the list; the list is not owned, and the button
  // shows none once the list goes.
  void SetGlyph(TImageList* images, int index);
  // What a click does (also when the program calls Click).
  void Click();

 protected:
  void CreateParams(TCreateParams& params) override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint(HDC dc);
  void SetState(bool hot, bool down);
  TChangeLink images_{[this] { Invalidate(); }};
  int index_ = -1;
  bool hot_ = false;       // the mouse is over it
  bool pressed_ = false;   // the left button went down on it and is held
  bool down_ = false;      // drawn pressed: held and still over it
};

}  // namespace gui
