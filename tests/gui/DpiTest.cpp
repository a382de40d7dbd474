#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "GuiTest.h"
#include "ImgList.h"
#include "StdCtrls.h"

using namespace gui;

bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

namespace {
RECT PlaceOf(TWinControl* c) { return RECT{c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height()}; }
}  // namespace

TEST_F(GuiTest, AFormLaysOutFromItsUnitsAtEveryDpiAndComesBackExactly) {
  form.SetClientSize(300, 120);
  form.MinWidth = 200;
  auto* top = Make<TPanel>(&form);
  top->SetHeight(24);
  top->SetAlign(alTop);
  auto* rest = Make<TPanel>(&form);
  rest->SetAlign(alClient);
  // Held to the right edge of the strip the alignment leaves (300 wide),
  // too narrow for its caption.
  auto* button = Make<TButton>(rest);
  button->SetCaption("メニューエディタを開く");
  button->SetBounds(250, 4, 46, 21);
  button->Anchors = akTop | akRight;
  button->SetGrowToCaption(true);
  auto* label = Make<TLabel>(rest);
  label->SetBounds(8, 30, 60, 13);
  // Pictures remade for each DPI after the bar heard of it, as a form does.
  auto* pictures = Make<TImageList>(&form);
  auto* bar = Make<TToolBar>(&form);
  bar->SetImages(pictures);
  bar->SetParent(&form);
  bar->AddButton(Make<TToolButton>(&form));
  form.Show();
  const LRESULT buttonAt96 = SendMessageA(bar->Handle(), TB_GETBUTTONSIZE, 0, 0);

  // Back at 96 dpi last: every control stands where it stood.
  for (const int dpi : {120, 144, 192, 96}) {
    SCOPED_TRACE(dpi);
    const auto s = [dpi](int units) { return ScaleToDpi(units, dpi); };
    // The system moves the window to a screen of that DPI, suggesting the
    // rectangle that holds the designed client area.
    RECT suggested = WindowRectForClient(RECT{0, 0, s(300), s(120)}, DWORD(GetWindowLongPtrA(form.Handle(), GWL_STYLE)),
                                         false, DWORD(GetWindowLongPtrA(form.Handle(), GWL_EXSTYLE)), dpi);
    OffsetRect(&suggested, 10 - suggested.left, 10 - suggested.top);
    SendMessageA(form.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    pictures->SetSize(s(16), s(16));
    EXPECT_EQ(form.Dpi(), dpi);
    RECT window;
    GetWindowRect(form.Handle(), &window);
    EXPECT_EQ(window, suggested) << "the form takes the rectangle the system suggests";
    const int w = form.ClientWidth(), h = form.ClientHeight();
    EXPECT_EQ(PlaceOf(top), (RECT{0, 0, w, s(24)}));
    EXPECT_EQ(PlaceOf(rest), (RECT{0, s(24), w, h}));
    EXPECT_EQ(PlaceOf(label), (RECT{s(8), s(30), s(68), s(43)}));
    EXPECT_EQ(FontHeightOf(label), -s(12)) << "fonts are made for the DPI";
    // Grown leftwards from the edge it is held to, just enough.
    EXPECT_EQ(button->Left() + button->Width(), rest->Width() - s(4));
    EXPECT_EQ(button->Width(), button->TextExtent(button->Caption(), DT_SINGLELINE).cx + s(10));
    MINMAXINFO info{};
    SendMessageA(form.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, s(200));
  }
  EXPECT_EQ(SendMessageA(bar->Handle(), TB_GETBUTTONSIZE, 0, 0), buttonAt96) << "the buttons as large as the pictures";
}
