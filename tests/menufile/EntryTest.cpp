#include <gtest/gtest.h>

#include "MenuFile.h"
#include "TestText.h"

using namespace menufile;

namespace {

const class : public FileSystem {
 public:
  bool FileExists(const std::string&) const override { return false; }
  std::string PathVariable() const override { return {}; }
} kNoFiles;

// One entry read the way the editor reads it.
struct Read {
  EntryKind kind;
  int level;
  Entry e;
};

Read ReadEntry(const std::string& nameLine, const std::string& targetLine) {
  Read r{ClassifyEntry(nameLine, targetLine), 0, {}};
  const auto name = ExtractItemName(nameLine);
  r.level = name.level;
  r.e.Kind = r.kind;
  if (r.kind == EntryKind::Separator) return r;
  r.e.ItemName = name.name;
  r.e.IconFileName = ExtractIconFile(nameLine);
  r.e.IconIndex = ExtractIconIndex(nameLine);
  if (r.kind == EntryKind::Submenu) return r;
  r.e.ExeName = ExtractExeName(targetLine, kNoFiles);
  r.e.CmdLine = ExtractCmdLine(targetLine);
  r.e.WorkFolder = ExtractWorkFolder(nameLine);
  r.e.WindowState = ExtractWindowState(nameLine);
  return r;
}

Entry Item(std::string name, std::string exe, std::string cmd = "") {
  Entry e;
  e.ItemName = std::move(name);
  e.ExeName = std::move(exe);
  e.CmdLine = std::move(cmd);
  return e;
}

}  // namespace

TEST(ClassifyEntry, KindFollowsTheTrimmedLines) {
  EXPECT_EQ(ClassifyEntry("\t\t", "calc.exe"), EntryKind::Separator) << "target not looked at";
  EXPECT_EQ(ClassifyEntry(" \t\x01", ""), EntryKind::Separator);
  EXPECT_EQ(ClassifyEntry("\tTools", "\t \t"), EntryKind::Submenu);
  EXPECT_EQ(ClassifyEntry("<x,0>", ""), EntryKind::Submenu) << "marks alone still name an entry";
  EXPECT_EQ(ClassifyEntry("A", "a.exe"), EntryKind::Item);
}

TEST(FormatEntryLines, WritesTheMarksInOrderAndQuotesBlanks) {
  Entry e = Item("Editor", "C:\\Program Files\\Editor\\edit.exe", "-n readme.txt");
  e.IconFileName = "C:\\icons.dll";
  e.IconIndex = -2;
  e.WorkFolder = "C:\\Work";
  e.WindowState = wsMinimized;
  const auto [name, target] = FormatEntryLines(2, e);
  EXPECT_EQ(name, "\t\tEditor<C:\\icons.dll,-2>[C:\\Work]{MINIMIZE}");
  EXPECT_EQ(target, "\t\t\"C:\\Program Files\\Editor\\edit.exe\" -n readme.txt");

  Entry tabbed = Item("T", "a\tb.exe");
  EXPECT_EQ(FormatEntryLines(0, tabbed).second, "a\tb.exe") << "only a blank causes quotes";

  Entry sep;
  sep.Kind = EntryKind::Separator;
  sep.ItemName = sjis("━━━━━━━━");
  sep.ExeName = "ignored.exe";
  EXPECT_EQ(FormatEntryLines(1, sep), std::make_pair(std::string("\t"), std::string("\t")));

  Entry sub = Item("Tools", "ignored.exe", "ignored");
  sub.Kind = EntryKind::Submenu;
  sub.WindowState = wsMaximized;
  EXPECT_EQ(FormatEntryLines(0, sub), std::make_pair(std::string("Tools{MAXIMIZE}"), std::string()));
}

TEST(FormatEntryLines, WhatIsWrittenReadsBack) {
  Entry full = Item(sjis("メニュー編集"), "C:\\Program Files\\x.exe", "\"a b\"  c");
  full.IconFileName = sjis("C:\\アイコン\\ソフト.ico");
  full.IconIndex = 7;
  full.WorkFolder = sjis("D:\\作業 フォルダ");
  full.WindowState = wsMaximized;
  for (int level : {0, 1, 5}) {
    const auto [name, target] = FormatEntryLines(level, full);
    const Read r = ReadEntry(name, target);
    EXPECT_EQ(r.kind, EntryKind::Item);
    EXPECT_EQ(r.level, level);
    EXPECT_EQ(r.e.ItemName, full.ItemName);
    EXPECT_EQ(r.e.IconFileName, full.IconFileName);
    EXPECT_EQ(r.e.IconIndex, full.IconIndex);
    EXPECT_EQ(r.e.ExeName, full.ExeName);
    EXPECT_EQ(r.e.CmdLine, full.CmdLine);
    EXPECT_EQ(r.e.WorkFolder, full.WorkFolder);
    EXPECT_EQ(r.e.WindowState, full.WindowState);
  }
}

TEST(FormatEntryLines, DegenerateEntriesChangeKindOnTheWayBack) {
  // An item with neither target nor options comes back as a submenu.
  const auto noTarget = FormatEntryLines(1, Item(sjis("新しい項目"), ""));
  EXPECT_EQ(ReadEntry(noTarget.first, noTarget.second).kind, EntryKind::Submenu);
  // A nameless entry without marks comes back as a separator at its level.
  const auto noName = FormatEntryLines(3, Item("", "calc.exe"));
  const Read r = ReadEntry(noName.first, noName.second);
  EXPECT_EQ(r.kind, EntryKind::Separator);
  EXPECT_EQ(r.level, 3);
}
