#include <gtest/gtest.h>

#include <functional>

#include "MenuFile.h"
#include "TestText.h"
#include "Text.h"

using namespace menufile;

namespace {

// The entries read by that rule as text: captions ("-" for a separator),
// children in brackets; then the failure, if any.
std::string Read(const std::string& utf8Text, LevelRule rule) {
  const std::vector<std::string> lines = base::SplitLines(sjis(utf8Text));
  std::vector<MenuEntry> entries;
  std::string failure;
  try {
    MenuReader reader(lines, rule);
    for (MenuEntry e; reader.Next(e);) {
      EXPECT_EQ(reader.Index(), int(entries.size()));
      entries.push_back(e);
    }
  } catch (const UnclosedMark&) {
    failure = " !mark";
  } catch (const LevelJump&) {
    failure = " !level";
  }
  std::function<std::string(int)> under = [&](int parent) {
    std::string out;
    for (size_t i = 0; i < entries.size(); ++i) {
      if (entries[i].Parent != parent) continue;
      EXPECT_LT(parent, int(i)) << "an entry stands in one before it";
      out += (out.empty() ? "" : ", ") + (entries[i].Kind == EntryKind::Separator ? "-" : utf8(entries[i].ItemName));
      const std::string children = under(int(i));
      if (!children.empty()) out += "[" + children + "]";
    }
    return out;
  };
  return under(-1) + failure;
}

}  // namespace

