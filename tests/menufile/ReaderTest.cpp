#include <gtest/gtest.h>

#include <functional>

#include "MenuFile.h"
#include "MenuTextChecks.h"
#include "TestText.h"
#include "Text.h"

using namespace menufile;

namespace {

// The entries read by that rule as text: captions ("-" for a separator),
// children in brackets; then the failure, if any. (MenuTextChecks.h checks
// the numbers and parents.)
std::string Read(const std::string& utf8Text, LevelRule rule) {
  const std::vector<std::string> lines = base::SplitLines(sjis(utf8Text));
  std::vector<MenuEntry> entries;
  std::string failure;
  try {
    MenuReader reader(lines, rule);
    for (MenuEntry e; reader.Next(e);) entries.push_back(e);
  } catch (const UnclosedMark&) {
    failure = " !mark";
  } catch (const LevelJump&) {
    failure = " !level";
  }
  std::function<std::string(int)> under = [&](int parent) {
    std::string out;
    for (size_t i = 0; i < entries.size(); ++i) {
      if (entries[i].Parent != parent) continue;
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
  // The editor takes a first entry below the top to the top, any rise as
  // one step down and a fall as far up as it goes; the launcher refuses a
  // rise of more than one step. Either stops at a malformed name line; a
  // last line alone is not read.
  const std::string huge(1 << 16, 'x');
  const struct {
    std::string text, editor, launcher;
  } cases[] = {
      {"Notepad<none,0>\nnotepad.exe\n\n\nツール\n\n\tメニュー\n\tcalc.exe\n\t\t\n\t\t\n\tSub\n\n"
       "\t\tDeep\n\t\tx.exe\n\t\t\n\n\t\tDeeper\n\t\ty.exe\nLast\nz.exe\n",
       "Notepad, -, ツール[メニュー[-], Sub[Deep, -, Deeper]], Last",
       "Notepad, -, ツール[メニュー[-], Sub[Deep, -, Deeper]], Last"},
      {"\tA\n\n\tB\n\nC\n\n\t\tD\n\n\t\tE\n\n\tF\n\n\t\t\tG\n\nH\n\n\t\t\t\tI\n\nJ\n\n", "A, B, C[D, E], F[G], H[I], J",
       " !level"},
      {"A\n\n\tB\n\n\t\tC\n\n\tD\n\n\t\t\tE\n\nF\n\n", "A[B[C], D[E]], F", "A[B[C], D] !level"},
      {"A\n\n\t\tB\n\n\t\tC\n\n\tD\n\n", "A[B, C], D", "A !level"},
      {"A\na.exe\nB\n\n\tC\nc.exe\n\tbroken<x.ico,1\nb.exe\nD\nd.exe\n", "A, B[C] !mark", "A, B[C] !mark"},
      {"A\na.exe\nB", "A", "A"},
      {huge + "<" + huge + ",1>[" + huge + "]\n" + huge + " " + huge + "\n", huge, huge},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 80));
    EXPECT_EQ(Read(c.text, LevelRule::Editor), c.editor);
    EXPECT_EQ(Read(c.text, LevelRule::Launcher), c.launcher);
    EXPECT_NO_THROW(checks::CheckMenuText(sjis(c.text)));
  }
}

TEST(IconOf, EachProgramsColumnOfTheIconTable) {
  // The launcher's column differs only where the editor's shows none: it
  // keeps the caption in line with a blank icon.
  const std::string location = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", so = sjis("C:\\ソexplorer.exe");
  const auto entry = [](EntryKind kind, std::string iconFile, int index, std::string exe = "", std::string cmd = "") {
    return Entry{"E", std::move(iconFile), std::move(exe), std::move(cmd), "", index, wsNormal, kind};
  };
  const EntryKind item = EntryKind::Item, submenu = EntryKind::Submenu, separator = EntryKind::Separator;
  const struct {
    Entry entry;
    EntryIcon editor;
  } cases[] = {
      {entry(item, "", 4, "C:\\x.exe"), {"", "C:\\x.exe", 4, true, kItemIcon}},
      {entry(item, "i.dll", 2, "C:\\x.exe"), {"", "i.dll", 2, false, kItemIcon}},
      {entry(item, "NONE", 2, "C:\\x.exe"), {"", "", 0, false, kNoIcon}},
      {entry(submenu, "", 3), {"", "", 0, false, kSubmenuIcon}},
      {entry(submenu, "i.dll", 3), {"", "i.dll", 3, false, kSubmenuIcon}},
      {entry(submenu, "none", 3), {"", "", 0, false, kNoIcon}},
      {entry(separator, "i.dll", 3), {"", "", 0, false, kNoIcon}},
      // Explorer opening a shell location shows the location first.
      {entry(item, "", 0, "C:\\WINDOWS\\EXPLORER.EXE", " " + location),
       {location, "C:\\WINDOWS\\EXPLORER.EXE", 0, true, kItemIcon}},
      {entry(item, "", 0, "explorer", location), {location, "explorer", 0, true, kItemIcon}},
      {entry(item, "", 0, so, location), {"", so, 0, true, kItemIcon}},
      {entry(item, "", 0, "explorer.exe", "/e," + location), {"", "explorer.exe", 0, true, kItemIcon}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry.IconFileName + " " + c.entry.ExeName);
    EXPECT_EQ(IconOf(c.entry, IconColumn::Editor), c.editor);
    EntryIcon launcher = c.editor;
    if (launcher.Fallback == kNoIcon) launcher.Fallback = kBlankIcon;
    EXPECT_EQ(IconOf(c.entry, IconColumn::Launcher), launcher);
  }
}
