// Calvenor.exe driven as a user would: a hand-written menu file on its
// command line, the tree it shows, edits with the context menu, the keyboard
// and the mouse, Ctrl+S, and what the launcher makes of the saved file; the
// version and picture windows; broken files.
#include <gtest/gtest.h>

#include "Driver.h"
#include "E2eTest.h"
#include "TestText.h"

using namespace e2e;
using namespace std::string_literals;
using Strings = std::vector<std::string>;

namespace {

std::string Editor() { return Program("Calvenor"); }
std::string Launcher() { return Program("Ostrevan"); }

const char kLayerClass[] = "OstrevanWindow";

class Editing : public E2eTest {
 protected:
  std::chrono::seconds Limit() const override { return std::chrono::seconds(90); }

  std::string WriteMenu(const std::string& name, const std::string& utf8Text) {
    const std::string path = temp_.File(name);
    WriteBytes(path, sjis(utf8Text));
    return path;
  }
  // Starts the editor on the file and waits for its main window and tree.
  void StartEditor(const std::string& file) {
    std::string command = Quote(Editor());
    if (!file.empty()) command.append(" ").append(Quote(file));
    editor_ = Process::Start(command);
    main_ = WaitWindow(editor_.Id(), kLayerClass, sjis("Morvath Ostrevan - メニューエディタ"));
    tree_ = WaitChild(main_, "SysTreeView32");
  }
  // The command id of a main-menu entry, by the captions on the way to it.
  UINT MenuCommand(const Strings& path) {
    std::vector<MenuItem> items = ReadMenuBar(main_);
    for (size_t i = 0; i < path.size(); ++i) {
      auto it = std::find_if(items.begin(), items.end(), [&](const MenuItem& m) { return m.text == path[i]; });
      if (it == items.end()) throw Failure("no menu entry " + utf8(path[i]));
      if (i + 1 == path.size()) return it->id;
      std::vector<MenuItem> inner = it->items;  // `it` points into `items`
      items = std::move(inner);
    }
    return 0;
  }
  // Picks an entry of the tree's context menu by its position among the
  // entries that can be chosen, after a right click on the item.
  void ContextCommand(RemoteTree& tree, HTREEITEM item, int downs) {
    const RECT r = *tree.ItemRect(item);
    RightClick(tree_, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    const HWND popup = WaitPopupMenu(editor_.Id());
    for (int i = 0; i < downs; ++i) Keyboard::Post(popup, VK_DOWN);
    Keyboard::Post(popup, VK_RETURN);
    WaitNoPopupMenu(editor_.Id());
  }

  TempFolder temp_{"editor"};
  Process editor_;
  HWND main_ = nullptr;
  HWND tree_ = nullptr;
};

// The tree's outline and items, read while the editor may be changing it:
// an item that goes away during the walk makes the walk fail, and then
// there is nothing to compare yet.
Strings OutlineOf(RemoteTree& tree) {
  try {
    return tree.Outline();
  } catch (const Failure&) {
    return {};
  }
}
size_t CountOf(RemoteTree& tree) {
  try {
    return tree.Items().size();
  } catch (const Failure&) {
    return 0;
  }
}

// Where the editor's PATH search finds a bare program name.
std::string OnPath(const std::string& name) {
  char path[8192] = {};
  GetEnvironmentVariableA("PATH", path, sizeof path);
  std::string rest = path;
  for (size_t start = 0; start <= rest.size();) {
    size_t end = rest.find(';', start);
    if (end == std::string::npos) end = rest.size();
    std::string dir = rest.substr(start, end - start);
    if (!dir.empty()) {
      if (dir.back() != '\\' && dir.back() != ':') dir += '\\';
      const DWORD attr = GetFileAttributesA((dir + name).c_str());
      if (attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY)) return dir + name;
    }
    start = end + 1;
  }
  return name;
}

TEST_F(Editing, AHandWrittenMenuIsShownEditedSavedAndReadByTheLauncher) {
  const std::string file = WriteMenu(
      "menu.txt",
      "Notepad<C:\\windows\\notepad.exe,0>\r\nnotepad.exe\r\n"
      "\r\n\r\n"
      "ツール<none,0>\r\n\r\n"
      "\tエディタ[C:\\Work]\r\n\t\"C:\\Program Files\\Editor\\edit.exe\" -n readme.txt\r\n"
      "\t\r\n\t\r\n"
      "\tマイ コンピュータ\r\n\tExplorer.exe ::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\r\n"
      "Calculator\r\ncalc.exe\r\n");
  StartEditor(file);
  RemoteTree tree(tree_);
  ASSERT_TRUE(WaitUntil([&] { return CountOf(tree) == 7; }, 10s)) << DescribeAllWindows();
  const std::string bar = sjis("━━━━━━━━");
  EXPECT_EQ(tree.Outline(), (Strings{"Notepad", bar, sjis("ツール"), sjis("  エディタ"), "  " + bar,
                                     sjis("  マイ コンピュータ"), "Calculator"}));
  const auto items = tree.Items();
  const std::vector<bool> pictured{true, false, false, true, false, true, true};
  for (size_t i = 0; i < items.size(); ++i)
    EXPECT_EQ(items[i].image >= 0, pictured[i]) << utf8(items[i].text);

  // Right click, Delete.
  const RECT notepad = *tree.ItemRect(tree.Find("Notepad"));
  RightClick(tree_, POINT{(notepad.left + notepad.right) / 2, (notepad.top + notepad.bottom) / 2});
  HWND popup = WaitPopupMenu(editor_.Id());
  EXPECT_EQ(Texts(ReadPopupMenu(popup)),
            (Strings{sjis("項目(&I)"), sjis("特殊な項目(&P)"), sjis("セパレータ(&S)"), "-",
                     sjis("サブメニュー(&M)"), "-", sjis("削除(&D)")}));
  ASSERT_NE(tree.Selected(), nullptr);
  EXPECT_EQ(utf8(tree.Item(tree.Selected()).text), "Notepad") << "the right button selected it";
  // Down five times passes the submenu and the separators to Delete.
  for (int i = 0; i < 5; ++i) Keyboard::Post(popup, VK_DOWN);
  Keyboard::Post(popup, VK_RETURN);
  WaitNoPopupMenu(editor_.Id());
  ASSERT_TRUE(WaitUntil([&] { return CountOf(tree) == 6; }, 5s));

  // Edit > Add > Item before the selected Calculator, named as it opens.
  tree.ClickItem(tree.Find("Calculator"));
  PostCommand(main_, int(MenuCommand({sjis("編集(&E)"), sjis("メニュー追加(&M)"), sjis("項目(&I)")})));
  HWND edit = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (edit = tree.EditControl()) != nullptr; }, 5s));
  EXPECT_EQ(Text(edit), sjis("新しい項目"));
  SetText(edit, sjis("メモ帳"));
  Keyboard::Post(edit, VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return tree.EditControl() == nullptr; }, 5s));

  // Drag Calculator onto the caption of the submenu: its last entry.
  const RECT from = *tree.ItemRect(tree.Find("Calculator"));
  const RECT to = *tree.ItemRect(tree.Find(sjis("ツール")));
  const POINT a{(from.left + from.right) / 2, (from.top + from.bottom) / 2};
  const POINT b{(to.left + to.right) / 2, (to.top + to.bottom) / 2};
  PostMessageA(tree_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(a.x, a.y));
  PostMessageA(tree_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(a.x, a.y - 12));
  PostMessageA(tree_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(b.x, b.y));
  PostMessageA(tree_, WM_LBUTTONUP, 0, MAKELPARAM(b.x, b.y));
  const Strings edited{bar, sjis("ツール"), sjis("  エディタ"), "  " + bar, sjis("  マイ コンピュータ"),
                       "  Calculator", sjis("メモ帳")};
  EXPECT_TRUE(WaitUntil([&] { return OutlineOf(tree) == edited; }, 5s)) << utf8(OutlineOf(tree).empty() ? "" : OutlineOf(tree).back());

  // Ctrl+S writes the file in the writer's form.
  ForegroundWindow(main_);
  Keyboard::Input({VK_CONTROL, 'S'});
  const std::string expected =
      sjis("\r\n\r\n"
           "ツール<none,0>\r\n\r\n"
           "\tエディタ[C:\\Work]\r\n\t\"C:\\Program Files\\Editor\\edit.exe\" -n readme.txt\r\n"
           "\t\r\n\t\r\n"
           "\tマイ コンピュータ\r\n\t") +
      OnPath("Explorer.exe") + " ::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\r\n" + "\tCalculator\r\n\t" +
      OnPath("calc.exe") + "\r\n" + sjis("メモ帳\r\n\r\n");
  EXPECT_TRUE(WaitUntil([&] { return ReadBytes(file) == expected; }, 10s)) << utf8(ReadBytes(file));

  // The launcher shows the saved menu as the tree showed it.
  Process launcher = Process::Start(Quote(Launcher()) + " " + Quote(file));
  popup = WaitPopupMenu(launcher.Id());
  const auto menu = ReadPopupMenu(popup);
  // The launcher adds its own entry to start the editor, at the top or the
  // bottom as its settings say; the menu's entries stand together.
  const auto tools = std::find_if(menu.begin(), menu.end(), [](const MenuItem& m) { return m.text == sjis("ツール"); });
  ASSERT_NE(tools, menu.end());
  ASSERT_TRUE(tools != menu.begin() && tools + 1 != menu.end());
  EXPECT_EQ((tools - 1)->kind, MenuItem::Separator);
  EXPECT_EQ(Texts(tools->items), (Strings{sjis("エディタ"), "-", sjis("マイ コンピュータ"), "Calculator"}));
  EXPECT_EQ((tools + 1)->text, sjis("メモ帳"));
  Keyboard::Post(popup, VK_ESCAPE);
  EXPECT_TRUE(launcher.WaitExit(10s));

  PostMessageA(main_, WM_CLOSE, 0, 0);
  EXPECT_EQ(editor_.ExitCodeWithin(10s), 0u);
}

