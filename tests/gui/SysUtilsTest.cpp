#include <gtest/gtest.h>
#include <windows.h>

#include "SysUtils.h"
#include "TestText.h"

using namespace gui;

TEST(FileNames, SeparatorsAreNeverSecondBytesAndExtensionsBelongToTheNamePart) {
  // The second byte of 表 is the code of '\'.
  EXPECT_EQ(ExtractFilePath(sjis("C:\\表\\a.exe")), sjis("C:\\表\\"));
  EXPECT_EQ(ExtractFilePath(sjis("C:\\表")), "C:\\");
  EXPECT_EQ(ExtractFileName(sjis("C:\\ソフト")), sjis("ソフト"));
  EXPECT_EQ(ExtractFilePath("D:a.exe"), "D:");
  EXPECT_EQ(ExtractFileExt("C:\\my.dir\\menu"), "");
  EXPECT_EQ(ChangeFileExt("C:\\dir\\my.menu.txt", ".tmp"), "C:\\dir\\my.menu.tmp");
  EXPECT_EQ(ChangeFileExt("C:/my.dir/menu", ".tmp"), "C:/my.dir/menu.tmp");
  EXPECT_EQ(LowerCaseAscii(sjis("ＡB.LNK")), sjis("Ａb.lnk")) << "double-byte letters stay";
}

TEST(CodePage, ANameTheCodePageLacksIsNeverWrittenWithAQuestionMark) {
  // A name, whether the code page holds it exactly, and how it is shown (UTF-8).
  const struct { std::wstring wide; bool exact; std::string shown; } cases[] = {
      {L"menu\x30E1.txt", true, "menuメ.txt"},
      {L"caf\x00E9", false, "caf？"},  // no look-alike "e"
      {L"what?", true, "what?"},
  };
  for (const auto& c : cases) {
    std::string ansi = "left over";
    EXPECT_EQ(WideToAnsiExact(c.wide, ansi), c.exact) << c.shown;
    if (c.exact) {
      EXPECT_EQ(ansi, sjis(c.shown));
    }
    EXPECT_EQ(ShownName(c.wide), sjis(c.shown));
  }
  EXPECT_EQ(AnsiPath(L"C:\\no such folder\\\xD55C\xAE00.txt"), "") << "no file, no short name";
}
