// Calvenor.exe on screens of 100 to 200 %: started on a prefix of each DPI,
// its windows are read from inside the program (each control's place and
// what its text takes in its own font) and must show every caption, field
// and picture whole, at the size the DPI gives them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "E2eTest.h"

using namespace e2e;

namespace {

const char kLayerClass[] = "OstrevanWindow";

// The prefix's DPI, which every Wine program reads when it starts; the
// earlier value comes back however the test ends. (No other Wine test runs
// meanwhile: this one holds all their locks.)
class PrefixDpi {
 public:
  explicit PrefixDpi(DWORD dpi) {
    RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                    &key_, nullptr);
    DWORD size = sizeof old_;
    had_ = RegQueryValueExA(key_, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) == 0;
    if (RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi) != 0)
      throw Failure("cannot set the prefix's LogPixels");
  }
  ~PrefixDpi() {
    if (had_) RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
    else RegDeleteValueA(key_, "LogPixels");
    RegCloseKey(key_);
  }
  PrefixDpi(const PrefixDpi&) = delete;
  PrefixDpi& operator=(const PrefixDpi&) = delete;

 private:
  HKEY key_ = nullptr;
  DWORD old_ = 0;
  bool had_ = false;
};

std::string Describe(const ControlView& v) {
  return v.className + " \"" + utf8(v.text) + "\" at " + std::to_string(v.rect.left) + "," +
         std::to_string(v.rect.top) + "-" + std::to_string(v.rect.right) + "," + std::to_string(v.rect.bottom);
}

bool Overlap(const RECT& a, const RECT& b) {
  RECT both;
  return IntersectRect(&both, &a, &b) != FALSE;
}

// Every visible control of the window lies inside its parent and clear of
// its siblings; every caption fits its control with air before whatever
// stands beside it; lists and toolbars show images `listSide` pixels wide,
// pictures `pictureSide`.
void ExpectWhole(HWND window, int listSide, int pictureSide) {
  std::vector<ControlView> views = ReadLayout(window);
  std::erase_if(views, [](const ControlView& v) { return !v.visible; });
  ASSERT_FALSE(views.empty());
  for (const ControlView& v : views) {
    SCOPED_TRACE(Describe(v));
    RECT parent;
    GetClientRect(v.parent, &parent);
    MapWindowPoints(v.parent, nullptr, reinterpret_cast<POINT*>(&parent), 2);
    RECT inside;
    EXPECT_TRUE(IntersectRect(&inside, &parent, &v.rect) && EqualRect(&inside, &v.rect)) << "cut off by its parent";
    for (const ControlView& w : views) {
      if (&w == &v || w.parent != v.parent) continue;
      EXPECT_FALSE(Overlap(v.rect, w.rect)) << "overlaps " << Describe(w);
    }
    if (v.className == "Static" && !v.text.empty()) {
      // The text as drawn, one pixel wider: it must not touch a neighbour.
      const RECT text{v.rect.left, v.rect.top, v.rect.left + v.needed.cx + 1, v.rect.top + v.needed.cy};
      EXPECT_LE(v.needed.cx, v.room.cx) << "the caption is cut";
      EXPECT_LE(v.needed.cy, v.room.cy) << "the caption is cut";
      for (const ControlView& w : views) {
        if (&w == &v || w.parent != v.parent) continue;
        EXPECT_FALSE(Overlap(text, w.rect)) << "touches " << Describe(w);
      }
    }
    if (v.className == "ComboBox" || v.className == "Button") {
      EXPECT_LE(v.needed.cx, v.room.cx) << "the text is cut";
      EXPECT_LE(v.needed.cy, v.room.cy) << "the text is cut";
    }
    if (v.className == "SysTreeView32" || v.className == "ToolbarWindow32") {
      EXPECT_EQ(v.imageSide, listSide) << "the size of the list's images";
    }
    if (v.className == "Static" && v.imageSide) {
      EXPECT_EQ(v.imageSide, pictureSide) << "the size of the picture";
    }
  }
}

SIZE WindowSize(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

class Dpi : public E2eTest {};

TEST_F(Dpi, TheEditorsWindowsShowEveryCaptionFieldAndPictureWholeAtEveryDpi) {
  const std::string icons = Program("Ostrevan");
  const std::string file = Menu("メモ帳<" + utf8(icons) + ",3>\r\nC:\\windows\\notepad.exe\r\n"
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
      for (HWND c : Descendants(main))
        if (ClassName(c) == "Edit" && Text(c) == sjis("メモ帳")) return true;
      return false;
    }, "the panel of the first entry");
    {
      SCOPED_TRACE("as it opens");
      ExpectWhole(main, smallIcon, smallIcon);
    }
    {
      // Made as small as the user can make it.
      SCOPED_TRACE("at its smallest");
      const SIZE opened = WindowSize(main);
      SetWindowPos(main, nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      Await([&] { return WindowSize(main).cx < opened.cx; }, "the window to shrink");
      const SIZE smallest = WindowSize(main);
      if (dpi == 96) {
        EXPECT_TRUE(smallest.cx == 512 && smallest.cy == 279) << smallest.cx << " x " << smallest.cy;
      }
      ExpectWhole(main, smallIcon, smallIcon);
    }
    {
      SCOPED_TRACE("the version window");
      PostMessageA(main, WM_COMMAND, MenuBarCommand(main, {sjis("ヘルプ(&H)"), sjis("バージョン情報(&A)")}), 0);
      const HWND about = WaitWindow(editor.Id(), kLayerClass, sjis("バージョン情報"));
      ExpectWhole(about, smallIcon, MulDiv(32, dpi, 96));
    }
  }
}

}  // namespace
