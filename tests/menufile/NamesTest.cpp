#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>

#include "Chars.h"
#include "MenuFile.h"
#include "TestFiles.h"
#include "TestText.h"

using namespace menufile;

namespace {

// The menu lives in D:\menus with its tools; %APPS% is D:\apps. Notes
// every file and folder it is asked about.
struct FakeFiles final : FileSystem {
  explicit FakeFiles(std::string path) : path(std::move(path)) {}
  bool FileExists(const std::string& p) const override {
    static const std::set<std::string> files{
        "calc.exe",     "C:\\W\\calc.exe",     "D:\\menus\\tools\\t.exe", "D:\\apps\\a.exe",        "C:\\W\\p.exe",
        "C:\\T\\p.exe", "C:\\W\\tools\\t.exe", "C:\\T\\my tool.exe",      "D:\\menus\\icons\\m.ico"};
    return probes.push_back(p), files.count(p) > 0;
  }
  bool FolderExists(const std::string& p) const override {
    static const std::set<std::string> folders{"D:\\menus\\Docs", "D:\\menus\\work", "C:\\Work", "D:\\apps"};
    return probes.push_back(p + "\\"), folders.count(p) > 0;
  }
  std::optional<std::string> Variable(const std::string& name) const override {
    const std::map<std::string, std::string> variables{
        {"APPS", "D:\\apps"}, {"TOOL", "p.exe"}, {"EMPTY", ""}, {"PATH", path}};
    for (const auto& [known, value] : variables)
      if (chars::EqualIgnoringCase(known, name)) return value;
    return std::nullopt;
  }
  std::string path;
  mutable std::vector<std::string> probes;
};

}  // namespace

TEST(MenuNames, ReferencesTheMenusFolderAndPathLeadToTheNameAndTheEditorKeepsWhatWasWritten) {
  // On PATH, "D:" and "C:\" need no backslash; a folder ending in the second
  // byte 0x5C of a double-byte character does.
  const std::string dbcs = "C:\\" + sjis("表");
  const FakeFiles fs(";C:\\no;;C:\\W\\;D:;C:\\;" + dbcs + ";C:\\T");
  enum Sought { kTarget, kIconFile, kFolder, kOptions };
  const struct {
    Sought sought;
    std::string written, found, kept;      // kept: the editor's target; empty: as written
    std::vector<std::string> probes = {};  // where a target was looked for, in order
  } cases[] = {
      {kTarget, "calc.exe", "calc.exe", "", {"calc.exe"}},
      // Beside the menu comes before PATH; a folder the menu opens counts.
      {kTarget, "tools\\t.exe", "D:\\menus\\tools\\t.exe", "", {"tools\\t.exe", "D:\\menus\\tools\\t.exe"}},
      {kTarget, "x.exe", "x.exe", "",
       {"x.exe", "D:\\menus\\x.exe", "D:\\menus\\x.exe\\", "C:\\no\\x.exe", "C:\\W\\x.exe", "D:x.exe", "C:\\x.exe",
        dbcs + "\\x.exe", "C:\\T\\x.exe"}},
      {kTarget, "Docs", "D:\\menus\\Docs", ""},
      {kTarget, "%apps%\\a.exe", "D:\\apps\\a.exe", ""},  // names in any letter case
      // A bare name found only on PATH is kept with the full path, unless
      // a reference named it.
      {kTarget, "p.exe", "C:\\W\\p.exe", "C:\\W\\p.exe"},
      {kTarget, "my tool.exe", "C:\\T\\my tool.exe", "C:\\T\\my tool.exe"},
      {kTarget, "%TOOL%", "C:\\W\\p.exe", ""},
      {kTarget, "%NOPE%\\x.exe", "%NOPE%\\x.exe", ""},
      {kTarget, "%EMPTY%calc.exe", "calc.exe", ""},
      {kTarget, "", "", "", {}},
      {kTarget, "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", ""},
      {kIconFile, "icons\\m.ico", "D:\\menus\\icons\\m.ico", ""},
      {kIconFile, "shell32.dll", "shell32.dll", ""},  // the system finds its own
      {kFolder, "work", "D:\\menus\\work", ""},
      {kFolder, "%APPS%", "D:\\apps", ""},
      {kFolder, "gone", "gone", ""},
      {kOptions, "-x \"%APPS%\\a b.txt\" 100% %TOOL%%TOOL% %", "-x \"D:\\apps\\a b.txt\" 100% p.exep.exe %", ""},
      {kOptions, "%% %APPS", "%% %APPS", ""},
  };
  const MenuNames names("D:\\menus\\menu.txt", fs);
  for (const auto& c : cases) {
    fs.probes.clear();
    const std::string found = c.sought == kTarget     ? names.Target(c.written)
                              : c.sought == kIconFile ? names.IconFile(c.written)
                              : c.sought == kFolder   ? names.Folder(c.written)
                                                      : names.Options(c.written);
    EXPECT_EQ(found, c.found) << c.written;
    if (c.sought != kTarget) continue;
    EXPECT_EQ(fs.probes, c.probes.empty() && !c.written.empty() ? fs.probes : c.probes) << c.written;
    EXPECT_EQ(names.KeptTarget(c.written), c.kept.empty() ? c.written : c.kept) << c.written;
  }
  // A menu named without a folder has none to look in.
  const FakeFiles bare("");
  EXPECT_EQ(MenuNames("menu.txt", bare).Target("tools\\t.exe"), "tools\\t.exe");
  EXPECT_EQ(bare.probes, std::vector<std::string>{"tools\\t.exe"});
}

#ifdef _WIN32
#include <windows.h>

TEST(MenuNames, OnWindowsAFolderIsNoProgramAndVariablesAreTheProcesss) {
  const TempFolder temp("pathsearch");
  const std::string dir = temp.File("dir"), bin = temp.File("bin"), path = std::getenv("PATH");
  for (const std::string& folder : {dir, dir + "\\probe.exe", bin}) CreateDirectoryA(folder.c_str(), nullptr);
  WriteBytes(bin + "\\probe.exe", "");
  SetEnvironmentVariableA("PATH", (dir + ";" + bin).c_str());
  SetEnvironmentVariableA("OSTREVAN_TEST_BIN", bin.c_str());
  const MenuNames names(temp.File("menu.txt"));
  EXPECT_EQ(names.Target("probe.exe"), bin + "\\probe.exe");
  EXPECT_EQ(names.Target("%ostrevan_test_bin%\\probe.exe"), bin + "\\probe.exe");
  EXPECT_EQ(names.Folder("bin"), bin);
  EXPECT_EQ(names.Target("%OSTREVAN_NOT_SET%"), "%OSTREVAN_NOT_SET%");
  SetEnvironmentVariableA("PATH", path.c_str());
  SetEnvironmentVariableA("OSTREVAN_TEST_BIN", nullptr);
}
#endif
