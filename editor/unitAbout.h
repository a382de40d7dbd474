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
};

extern TformAbout* formAbout;
