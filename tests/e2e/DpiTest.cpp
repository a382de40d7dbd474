// Calvenor.exe on screens of 100 to 200 %: started on a prefix of each DPI,
// its windows are read from inside the program (each control's place and
// what its text takes in its own font) and must show every caption, field
// and picture whole, at the size the DPI gives them.
#include <algorithm>
#include <string_view>

#include "E2eTest.h"

using namespace e2e;

namespace {

const char kLayerClass[] = "OstrevanWindow";

std::string Describe(const ControlView& v) {
  return std::string(v.className) + " \"" + utf8(v.text) + "\" at " + std::to_string(v.rect.left) + "," +
         std::to_string(v.rect.top) + "-" + std::to_string(v.rect.right) + "," + std::to_string(v.rect.bottom);
}

// Every visible control of the window lies inside its parent and clear of
// its siblings, a label's text as drawn, one pixel wider, too; every text
// fits its control; lists and toolbars show images `listSide` pixels wide,
// pictures `pictureSide`.
void ExpectWhole(const char* when, HWND window, int listSide, int pictureSide) {
  SCOPED_TRACE(when);
  std::vector<ControlView> views = ReadLayout(window);
  std::erase_if(views, [](const ControlView& v) { return !v.visible; });
  ASSERT_FALSE(views.empty());
  for (const ControlView& v : views) {
    SCOPED_TRACE(Describe(v));
    RECT parent, inside, text{v.rect.left, v.rect.top, v.rect.left + v.needed.cx + 1, v.rect.top + v.needed.cy};
    GetClientRect(v.parent, &parent);
    MapWindowPoints(v.parent, nullptr, reinterpret_cast<POINT*>(&parent), 2);
    EXPECT_TRUE(IntersectRect(&inside, &parent, &v.rect) && EqualRect(&inside, &v.rect)) << "cut off by its parent";
    const std::string_view cls = v.className;
    const bool label = cls == "Static" && v.text[0];
    for (const ControlView& w : views) {
      if (&w == &v || w.parent != v.parent) continue;
      EXPECT_FALSE(IntersectRect(&inside, &v.rect, &w.rect)) << "overlaps " << Describe(w);
      EXPECT_FALSE(label && IntersectRect(&inside, &text, &w.rect)) << "touches " << Describe(w);
    }
    if (label || cls == "ComboBox" || cls == "Button") {
      EXPECT_LE(v.needed.cx, v.room.cx) << "the text is cut";
      EXPECT_LE(v.needed.cy, v.room.cy) << "the text is cut";
    }
    const bool list = cls == "SysTreeView32" || cls == "ToolbarWindow32", picture = cls == "Static" && v.imageSide;
    EXPECT_EQ(v.imageSide, list ? listSide : picture ? pictureSide : v.imageSide) << "the side of its images";
  }
}

SIZE WindowSize(HWND window) {
  const RECT r = ScreenRect(window);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

class Dpi : public E2eTest {};

TEST_F(Dpi, TheEditorsWindowsShowEveryCaptionFieldAndPictureWholeAtEveryDpi) {
  const std::string file = Menu("メモ帳<" + utf8(Program("Ostrevan")) + ",3>\r\nC:\\windows\\notepad.exe\r\n"
                                "ツール\r\n\r\n\tレジストリ エディタ\r\n\tregedit.exe\r\n");
  for (int dpi : {96, 120, 144, 192}) {
    SCOPED_TRACE("LogPixels " + std::to_string(dpi));
    const int smallIcon = MulDiv(16, dpi, 96);
    const PrefixDpi prefix{DWORD(dpi)};
    Process editor({Program("Calvenor"), file});
    const HWND main = WaitWindow(editor.Id(), kLayerClass, sjis("Morvath Ostrevan - メニューエディタ"));
    const HWND tree = WaitChild(main, "SysTreeView32");
    Await([&] { return SendTimeout(tree, TVM_GETCOUNT, 0, 0) == 3; }, "the three entries");
    // The first entry's panel, with its picture in the preview.
    Click(tree, FirstTreeItemPoint(tree));
    Await([&] {
      const auto fields = Descendants(main);
      return std::any_of(fields.begin(), fields.end(),
                         [](HWND c) { return ClassName(c) == "Edit" && Text(c) == sjis("メモ帳"); });
    }, "the panel of the first entry");
    ExpectWhole("as it opens", main, smallIcon, smallIcon);
    // Made as small as the user can make it.
    const SIZE opened = WindowSize(main);
    SetWindowPos(main, nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Await([&] { return WindowSize(main).cx < opened.cx; }, "the window to shrink");
    const SIZE smallest = WindowSize(main);
    EXPECT_TRUE(dpi != 96 || (smallest.cx == 512 && smallest.cy == 279)) << smallest.cx << " x " << smallest.cy;
    ExpectWhole("at its smallest", main, smallIcon, smallIcon);
    PostMessageA(main, WM_COMMAND, MenuBarCommand(main, {sjis("ヘルプ(&H)"), sjis("バージョン情報(&A)")}), 0);
    const HWND about = WaitWindow(editor.Id(), kLayerClass, sjis("バージョン情報"));
    ExpectWhole("the version window", about, smallIcon, MulDiv(32, dpi, 96));
    // Escape closes it, as it closes any dialog of the system.
    ForegroundWindow(about);
    TypeKeys({VK_ESCAPE});
    WaitGone(about);
  }
}

}  // namespace
