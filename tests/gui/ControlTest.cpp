#include "Dialogs.h"
#include "GuiTest.h"
#include "StdCtrls.h"

using namespace gui;

TEST_F(GuiTest, AFontSetOnALiveFormShowsAtOnceAndTheOldOneGoes) {
  auto* label = Make<TLabel>(&form);
  form.Handle();
  const HGDIOBJ before = reinterpret_cast<HGDIOBJ>(SendMessageA(label->Handle(), WM_GETFONT, 0, 0));
  form.Font.SetHeight(20);
  EXPECT_EQ(FontHeightOf(label), -20) << "the label follows its form's font";
  EXPECT_EQ(GetObjectType(before), 0u) << "the old font is gone";
}

TEST_F(GuiTest, AFailureLeavesTheWindowsAsTheyWereAndIsToldOnce) {
  int boxes = 0;
  const MessageBoxResponder previous = SetMessageBoxResponder([&](const MessageBoxRequest&) { ++boxes; return IDOK; });
  form.SetClientSize(100, 100);
  form.Show();
  // A modal form with a control whose window fails halfway through being made.
  struct TBrokenControl : TWinControl {
    using TWinControl::TWinControl;
    void CreateWnd() override { throw Exception("broken"); }
  };
  TForm dialog(nullptr);
  auto* broken = new TBrokenControl(&dialog);
  broken->SetParent(&dialog);
  EXPECT_THROW(dialog.ShowModal(), Exception);
  EXPECT_TRUE(IsWindowEnabled(form.Handle())) << "the other windows take input again";
  EXPECT_FALSE(broken->HandleAllocated()) << "no half-made window is kept";
  // A paint that fails still ends, and its failure is told once.
  int paints = 0;
  form.OnPaint = [&](TObject*) {
    ++paints;
    throw Exception("paint");
  };
  for (int i = 0; i < 3; ++i) {
    InvalidateRect(form.Handle(), nullptr, TRUE);
    UpdateWindow(form.Handle());
  }
  EXPECT_EQ(paints, 3);
  EXPECT_EQ(boxes, 1);
  EXPECT_FALSE(GetUpdateRect(form.Handle(), nullptr, FALSE));
  SetMessageBoxResponder(previous);
}

TEST_F(GuiTest, AFieldGivesBackTheProgramsTextInItsOwnCodes) {
  auto* field = Make<TEdit>(&form);
  field->SetParent(&form);
  field->Handle();
  // Characters the code page has under two codes, and half a character.
  for (const char* text : {"\x87\x90", "\xed\x40", "\xee\xf9", "A\x81"}) {
    field->SetText(text);
    EXPECT_EQ(field->Text(), text);
  }
}
