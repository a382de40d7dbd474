#include <gtest/gtest.h>
#include <windows.h>

#include "Dialogs.h"
#include "Pixels.h"
#include "Registry.h"
#include "SysUtils.h"
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

  // Writes the menu file (UTF-8 text converted to Shift-JIS) and builds it
  // as a first start does, without a cache.
  bool Build(const std::string& text) {
    WriteBytes(path_, sjis(text));
    form_ = std::make_unique<TformMain>(nullptr);
    form_->MenuFileName = path_;
    form_->MenuLines = base::LoadLines(path_);
    return form_->BuildLaunchMenu(false);
  }

  TMenuItem* Top() { return form_->pmnuLaunch->Items(); }

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

// (How the entries nest is the menu reader's test; what they start and how
// the editor's entry stands, the end-to-end test's.)
TEST_F(BuildMenuTest, EveryEntryGetsItsIconOnceWithTheRightFallback) {
  // The test program carries the launcher's icon set, so it can stand in for
  // any program file with several icons.
  const std::string exe = GetModuleFileNameString();
  SetEnvironmentVariableA("BUILD_MENU_TEST", exe.c_str());
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
      "Folder\r\nC:\\windows\r\n"
      "ByTarget<,0>\r\n\"" + exe + "\" -x\r\n"
      "Icon4<,4>\r\n\"" + exe + "\"\r\n"       // 11: an empty icon file: the number applies to the program
      "ByFile<" + exe + ",2>\r\nnothing.exe\r\n"
      "Again<" + exe + ",2>\r\nnothing.exe\r\n"  // 13: the same icon, once
      "Variable<%BUILD_MENU_TEST%,3>\r\nnothing.exe\r\n"));
  const int expected[] = {5, -1, 1, 2, 2, 5, 1, 1, kOther, kOther, 0, 4, 2, 2, 3, -1, 6};
  for (int k = 0; k < 17; ++k) EXPECT_EQ(LauncherIconOf(Top()->Items(k)), expected[k]) << "entry " << k;
  EXPECT_NE(Top()->Items(8)->ImageIndex(), Top()->Items(9)->ImageIndex());
  EXPECT_EQ(Top()->Items(13)->ImageIndex(), Top()->Items(12)->ImageIndex());
  EXPECT_EQ(form_->ilstLaunch->Count(), 10) << "each picture once";
}
