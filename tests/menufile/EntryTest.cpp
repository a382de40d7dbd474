#include <gtest/gtest.h>

#include "MenuFile.h"
#include "TestText.h"

using namespace menufile;

namespace {
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

TEST(FormatEntryLines, DegenerateEntriesChangeKindOnTheWayBack) {
  // An item with neither target nor options comes back as a submenu.
  const auto noTarget = FormatEntryLines(1, Item(sjis("新しい項目"), ""));
  EXPECT_EQ(ClassifyEntry(noTarget.first, noTarget.second), EntryKind::Submenu);
  // A nameless entry without marks comes back as a separator at its level.
  const auto noName = FormatEntryLines(3, Item("", "calc.exe"));
  EXPECT_EQ(noName.first, "\t\t\t");
  EXPECT_EQ(ClassifyEntry(noName.first, noName.second), EntryKind::Separator);
}
