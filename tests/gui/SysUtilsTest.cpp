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
  EXPECT_EQ(LowerCaseAscii(sjis("ＡB.LNK")), sjis("Ａb.lnk")) << "double-byte letters stay";
}

TEST(CodePage, ANameTheCodePageLacksIsNeverWrittenWithAQuestionMark) {
  const struct {
    std::wstring wide;
    bool exact;
    std::string shown;  // UTF-8
  } cases[] = {
      {L"menu\x30E1.txt", true, "menuメ.txt"},
      {L"\xD55C\xAE00.exe", false, "？？.exe"},  // Korean
      {L"caf\x00E9", false, "caf？"},            // no look-alike "e"
      {L"a\xD83D\xDE42.txt", false, "a？.txt"},  // an emoji, two halves
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

  // Such a file is named by its short form, which the code page holds.
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring korean = std::wstring(temp) + L"\xD55C\xAE00 sysutils test.txt";
  CloseHandle(CreateFileW(korean.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  const std::string path = AnsiPath(korean);
  EXPECT_EQ(path.find('?'), std::string::npos) << path;
  EXPECT_TRUE(FileExists(path)) << path;
  DeleteFileW(korean.c_str());
  EXPECT_EQ(AnsiPath(korean), "") << "no file, no short name";
}
