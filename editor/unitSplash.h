// The picture window: the product's title picture, shown from the version
// window and closed by a click on it.
#pragma once

#include "ExtCtrls.h"
#include "Forms.h"

class TformSplash : public gui::TForm {
 public:
  explicit TformSplash(gui::TComponent* AOwner);

  gui::TImage* Image1;

  void Image1Click(gui::TObject* Sender);

 protected:
  // The picture is drawn for the new DPI.
  void DpiChanged() override { ShowPicture(); }

 private:
  // The title picture as large as the window shows it: as drawn at 96 dpi,
  // scaled smoothly at any other.
  void ShowPicture();
};
