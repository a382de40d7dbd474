// The version window, opened from the main window's help menu.
#pragma once

#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"

class TformAbout : public gui::TForm {
 public:
  explicit TformAbout(gui::TComponent* AOwner);

  gui::TLabel* Label1;
  gui::TButton* Button1;
  gui::TImage* Image1;
  gui::TLabel* Label3;

  void Image1Click(gui::TObject* Sender);

 protected:
  // The program icon is taken again at the size of the new DPI.
  void DpiChanged() override { ShowIcon(); }

 private:
  // The program icon as large as the window shows it, from the image of
  // that size (48 pixels at 150 %), else the nearest larger one.
  void ShowIcon();
};

extern TformAbout* formAbout;
