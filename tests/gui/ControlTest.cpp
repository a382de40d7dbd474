// What a control shows follows what it is given, on a live window too, and
// every font and picture has one owner.
#include <gtest/gtest.h>
#include <windows.h>

#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"

using namespace gui;

namespace {
HFONT FontOf(TWinControl* control) {
  return reinterpret_cast<HFONT>(SendMessageA(control->Handle(), WM_GETFONT, 0, 0));
}
LONG HeightOf(HFONT font) {
  LOGFONTA lf{};
  return GetObjectA(font, sizeof lf, &lf) ? lf.lfHeight : 0;
}
}  // namespace

TEST(Control, AFontChangedOnALiveWindowShowsAtOnceAndTheOldOneGoesAfter) {
  TApplication app;
  TForm form(nullptr);
  auto* label = new TLabel(&form);
  label->SetParent(&form);
  form.Handle();
  const HFONT before = FontOf(label);
  form.Font.SetHeight(20);
  EXPECT_EQ(HeightOf(FontOf(label)), -20) << "the label follows its form's font";
  EXPECT_EQ(GetObjectType(before), 0u) << "the old font is gone";

  label->SetParentFont(false);
  EXPECT_EQ(HeightOf(FontOf(label)), -12) << "a font of its own";
  label->Font.SetHeight(9);
  EXPECT_EQ(HeightOf(FontOf(label)), -9);
}

TEST(Image, APictureShowsOnALiveWindowAndGoesWithItsOwner) {
  TApplication app;
  TForm form(nullptr);
  auto* image = new TImage(&form);
  image->SetBounds(0, 0, 32, 32);
  image->SetParent(&form);
  form.Handle();
  const HICON icon = CopyIcon(LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION)));
  image->SetIcon(TIcon(icon));
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(image->Handle(), STM_GETICON, 0, 0)), icon);
  const HBITMAP bitmap = CreateBitmap(8, 8, 1, 32, nullptr);
  image->SetBitmap(TBitmap(bitmap));
  EXPECT_EQ(reinterpret_cast<HBITMAP>(SendMessageA(image->Handle(), STM_GETIMAGE, IMAGE_BITMAP, 0)), bitmap)
      << "an icon's frame shows a bitmap too";
  ICONINFO info{};
  EXPECT_FALSE(GetIconInfo(icon, &info)) << "the icon went when the bitmap took its place";
  delete image;
  EXPECT_EQ(GetObjectType(bitmap), 0u);
}