TEST_F(Editing, TheVersionWindowAndItsPictureOpenFromTheHelpMenu) {
  StartEditor("");
  const std::string splashCaption = sjis("ちょっと待っててね☆");
  for (HWND w : TopWindows(editor_.Id()))
    EXPECT_FALSE(Visible(w) && Text(w) == splashCaption) << "no picture at start-up";

  const int about = int(MenuCommand({sjis("ヘルプ(&H)"), sjis("バージョン情報(&A)")}));
  for (int round = 0; round < 2; ++round) {
    PostCommand(main_, about);
    const HWND window = WaitWindow(editor_.Id(), kLayerClass, sjis("バージョン情報"));
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 559);
    EXPECT_EQ(client.bottom, 56);
    const RECT frame = ScreenRect(window);
    EXPECT_NEAR((frame.left + frame.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 2) << "centred";
    EXPECT_FALSE(IsWindowEnabled(main_)) << "modal";
    Strings texts;
    HWND icon = nullptr, ok = nullptr;
    for (HWND c : Descendants(window)) {
      texts.push_back(Text(c));
      if ((GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && ClassName(c) == "Static") icon = c;
      if (Text(c) == "OK") ok = c;
    }
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Morvath Ostrevan 1.3"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Release 4"), texts.end());
    ASSERT_NE(icon, nullptr);
    ASSERT_NE(ok, nullptr);

    // The picture, any number of times.
    for (int shown = 0; shown < 2; ++shown) {
      Click(icon, POINT{10, 10});
      const HWND splash = WaitWindow(editor_.Id(), kLayerClass, splashCaption);
      GetClientRect(splash, &client);
      EXPECT_EQ(client.right, 360);
      EXPECT_EQ(client.bottom, 270);
      EXPECT_EQ(GetWindowLongA(splash, GWL_STYLE) & WS_CAPTION, 0) << "no title bar";
      EXPECT_FALSE(IsWindowEnabled(window));
      Click(WaitChild(splash, "Static"), POINT{100, 100});
      WaitGone(splash);
      EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(window) != FALSE; }, 5s));
    }

    // Enter the first time, the button the second.
    if (round == 0) Keyboard::Post(window, VK_RETURN);
    else Click(ok, POINT{10, 10});
    WaitGone(window);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main_) != FALSE; }, 5s));
  }
  PostMessageA(main_, WM_CLOSE, 0, 0);
  EXPECT_EQ(editor_.ExitCodeWithin(10s), 0u);
}