TEST(MenuReader, EachProgramPlacesTheEntriesByItsLevelRuleAndStopsAtTheFirstBadOne) {
  const LevelRule kEditor = LevelRule::Editor, kLauncher = LevelRule::Launcher;
  const struct {
    std::string text;
    LevelRule rule;
    std::string shape;
  } cases[] = {
      {"Notepad<none,0>\nnotepad.exe\n\n\nツール\n\n\tメニュー\n\tcalc.exe\n\t\t\n\t\t\n\tSub\n\n"
       "\t\tDeep\n\t\tx.exe\n\t\t\n\n\t\tDeeper\n\t\ty.exe\nLast\nz.exe\n",
       kLauncher, "Notepad, -, ツール[メニュー[-], Sub[Deep, -, Deeper]], Last"},
      {"A\n\n\t\tB\nb.exe\n", kLauncher, "A !level"},
      {"\tA\na.exe\n", kLauncher, " !level"},
      {"", kLauncher, ""},
      // The editor: a first entry below the top is at the top, any rise one
      // step down, a fall as far up as it goes.
      {"\tA\n\n\tB\n\nC\n\n\t\tD\n\n\t\tE\n\n\tF\n\n\t\t\tG\n\nH\n\n\t\t\t\tI\n\nJ\n\n", kEditor,
       "A, B, C[D, E], F[G], H[I], J"},
      {"A\n\n\t\tB\n\n\t\tC\n\n\tD\n\n", kEditor, "A[B, C], D"},
      {"A\n\n\tB\n\n\t\tC\n\n\t\t\t\t\t\tD\n\nE\n\n", kEditor, "A[B[C[D]]], E"},
      // A malformed name line stops either; a last line alone is not read.
      {"A\na.exe\nB\n\n\tC\nc.exe\n\tbroken<x.ico,1\nb.exe\nD\nd.exe\n", kEditor, "A, B[C] !mark"},
      {"A\na.exe\nB\n\n\tC\nc.exe\n\tbroken<x.ico,1\nb.exe\nD\nd.exe\n", kLauncher, "A, B[C] !mark"},
      {"A\na.exe\nB", kEditor, "A"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Read(c.text, c.rule), c.shape) << (c.rule == kEditor ? "editor: " : "launcher: ") << c.text;
}

TEST(MenuReader, EachKindHasItsOwnFieldsAndASubmenuKeepsItsFolder) {
  const std::vector<std::string> lines = {
      "Item<i.ico,3>[C:\\W]{MAXIMIZE}", "\"C:\\a b\\x.exe\" -o",
      "Links<none,2>[C:\\Users\\me\\Links]{MINIMIZE}", "",
      "\t", "not read",
  };
  MenuReader reader(lines, LevelRule::Editor);
  MenuEntry item, links, separator, none;
  ASSERT_TRUE(reader.Next(item) && reader.Next(links) && reader.Next(separator));
  EXPECT_FALSE(reader.Next(none));
  Entry expected{"Item", "i.ico", "C:\\a b\\x.exe", "-o", "C:\\W", 3, wsMaximized, EntryKind::Item};
  EXPECT_EQ(Entry(item), expected);
  expected = Entry{"Links", "none", "", "", "C:\\Users\\me\\Links", 2, wsNormal, EntryKind::Submenu};
  EXPECT_EQ(Entry(links), expected);
  Entry blank;
  blank.Kind = EntryKind::Separator;
  EXPECT_EQ(Entry(separator), blank);
  EXPECT_EQ(separator.Level, 1);
  EXPECT_EQ(separator.Parent, 1);
  // The folder mark written back as it came.
  EXPECT_EQ(FormatEntryLines(0, links).first, "Links<none,2>[C:\\Users\\me\\Links]");
}

TEST(IconOf, EachProgramsColumnOfTheIconTable) {
  const std::string location = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
  const auto entry = [](EntryKind kind, std::string iconFile, int index, std::string exe = "", std::string cmd = "") {
    return Entry{"E", std::move(iconFile), std::move(exe), std::move(cmd), "", index, wsNormal, kind};
  };
  const EntryKind item = EntryKind::Item, submenu = EntryKind::Submenu, separator = EntryKind::Separator;
  const struct {
    Entry entry;
    EntryIcon editor;
    int launcherFallback;  // the launcher's differs only there
  } cases[] = {
      {entry(item, "", 4, "C:\\x.exe"), {"", "C:\\x.exe", 4, true, kItemIcon}, kItemIcon},
      {entry(item, "i.dll", 2, "C:\\x.exe"), {"", "i.dll", 2, false, kItemIcon}, kItemIcon},
      {entry(item, "NONE", 2, "C:\\x.exe"), {"", "", 0, false, kNoIcon}, kBlankIcon},
      {entry(submenu, "", 3), {"", "", 0, false, kSubmenuIcon}, kSubmenuIcon},
      {entry(submenu, "i.dll", 3), {"", "i.dll", 3, false, kSubmenuIcon}, kSubmenuIcon},
      {entry(submenu, "none", 3), {"", "", 0, false, kNoIcon}, kBlankIcon},
      {entry(separator, "i.dll", 3), {"", "", 0, false, kNoIcon}, kBlankIcon},
      // Explorer opening a shell location shows the location first.
      {entry(item, "", 0, "C:\\WINDOWS\\EXPLORER.EXE", " " + location), {location, "C:\\WINDOWS\\EXPLORER.EXE", 0, true, kItemIcon},
       kItemIcon},
      {entry(item, "", 0, "explorer", location), {location, "explorer", 0, true, kItemIcon}, kItemIcon},
      {entry(item, "", 0, sjis("C:\\ソexplorer.exe"), location), {"", sjis("C:\\ソexplorer.exe"), 0, true, kItemIcon},
       kItemIcon},
      {entry(item, "", 0, "explorer.exe", "/e," + location), {"", "explorer.exe", 0, true, kItemIcon}, kItemIcon},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IconOf(c.entry, IconColumn::Editor), c.editor) << c.entry.IconFileName << " " << c.entry.ExeName;
    EntryIcon launcher = c.editor;
    launcher.Fallback = c.launcherFallback;
    EXPECT_EQ(IconOf(c.entry, IconColumn::Launcher), launcher) << c.entry.IconFileName << " " << c.entry.ExeName;
  }
}
