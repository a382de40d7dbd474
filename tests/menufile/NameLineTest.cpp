#include <gtest/gtest.h>

#include "MenuFile.h"
#include "TestText.h"

using namespace menufile;

namespace {
struct NameCase {
  std::string line;
  std::string name;
  int level;
};
}  // namespace

TEST(ExtractItemName, MarksAnywhereAndInAnyOrderLeaveTheName) {
  const NameCase cases[] = {
      {"Notepad<C:\\WINDOWS\\NOTEPAD.EXE,0>{MAXIMIZE}", "Notepad", 0},
      {"\tEditor[C:\\Work]", "Editor", 1},
      {"{MINIMIZE}[C:\\W]<x.ico,3>Name", "Name", 0},
      {"Na<x,1>me", "Name", 0},
      {"<a]b", "b", 0},  // opening and closing marks need not match in kind
      {"a]b>c}d", "a]b>c}d", 0},  // closing marks without an opening one stay
      {"  Name  ", "Name", 0},
      {"\t \t Name\t ", "Name", 2},  // blanks in the leading run do not count
      {" \t\tName", "Name", 2},
      {"\t\t", "", 2},  // a separator is its tabs alone
      {"\t\t  ", "", 2},
      {"", "", 0},
      {"<x,1>\tName", "Name", 1},  // tabs count once the marks are out
      {"\tA\tB", "A\tB", 1},
  };
  for (const auto& c : cases) {
    const auto got = ExtractItemName(c.line);
    EXPECT_EQ(got.name, c.name) << c.line;
    EXPECT_EQ(got.level, c.level) << c.line;
  }
}

TEST(ExtractItemName, SecondBytesThatLookLikeMarksAreNotMarks) {
  // The long-vowel mark is 0x81 0x5B: a lead byte followed by the code of '['.
  // Second bytes: ー '[', ゾ ']', ボ '{', マ '}', ソ and 表 '\\'.
  for (const char* text : {"メニュー", "ゾーン", "ボタン", "マップ", "ソフト", "表示"}) {
    const std::string line = std::string(1, '\t').append(sjis(text)).append("}");
    // A lone '}' after the name is no mark, so it stays too.
    EXPECT_EQ(ExtractItemName(line).name, sjis(text) + "}") << text;
  }
  const std::string name = sjis("メニュー");
  EXPECT_EQ(ExtractItemName(name + "<" + sjis("ー") + ",2>[" + sjis("ー") + "]").name, name);
}

TEST(ExtractItemName, AnUnclosedMarkFailsWithoutReadingPastTheLine) {
  for (const std::string& line : std::vector<std::string>{"Name<x.ico,0", "Name[C:\\", "Name{MAX", "<", "ok<x,0>then[",
                           std::string("a[") + sjis("ー")}) {
    EXPECT_THROW(ExtractItemName(line), UnclosedMark) << line;
  }
  // A lead byte as the very last byte has no second byte to skip.
  EXPECT_THROW(ExtractItemName("a[\x81"), UnclosedMark);
  EXPECT_EQ(ExtractItemName("abc\x81").name, "abc\x81");
  // A '[' hidden as a second byte cannot open a mark, so nothing is unclosed.
  EXPECT_EQ(ExtractItemName("x\x81[").name, "x\x81[");
}

TEST(MarkFields, IconFileAndNumber) {
  const std::string dbcsFile = sjis("ソフト") + ".ico";  // second byte of ソ is 0x5C
  const struct {
    std::string line, file;
    int index;
  } cases[] = {
      {"A<C:\\x.exe,12>", "C:\\x.exe", 12}, {"A<x.dll,-3>", "x.dll", -3}, {"A<x.ico,abc>", "x.ico", 0},
      {"A<x.ico,>", "x.ico", 0},
      {"A<x.ico,99999999999>", "x.ico", 0},  // out of range is not a number
      {"A<a,1,2>", "a", 0},                 // only the first comma splits
      {"A<12>", "", 12},                    // without a comma: all number, no file
      {"A", "", 0}, {"A<>", "", 0}, {"A>x<y", "", 0}, {"A<,", "", 0},
      {"A<" + dbcsFile + ",4>", dbcsFile, 4},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractIconFile(c.line), c.file) << c.line;
    EXPECT_EQ(ExtractIconIndex(c.line), c.index) << c.line;
  }
}

TEST(MarkFields, WorkFolderIsTakenAsWritten) {
  EXPECT_EQ(ExtractWorkFolder("A[C:\\Work]"), "C:\\Work");
  EXPECT_EQ(ExtractWorkFolder("A[ C:\\My Work ]"), " C:\\My Work ");
  EXPECT_EQ(ExtractWorkFolder("A[]"), "");
  EXPECT_EQ(ExtractWorkFolder("A]x[y"), "");
  EXPECT_EQ(ExtractWorkFolder("A<x,0>{MINIMIZE}[D:\\]"), "D:\\");
  const std::string folder = "C:\\" + sjis("メニュー");
  EXPECT_EQ(ExtractWorkFolder("A[" + folder + "]"), folder);
}

TEST(MarkFields, WindowStateIgnoresLetterCase) {
  EXPECT_EQ(ExtractWindowState("A{MINIMIZE}"), wsMinimized);
  EXPECT_EQ(ExtractWindowState("A{minimize}"), wsMinimized);
  EXPECT_EQ(ExtractWindowState("{Maximize}A"), wsMaximized);
  for (const char* line : {"A", "A{}", "A{NORMAL}", "A{ MAXIMIZE}", "A}{MAXIMIZE"})
    EXPECT_EQ(ExtractWindowState(line), wsNormal) << line;
}

TEST(MarkFields, NoneMeansNoIconInAnyLetterCase) {
  for (const char* s : {"none", "NONE", "None", "nOnE"}) EXPECT_TRUE(IsNoIcon(s)) << s;
  for (const char* s : {"", "non", "none ", "none.ico"}) EXPECT_FALSE(IsNoIcon(s)) << s;
}
