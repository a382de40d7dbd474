#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "Dialogs.h"
#include "Pixels.h"
#include "Registry.h"
#include "TestFiles.h"
#include "TestText.h"
#include "Text.h"
#include "unitMain.h"

using namespace gui;

namespace {

class BuildMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = SetMessageBoxResponder([this](const MessageBoxRequest& r) {
      ADD_FAILURE() << utf8(r.text);
      return IDOK;
    });
    TRegIniFile("Software\\MORVATH\\Ostrevan").WriteString("", "EditorPosition", "bottom");
  }
  void TearDown() override {
    SetMessageBoxResponder(previous_);
    DeleteFileA(path_.c_str());
  }

  // Writes the menu file (UTF-8 text converted to Shift-JIS) and builds; in
  // cache mode from a list of that many (blank) images, which the entries
  // show as `imageOfEntry` says.
  bool Build(const std::string& text, bool fromCache = false, int cachedImages = 0,
             std::vector<int32_t> imageOfEntry = {}) {
    WriteBytes(path_, sjis(text));
    form_ = std::make_unique<TformMain>(nullptr);
    form_->ilstLaunch->SetCount(cachedImages);
    form_->ImageOfEntry = std::move(imageOfEntry);
    form_->MenuFileName = path_;
    form_->MenuLines = base::LoadLines(path_);
    return form_->BuildLaunchMenu(fromCache);
  }

  TMenuItem* Top() { return form_->pmnuLaunch->Items(); }
  // The menu as text: captions in UTF-8 with their pair index, children in
  // brackets.
  static std::string Shape(const TMenuItem* menu) {
    std::string out;
    for (int i = 0; i < menu->Count(); ++i) {
      const TMenuItem* item = menu->Items(i);
      out += (i ? ", " : "") + utf8(item->Caption()) + "#" + std::to_string(item->Tag);
      if (item->Count()) out.append("[").append(Shape(item)).append("]");
    }
    return out;
  }

  // Which of the launcher's icons the item shows; -1 for no image, kOther
  // for a picture not of the launcher's.
  static constexpr int kOther = -2;
  int LauncherIconOf(const TMenuItem* item) {
    if (item->ImageIndex() < 0) return -1;
    const auto pixels = ImagePixels(form_->ilstLaunch->Handle(), item->ImageIndex());
    for (int n = 0; n <= 6; ++n) {
      const TIcon icon = LauncherIcon(n, form_->ilstLaunch->Width());
      if (IconPixels(icon.Handle()) == pixels) return n;
    }
    return kOther;
  }

  TApplication app_;
  std::unique_ptr<TformMain> form_;
  MessageBoxResponder previous_;
  const std::string path_ = "build_menu_test.txt";
};

}  // namespace

TEST_F(BuildMenuTest, EntriesBecomeNestedItemsWithTheirPairIndex) {
  ASSERT_TRUE(Build(
      "Notepad<none,0>\r\nnotepad.exe\r\n"
      "\r\n\r\n"
      "ツール\r\n\r\n"
      "\tメニュー<none,0>\r\n\tcalc.exe\r\n"
      "\t\t\r\n\t\t\r\n"  // one level deeper: it opens the entry before it
      "\tSub\r\n\r\n"
      "\t\tDeep<none,0>\r\n\t\tx.exe\r\n"
      "\t\t\r\n\r\n"
      "\t\tDeeper<none,0>\r\n\t\ty.exe\r\n"
      "Last<none,0>\r\nz.exe\r\n"));
  // The editor's separator and entry carry no pair index.
  EXPECT_EQ(Shape(Top()), "Notepad#0, -#1, ツール#2[メニュー#3[-#4], Sub#5[Deep#6, -#7, Deeper#8]], Last#9, -#0, メニューエディタ#0");
  EXPECT_EQ(form_->ilstLaunch->Count(), 3) << "the blank, the folder and the editor's icon, once each";
  EXPECT_EQ(LauncherIconOf(Top()->Items(5)), 6);

  // Without a setting, the editor entry ends the menu, an empty one too.
  RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\MORVATH\\Ostrevan", "EditorPosition");
  ASSERT_TRUE(Build(""));
  EXPECT_EQ(Shape(Top()), "-#0, メニューエディタ#0");
}