struct BrokenFile {
  const char* name;
  std::string content;  // UTF-8; ignored when missing
  bool missing;
  const char* message;  // UTF-8; null: the editor ends without one
};

class BrokenFiles : public Editing, public testing::WithParamInterface<BrokenFile> {};

TEST_P(BrokenFiles, EndTheEditorWithOneMessageOrNone) {
  const BrokenFile& c = GetParam();
  const std::string path = c.missing ? temp_.File(std::string(300, 'x') + ".txt") : WriteMenu(c.name, c.content);
  editor_ = Process::Start(Quote(Editor()) + " " + Quote(path));
  if (c.message) {
    const MessageBoxView box = WaitMessageBox(editor_.Id());
    EXPECT_EQ(utf8(box.caption), "警告");
    EXPECT_EQ(utf8(box.text), c.message);
    PressButton(box.dialog, IDOK);
  }
  EXPECT_EQ(editor_.ExitCodeWithin(10s), 0u) << "one message, then the end: " << DescribeAllWindows();
  if (!c.missing) {
    EXPECT_EQ(ReadBytes(path), sjis(c.content)) << "the file stays as it was";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, BrokenFiles,
    testing::Values(BrokenFile{"malformed", "A\r\na.exe\r\nB<x\r\nb.exe\r\n", false, "メニュー情報ファイルがヘンです～。"},
                    BrokenFile{"odd", "A\r\na.exe\r\nB\r\n", false, "メニューファイルの行数がおかしいです。"},
                    // Nothing after a NUL may go unseen, nor be lost by a save.
                    BrokenFile{"cut", "A\r\na.exe\r\nB\0\r\nb.exe\r\n"s, false, "メニュー情報ファイルがヘンです～。"},
                    BrokenFile{"empty", "", false, nullptr},
                    BrokenFile{"missing", "", true, "メニュー情報ファイルがヘンです～。"}),
    [](const testing::TestParamInfo<BrokenFile>& info) { return std::string(info.param.name); });

}  // namespace
