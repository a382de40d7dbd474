#include "unitAbout.h"

#include <memory>

#include "ShellApi.h"
#include "unitSplash.h"

using namespace gui;

TformAbout* formAbout = nullptr;

namespace {
void UseFont(TLabel* control, const char* name, int height, unsigned style) {
  control->SetParentFont(false);
  control->Font.SetName(name);
  control->Font.SetHeight(height);
  control->Font.SetCharset(ANSI_CHARSET);
  control->Font.SetStyle(style);
  // Wider where the caption would be cut in the font the system has; asked
  // once the font is whole, as each measuring makes the font anew.
  control->SetGrowToCaption(true);
}
}  // namespace

TformAbout::TformAbout(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("バージョン情報");
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  Position = poScreenCenter;
  SetColor(clBtnFace);
  Font.SetName("MS UI Gothic");
  Font.SetHeight(12);
  Font.SetCharset(SHIFTJIS_CHARSET);
  SetClientSize(559, 56);

  // The button comes first among the windows so that it is first in the
  // tab order.
  Button1 = new TButton(this);
  Button1->SetCaption("OK");
  Button1->SetBounds(460, 4, 93, 21);
  Button1->ModalResult = mrOk;
  Button1->SetDefault(true);
  Button1->SetParent(this);

  Label1 = new TLabel(this);
  Label1->SetCaption("Morvath Ostrevan 1.3");
  Label1->SetBounds(64, 12, 174, 19);
  UseFont(Label1, "Arial", 16, fsBold);
  Label1->SetParent(this);

  Image1 = new TImage(this);
  Image1->SetBounds(12, 12, 32, 32);
  ShowIcon();
  Image1->OnClick = [this](TObject* s) { Image1Click(s); };
  Image1->SetParent(this);

  Label3 = new TLabel(this);
  Label3->SetCaption("Release 4");
  Label3->SetBounds(248, 14, 56, 15);
  UseFont(Label3, "Arial", 12, fsBold);
  Label3->SetParent(this);
}

void TformAbout::ShowIcon() { Image1->SetIcon(ProgramIconAt("MAINICON", Scale(32))); }

void TformAbout::Image1Click(TObject*) {
  // A fresh picture window each time, gone as soon as it is closed.
  auto splash = std::make_unique<TformSplash>(nullptr);
  splash->ShowModal();
}
