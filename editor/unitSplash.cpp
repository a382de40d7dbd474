#include "unitSplash.h"

#include "ImgList.h"

using namespace gui;

TformSplash::TformSplash(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("ちょっと待っててね☆");
  SetBorderStyle(bsNone);
  Position = poScreenCenter;
  Font.SetName("ＭＳ Ｐゴシック");
  Font.SetHeight(12);
  Font.SetCharset(SHIFTJIS_CHARSET);
  SetClientSize(360, 270);

  Image1 = new TImage(this);
  Image1->SetBounds(0, 0, 360, 270);
  ShowPicture();
  Image1->OnClick = [this](TObject* s) { Image1Click(s); };
  Image1->SetParent(this);
}

void TformSplash::ShowPicture() {
  TBitmap picture(static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), "SPLASH", IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
  // The control would stretch it coarsely.
  if (Dpi() != kDesignDpi) picture = ResizedBitmap(picture.Handle(), Scale(360), Scale(270));
  Image1->SetBitmap(std::move(picture));
}

void TformSplash::Image1Click(TObject*) { ModalResult = mrOk; }
