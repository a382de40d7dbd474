#include <gtest/gtest.h>

#include "SysUtils.h"
#include "TestText.h"

using namespace gui;

TEST(FileNames, SeparatorsAreNeverSecondBytes) {
  // The second byte of 表 is the code of '\'.
  const std::string dir = sjis("C:\\表\\");
  EXPECT_EQ(ExtractFilePath(dir + "a.exe"), dir);
  EXPECT_EQ(ExtractFilePath(sjis("C:\\表")), "C:\\");
  EXPECT_EQ(ExtractFileName(sjis("C:\\ソフト")), sjis("ソフト"));
  EXPECT_EQ(ExtractFilePath("D:a.exe"), "D:");
  EXPECT_EQ(ExtractFilePath("a.exe"), "");
  EXPECT_EQ(ExtractFileName("C:\\x\\"), "");
}

TEST(FileNames, ExtensionsBelongToTheNamePartOnly) {
  EXPECT_EQ(ExtractFileExt("C:\\my.dir\\menu"), "");
  EXPECT_EQ(ExtractFileExt("C:\\dir\\my.menu.txt"), ".txt");
  EXPECT_EQ(ChangeFileExt("C:\\my.dir\\menu", ".tmp"), "C:\\my.dir\\menu.tmp");
  EXPECT_EQ(ChangeFileExt("C:\\dir\\my.menu.txt", ".tmp"), "C:\\dir\\my.menu.tmp");
  EXPECT_EQ(ChangeFileExt("C:\\dir\\.profile", ".tmp"), "C:\\dir\\.tmp");
  EXPECT_EQ(LowerCaseAscii(sjis("ＡB.LNK")), sjis("Ａb.lnk")) << "double-byte letters stay";
}