TEST_F(BuildMenuTest, EveryEntryGetsItsIconWithTheRightFallback) {
  ASSERT_TRUE(Build(
      "NoIcon<NONE,0>\r\nx.exe\r\n"          // 0: the blank icon
      "\r\nnot read at all\r\n"                // 1: separator: none
      "Missing<no such.ico,0>\r\nx.exe\r\n"  // 2: item fallback
      "Folder<no such.ico,3>\r\n\r\n"         // 3: submenu fallback
      "Plain\r\n\r\n"                         // 4: submenu default
      "Hidden<none,0>\r\n\r\n"                // 5: submenu without icon: the blank one
      "Unknown\r\nno such program.exe\r\n"    // 6: item whose program is missing
      "Own<Z:\\no\\such\\file.exe,-1>\r\nx.exe\r\n"
      "Document\r\n" + path_ + "\r\n"           // 8, 9: what Explorer shows for them
      "Folder\r\nC:\\windows\r\n"));
  const int expected[] = {5, -1, 1, 2, 2, 5, 1, 1, kOther, kOther, -1, 6};
  for (int k = 0; k < 12; ++k) EXPECT_EQ(LauncherIconOf(Top()->Items(k)), expected[k]) << "entry " << k;
  EXPECT_NE(Top()->Items(8)->ImageIndex(), Top()->Items(9)->ImageIndex());
  EXPECT_EQ(form_->ilstLaunch->Count(), 6) << "each picture once";
}

TEST_F(BuildMenuTest, AProgramsOwnIconIsTakenByNumber) {
  // The test program carries the launcher's icon set, so it can stand in for
  // any program file with several icons.
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string exe = self;
  SetEnvironmentVariableA("BUILD_MENU_TEST", exe.c_str());
  ASSERT_TRUE(Build("ByTarget<,0>\r\n\"" + exe + "\" -x\r\n"
                    "Icon4<,4>\r\n\"" + exe + "\"\r\n"
                    "ByFile<" + exe + ",2>\r\nnothing.exe\r\n"
                    "Again<" + exe + ",2>\r\nnothing.exe\r\n"
                    "Variable<%BUILD_MENU_TEST%,3>\r\nnothing.exe\r\n"));
  EXPECT_EQ(LauncherIconOf(Top()->Items(0)), 0);
  EXPECT_EQ(LauncherIconOf(Top()->Items(1)), 4) << "an empty icon file: the number applies to the program";
  EXPECT_EQ(LauncherIconOf(Top()->Items(2)), 2);
  EXPECT_EQ(Top()->Items(3)->ImageIndex(), Top()->Items(2)->ImageIndex()) << "the same icon, once";
  EXPECT_EQ(LauncherIconOf(Top()->Items(4)), 3);
}

TEST_F(BuildMenuTest, CacheModeShowsTheImagesTheCacheNamesAndExtractsNothing) {
  // Whatever the restored list holds, the entries and the editor's show the
  // images the cache names for them.
  const char* menu = "A<no such.ico,0>\r\na.exe\r\n\r\n\r\nB\r\n\r\n\tC\r\nc.exe\r\n";
  ASSERT_TRUE(Build(menu, /*fromCache=*/true, 3, {1, -1, 0, 1, 2}));
  EXPECT_EQ(Top()->Items(0)->ImageIndex(), 1);
  EXPECT_EQ(Top()->Items(1)->ImageIndex(), -1) << "a separator shows no image";
  EXPECT_EQ(Top()->Items(2)->ImageIndex(), 0);
  EXPECT_EQ(Top()->Items(2)->Items(0)->ImageIndex(), 1);
  EXPECT_EQ(Top()->Items(4)->ImageIndex(), 2);
  EXPECT_EQ(form_->ilstLaunch->Count(), 3) << "nothing was added";

  ASSERT_TRUE(Build(menu, /*fromCache=*/true, 3, {1, -1}));
  EXPECT_EQ(form_->ilstLaunch->Count(), 4) << "a cache for another file: the editor icon is added";
  EXPECT_EQ(Top()->Items(2)->ImageIndex(), -1);
  EXPECT_EQ(LauncherIconOf(Top()->Items(4)), 6);
}
