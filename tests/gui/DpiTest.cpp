// A form designed in 96-dpi units shows at every DPI its screen may have,
// and comes back to the same pixels when it returns to a screen it was on.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"

using namespace gui;

bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

namespace {
RECT PlaceOf(TWinControl* c) { return RECT{c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height()}; }

LONG FontHeightOf(TWinControl* c) {
  LOGFONTA lf{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(c->Handle(), WM_GETFONT, 0, 0)), sizeof lf, &lf);
  return lf.lfHeight;
}

// The system moves the window to a screen of another DPI: it suggests the
// window's new rectangle, here the one that holds the designed client area.
RECT MoveToScreenOf(TForm& form, int dpi) {
  RECT r = WindowRectForClient(RECT{0, 0, ScaleToDpi(300, dpi), ScaleToDpi(120, dpi)},
                               DWORD(GetWindowLongPtrA(form.Handle(), GWL_STYLE)), false,
                               DWORD(GetWindowLongPtrA(form.Handle(), GWL_EXSTYLE)), dpi);
  OffsetRect(&r, 10 - r.left, 10 - r.top);
  SendMessageA(form.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
  return r;
}
}  // namespace

TEST(Dpi, AFormLaysOutFromItsUnitsAtEveryDpiAndComesBackExactly) {
  TApplication app;
  TForm form(nullptr);
  form.SetClientSize(300, 120);
  form.MinWidth = 200;
  auto* top = new TPanel(&form);
  top->SetHeight(24);
  top->SetAlign(alTop);
  top->SetParent(&form);
  auto* side = new TPanel(&form);
  side->SetWidth(100);
  side->SetAlign(alLeft);
  side->SetParent(&form);
  auto* rest = new TPanel(&form);
  rest->SetAlign(alClient);
  rest->SetParent(&form);
  // Held to the right edge of the strip the alignment leaves (200 wide),
  // too narrow for its caption.
  auto* button = new TButton(&form);
  button->SetCaption("メニューエディタを開く");
  button->SetBounds(150, 4, 46, 21);
  button->Anchors = akTop | akRight;
  button->SetGrowToCaption(true);
  button->SetParent(rest);
  auto* label = new TLabel(&form);
  label->SetBounds(8, 30, 60, 13);
  label->SetParent(rest);
  form.Show();

  const std::vector<TWinControl*> controls{top, side, rest, button, label};
  std::vector<RECT> before;
  for (TWinControl* c : controls) before.push_back(PlaceOf(c));

  for (int dpi : {120, 144, 192, 96}) {
    SCOPED_TRACE(dpi);
    const RECT suggested = MoveToScreenOf(form, dpi);
    auto s = [dpi](int units) { return ScaleToDpi(units, dpi); };
    EXPECT_EQ(form.Dpi(), dpi);
    RECT window;
    GetWindowRect(form.Handle(), &window);
    EXPECT_EQ(window, suggested) << "the form takes the rectangle the system suggests";
    const int w = form.ClientWidth(), h = form.ClientHeight();
    EXPECT_EQ(PlaceOf(top), (RECT{0, 0, w, s(24)}));
    EXPECT_EQ(PlaceOf(side), (RECT{0, s(24), s(100), h}));
    EXPECT_EQ(PlaceOf(rest), (RECT{s(100), s(24), w, h}));
    EXPECT_EQ(PlaceOf(label), (RECT{s(8), s(30), s(68), s(43)}));
    EXPECT_EQ(FontHeightOf(label), -s(12)) << "fonts are made for the DPI";
    // Grown leftwards from the edge it is held to, just enough.
    const SIZE text = button->TextExtent(button->Caption(), DT_SINGLELINE);
    EXPECT_EQ(button->Left() + button->Width(), rest->Width() - s(4));
    EXPECT_EQ(button->Width(), text.cx + s(10));
    MINMAXINFO info{};
    SendMessageA(form.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, s(200));
  }
  std::vector<RECT> after;
  for (TWinControl* c : controls) after.push_back(PlaceOf(c));
  EXPECT_TRUE(before == after) << "back at 96 dpi every control stands where it stood";
}
