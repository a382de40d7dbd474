#include <gtest/gtest.h>

#include "MenuFile.h"
#include "TestText.h"

using namespace menufile;

TEST(EntryLines, WhatAPairOfLinesReadsAsWrittenBack) {
  // Second bytes with the code of a mark: ー '[', ゾ ']', ボ '{', マ '}', ソ
  // and 表 '\\'. "!": the name line has an unclosed mark.
  const std::string kana = sjis("ゾーン表示ボタンマップ"), so = sjis("ソフト.ico");
  const struct {
    std::string name, target, nameOut, targetOut;
  } cases[] = {
      {"Notepad<C:\\N.EXE,0>{MAXIMIZE}", " \"C:\\N.EXE\" ", "Notepad<C:\\N.EXE,0>{MAXIMIZE}", "C:\\N.EXE"},
      {"{minimize}[ C:\\My Work ]<x.ico,-3>Name", "x", "Name<x.ico,-3>[ C:\\My Work ]{MINIMIZE}", "x"},
      {"Na<x,1>me{Maximize}", "x", "Name<x,1>{MAXIMIZE}", "x"},
      {"<a]b", "x", "b", "x"},  // an opening mark closes at any closing one
      {"a]b>c}d{ MAXIMIZE}", "x", "a]b>c}d", "x"},
      {"\t \t Name\t ", "x", "\t\tName", "\t\tx"},  // blanks in the leading run do not count
      {" \t\tName{NORMAL}", "x", "\t\tName", "\t\tx"},
      {"<x,1>\tA\tB[]{}", "x", "\tA\tB<x,1>", "\tx"},  // tabs count once the marks are out
      {"A<x.ico,99999999999>", "x", "A<x.ico,0>", "x"},
      {"A<a,1,2>", "x", "A<a,0>", "x"},  // only the first comma splits
      {"A<x.ico,>", "x", "A<x.ico,0>", "x"},
      {"\t" + kana + "}", "x", "\t" + kana + "}", "\tx"},
      {"A<" + so + ",4>[C:\\" + kana + "]", "x", "A<" + so + ",4>[C:\\" + kana + "]", "x"},
      {"x\x81[", "x", "x\x81[", "x"},  // ー cannot open a mark
      {"abc\x81", "x", "abc\x81", "x"},
      {"ok<x,0>then[C:\\", "x", "!", ""},
      {"A>x<y", "x", "!", ""},
      {"A]x[y", "x", "!", ""},
      {"A}{MAXIMIZE", "x", "!", ""},
      {"a[" + sjis("ー"), "x", "!", ""},
      {"a[\x81", "x", "!", ""},  // a lead byte last has no second byte to skip
      {"A", "\t\"C:\\Program Files\\e.exe\" -n a.txt", "A", "\"C:\\Program Files\\e.exe\" -n a.txt"},
      {"A", "notepad.exe \"C:\\My Docs\\a.txt\"", "A", "notepad.exe \"C:\\My Docs\\a.txt\""},
      {"A", "notepad.exe  -x", "A", "notepad.exe  -x"},  // the second blank stays
      {"A", "\t\t  calc.exe  \t", "A", "calc.exe"},  // indentation never reaches either part
      {"A", "\ta\tb.exe ", "A", "a\tb.exe"},          // only a blank calls for quotes
      {"A", "\"a b\"-x", "A", "\"a b\" x"},            // one character after the closing quote is skipped
      {"A", "\"unclosed program -x", "A", " nclosed program -x"},
      {"A", "\"" + kana + " " + so + "\" /x", "A", "\"" + kana + " " + so + "\" /x"},  // quotes past double bytes
      // Separators' and submenus' target lines are not read, nor a submenu's window.
      {"\t\t", "calc.exe", "\t\t", "\t\t"},
      {" \t\x01", "", "\t", "\t"},
      {"\tTools{MAXIMIZE}", "\t \t", "\tTools", "\t"},
      {"<x,0>", "", "<x,0>", ""},  // marks alone still name an entry
      {"L<none,2>[C:\\L]", "", "L<none,2>[C:\\L]", ""},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> lines{c.name, c.target};
    MenuEntry e;
    std::pair<std::string, std::string> out{"!", ""};
    try {
      if (MenuReader(lines, LevelRule::Editor).Next(e)) out = FormatEntryLines(e.Level, e);
    } catch (const UnclosedMark&) {
    }
    EXPECT_EQ(out, std::make_pair(c.nameOut, c.targetOut)) << c.name;
    EXPECT_TRUE(out.first == "!" || ClassifyEntry(c.name, c.target) == ClassifyEntry(out.first, out.second)) << c.name;
  }
  EXPECT_EQ(ExtractIconIndex("A<12>"), 12) << "without a comma: a number and no file";
  for (const char* s : {"none", "NONE", "nOnE"}) EXPECT_TRUE(IsNoIcon(s)) << s;
  for (const char* s : {"", "non", "none ", "none.ico"}) EXPECT_FALSE(IsNoIcon(s)) << s;
  EXPECT_TRUE(IsWritable(sjis("メニュー,"), NameLineField::WorkFolder)) << "the second byte of ー is no mark";
  EXPECT_FALSE(IsWritable(sjis("メニュー,"), NameLineField::IconFileName));
  // What the editor may hold but never reads: an item without a target comes
  // back as a submenu, one without a name as a separator at its level.
  Entry entry{sjis("新しい項目"), "", "", "", "", 0, wsNormal, EntryKind::Item};
  EXPECT_EQ(FormatEntryLines(1, entry), std::make_pair("\t" + entry.ItemName, std::string("\t")));
  entry = Entry{"", "", "calc.exe", "", "", 0, wsNormal, EntryKind::Item};
  EXPECT_EQ(FormatEntryLines(3, entry).first, "\t\t\t");
}
