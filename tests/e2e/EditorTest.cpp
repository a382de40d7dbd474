// Calvenor.exe driven as a user would, through its real windows, dialogs
// and shortcuts; what its commands do in detail is tested in-process.
#include <gtest/gtest.h>

#include "E2eTest.h"

using namespace e2e;
using Strings = std::vector<std::string>;

namespace {

const char kLayerClass[] = "OstrevanWindow";

class Editing : public E2eTest {
 protected:
  // Starts the editor (on the file, if any) and waits for its main window and tree.
  void StartEditor(const std::string& file) {
    editor_ = Process(file.empty() ? Strings{Program("Calvenor")} : Strings{Program("Calvenor"), file});
    main_ = WaitWindow(editor_.Id(), kLayerClass, sjis("Morvath Ostrevan - メニューエディタ"));
    tree_ = WaitChild(main_, "SysTreeView32");
  }
  // The number of entries the tree shows.
  size_t Count() { return size_t(SendTimeout(tree_, TVM_GETCOUNT, 0, 0)); }

  // An editor a test opened closes cleanly at its end.
  void TearDown() override {
    if (main_) {
      PostMessageA(main_, WM_CLOSE, 0, 0);
      EXPECT_EQ(editor_.ExitCode(), 0u);
    }
    E2eTest::TearDown();
  }

