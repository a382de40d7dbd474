// What a control shows follows what it is given, on a live window too; every
// font and picture has one owner; and a failure leaves the windows as they
// were.
#include <gtest/gtest.h>
#include <windows.h>

#include "Dialogs.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"

using namespace gui;

namespace {
LONG FontHeightOf(TWinControl* control) {
  LOGFONTA lf{};
  const auto font = reinterpret_cast<HFONT>(SendMessageA(control->Handle(), WM_GETFONT, 0, 0));
  return GetObjectA(font, sizeof lf, &lf) ? lf.lfHeight : 0;
}

// A control whose window fails halfway through being made.
class TBrokenControl : public TWinControl {
 public:
  using TWinControl::TWinControl;

 protected:
  void CreateWnd() override { throw Exception("broken"); }
};
}  // namespace

TEST(Control, FontsAndPicturesSetOnALiveWindowShowAtOnceAndTheOldOnesGo) {
  TApplication app;
  TForm form(nullptr);
  auto* label = new TLabel(&form);
  label->SetParent(&form);
  auto* image = new TImage(&form);
  image->SetBounds(0, 0, 32, 32);
  image->SetParent(&form);
  form.Handle();
  const HGDIOBJ before = reinterpret_cast<HGDIOBJ>(SendMessageA(label->Handle(), WM_GETFONT, 0, 0));
  form.Font.SetHeight(20);
  EXPECT_EQ(FontHeightOf(label), -20) << "the label follows its form's font";
  EXPECT_EQ(GetObjectType(before), 0u) << "the old font is gone";
  label->SetParentFont(false);
  label->Font.SetHeight(9);
  EXPECT_EQ(FontHeightOf(label), -9) << "a font of its own";

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

TEST(Control, AFailureLeavesTheWindowsAsTheyWereAndIsToldOnce) {
  TApplication app;
  int boxes = 0;
  const MessageBoxResponder previous = SetMessageBoxResponder([&](const MessageBoxRequest&) {
    ++boxes;
    return IDOK;
  });
  TForm owner(nullptr);
  owner.SetClientSize(100, 100);
  owner.Show();
  // A modal form whose controls cannot be made.
  TForm dialog(nullptr);
  auto* broken = new TBrokenControl(&dialog);
  broken->SetParent(&dialog);
  EXPECT_THROW(dialog.ShowModal(), Exception);
  EXPECT_TRUE(IsWindowEnabled(owner.Handle())) << "the other windows take input again";
  EXPECT_FALSE(broken->HandleAllocated()) << "no half-made window is kept";
  // A paint that fails still ends, and its failure is told once.
  int paints = 0;
  owner.OnPaint = [&](TObject*) {
    ++paints;
    throw Exception("paint");
  };
  for (int i = 0; i < 3; ++i) {
    InvalidateRect(owner.Handle(), nullptr, TRUE);
    UpdateWindow(owner.Handle());
  }
  EXPECT_EQ(paints, 3);
  EXPECT_EQ(boxes, 1);
  EXPECT_FALSE(GetUpdateRect(owner.Handle(), nullptr, FALSE));
  SetMessageBoxResponder(previous);
}