  Process editor_;
  HWND main_ = nullptr;
  HWND tree_ = nullptr;
};

TEST_F(Editing, AHandWrittenMenuIsShownEditedThroughThePanelAndTheSystemsDialogsAndSaved) {
  // The launcher's program file, under a Japanese name, is the icon file.
  const std::string icons = temp_.File(sjis("ランチャ.exe"));
  ASSERT_TRUE(CopyFileA(Program("Ostrevan").c_str(), icons.c_str(), FALSE));
  const std::string work = temp_.File(sjis("作業"));
  ASSERT_TRUE(CreateDirectoryA(work.c_str(), nullptr));
  const std::string tail =
      "ツール<none,0>\r\n\r\n"
      "\tエディタ<C:\\windows\\notepad.exe,0>[C:\\Work]\r\n"
      "\t\"C:\\Program Files\\Editor\\edit.exe\" -n readme.txt\r\n"
      "\t\r\n\t\r\n"
      "\tマイ コンピュータ\r\n\tC:\\windows\\explorer.exe ::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\r\n"
      "メモ帳{MAXIMIZE}\r\nC:\\windows\\notepad.exe\r\n";
  const std::string file = Menu("Notepad\r\nC:\\windows\\notepad.exe\r\nOld\r\n" + utf8(icons) + "\r\n" + tail);
  StartEditor(file);
  Await([&] { return Count() == 7; }, "the seven entries");

  // Right click on the first entry, Delete: down five times passes the
  // submenu and the separators.
  Click(tree_, FirstTreeItemPoint(tree_), true);
  const HWND popup = WaitPopupMenu(editor_.Id());
  EXPECT_EQ(PopupTexts(popup), (Strings{sjis("項目(&I)"), sjis("特殊な項目(&P)"), sjis("セパレータ(&S)"), "-",
                                        sjis("サブメニュー(&M)"), "-", sjis("削除(&D)")}));
  PostKeys(popup, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
  Await([&] { return TopWindows(editor_.Id(), "#32768").empty(); }, "the popup to close");
  Await([&] { return Count() == 6; }, "the entry deleted");

  // The panel as a user sees it: the six fields top to bottom (name, icon
  // file, icon number, target, options, folder), the size list after the
  // toolbar's, and the small picture buttons (icon browse, icon clear,
  // target browse).
  std::vector<HWND> fields, buttons;
  HWND sizes = nullptr;
  for (HWND c : Descendants(main_)) {
    RECT r;
    GetClientRect(c, &r);
    if (ClassName(c) == "Edit") fields.push_back(c);
    if (ClassName(c) == "ComboBox") sizes = c;
    if (ClassName(c) == kLayerClass && r.right == 23 && r.bottom == 22) buttons.push_back(c);
  }
  ASSERT_EQ(fields.size(), 6u);
  ASSERT_EQ(buttons.size(), 3u);
  const auto shows = [&](size_t field, const std::string& text) {
    return WaitUntil([&] { return Text(fields[field]) == text; });
  };
  ForegroundWindow(main_);
  Click(tree_, FirstTreeItemPoint(tree_));
  ASSERT_TRUE(shows(0, "Old"));
  EXPECT_EQ(Text(fields[3]), icons);

  // Without an icon file, the icon picker (the shell's, or the editor's own
  // where the shell has none) starts on the target.
  Click(buttons[0], POINT{11, 11});
  HWND picker = nullptr;
  Await([&] {
    for (HWND w : TopWindows(editor_.Id()))
      if (ClassName(w) == "#32770" || Text(w) == sjis("アイコンの変更")) picker = w;
    return picker != nullptr;
  }, "the icon picker");
  const HWND pickerFile = WaitChild(picker, "Edit");
  EXPECT_TRUE(WaitUntil([&] { return Text(pickerFile) == icons; })) << utf8(Text(pickerFile));
  HWND iconList = nullptr;
  for (HWND c : Descendants(picker))
    if (ClassName(c) == "SysListView32" || ClassName(c) == "ListBox") iconList = c;
  ASSERT_NE(iconList, nullptr);
  PostKeys(iconList, {VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RETURN});
  WaitGone(picker);
  EXPECT_TRUE(shows(1, icons));
  EXPECT_TRUE(shows(2, "3"));

  SetText(fields[0], sjis("新しい名前"));

  // The target from the open-file dialog, typed into its name field.
  Click(buttons[2], POINT{11, 11});
  const HWND open = WaitWindow(editor_.Id(), "#32770", sjis("実行ファイルの場所を指定する"));
  const HWND name = WaitChild(open, "Edit");
  EXPECT_TRUE(WaitUntil([&] { return Text(name) == sjis("ランチャ.exe"); })) << "it starts on the field's program";
  SetText(name, ProbePath());
  PostKeys(name, {VK_RETURN});
  WaitGone(open);
  EXPECT_TRUE(shows(3, ProbePath()));
  SetText(fields[4], "--opt a");
  SetText(fields[5], work);
  PostKeys(sizes, {VK_DOWN, VK_DOWN});
  EXPECT_TRUE(WaitUntil([&] { return Text(sizes) == sjis("最大化"); }));

  // Ctrl+S as the user types it. Typed keys go to the focused window of the
  // foreground thread: the editor comes to the front and the tree takes the
  // focus from a click below its rows, which hands over what the fields hold
  // (what the panel does for each kind of entry is tested in-process).
  ForegroundWindow(main_);
  RECT r;
  GetClientRect(tree_, &r);
  Click(tree_, POINT{4, r.bottom - 4});
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  Await([&] { return GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &info) && info.hwndFocus == tree_ &&
                     GetForegroundWindow() == main_; },
        "the editor in front with its tree focused");
  TypeKeys({'S'}, VK_CONTROL);
  // The rest in the writer's form, which the file already has.
  const std::string saved =
      sjis("新しい名前<") + icons + ",3>[" + work + "]{MAXIMIZE}\r\n" + ProbePath() + " --opt a\r\n" + sjis(tail);
  EXPECT_TRUE(WaitUntil([&] { return ReadBytes(file) == saved; })) << "after Ctrl+S: " << utf8(ReadBytes(file));
}

TEST_F(Editing, TheVersionWindowAndItsPictureOpenFromTheHelpMenu) {
  StartEditor("");
  const std::string splashCaption = sjis("ちょっと待っててね☆");
  for (HWND w : TopWindows(editor_.Id())) EXPECT_NE(Text(w), splashCaption) << "no picture at start-up";

  const int about = int(MenuBarCommand(main_, {sjis("ヘルプ(&H)"), sjis("バージョン情報(&A)")}));
  for (int round = 0; round < 2; ++round) {
    PostMessageA(main_, WM_COMMAND, WPARAM(about), 0);
    const HWND window = WaitWindow(editor_.Id(), kLayerClass, sjis("バージョン情報"));
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
      EXPECT_EQ(GetWindowLongA(splash, GWL_STYLE) & WS_CAPTION, 0) << "no title bar";
      EXPECT_FALSE(IsWindowEnabled(window));
      Click(WaitChild(splash, "Static"), POINT{100, 100});
      WaitGone(splash);
      EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(window) != FALSE; }));
    }

    // Enter the first time, the button the second.
    if (round == 0) PostKeys(window, {VK_RETURN});
    else Click(ok, POINT{10, 10});
    WaitGone(window);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main_) != FALSE; }));
  }
}

}  // namespace
