#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>

#include "MenuFile.h"
#include "TestFiles.h"
#include "TestText.h"

using namespace menufile;

namespace {

// A file system that holds exactly the files, folders and variables it is
// given, and notes every file and folder it is asked about.
class FakeFiles final : public FileSystem {
 public:
  FakeFiles(std::set<std::string> files, std::string path, std::set<std::string> folders = {},
            std::map<std::string, std::string> variables = {})
      : files_(std::move(files)), folders_(std::move(folders)), variables_(std::move(variables)) {
    variables_["PATH"] = std::move(path);
  }
  bool FileExists(const std::string& p) const override {
    probes.push_back(p);
    return files_.count(p) > 0;
  }
  bool FolderExists(const std::string& p) const override {
    probes.push_back(p + "\\");
    return folders_.count(p) > 0;
  }
  std::optional<std::string> Variable(const std::string& name) const override {
    for (const auto& [known, value] : variables_)
      if (SameName(known, name)) return value;
    return std::nullopt;
  }
  mutable std::vector<std::string> probes;

 private:
  static bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
  }
  std::set<std::string> files_, folders_;
  std::map<std::string, std::string> variables_;
};

struct TargetCase {
  std::string line;
  std::string exe;
  std::string cmd;
};

}  // namespace

TEST(TargetLine, QuotingRulesSplitProgramAndOptions) {
  const TargetCase cases[] = {
      {"\t\"C:\\Program Files\\Editor\\edit.exe\" -n readme.txt",
       "C:\\Program Files\\Editor\\edit.exe", "-n readme.txt"},
      {"\"C:\\Program Files\\x.exe\"", "C:\\Program Files\\x.exe", ""},
      {"notepad.exe \"C:\\My Docs\\a.txt\"", "notepad.exe", "\"C:\\My Docs\\a.txt\""},
      {"notepad.exe  -x", "notepad.exe", " -x"},  // the second blank stays
      {"calc.exe", "calc.exe", ""},
      {"\t\t  calc.exe  \t", "calc.exe", ""},  // indentation never reaches either part
      {"Explorer.exe ::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", "Explorer.exe",
       "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"},
      {"\"a b\"-x", "a b", "x"},  // one character after the closing quote is skipped
      {"\"unclosed program -x", "", "nclosed program -x"},
      {"\"", "", ""},
      {"\"\"", "", ""},
      {"", "", ""},
      {"\t", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WrittenExeName(c.line), c.exe) << c.line;
    EXPECT_EQ(ExtractCmdLine(c.line), c.cmd) << c.line;
  }
  const std::string exe = "C:\\" + sjis("表示 ソフト") + "\\a.exe";
  EXPECT_EQ(WrittenExeName("\"" + exe + "\" /x"), exe) << "quotes are found past double-byte characters";
  EXPECT_EQ(ExtractCmdLine("\"" + exe + "\" /x"), "/x");
}

TEST(MenuNames, ReferencesTheMenusFolderAndPathLeadToTheNameAndTheEditorKeepsWhatWasWritten) {
  // The menu lives in D:\menus with its tools; %APPS% is D:\apps, PATH holds
  // C:\W and C:\T.
  const std::set<std::string> files{"calc.exe", "D:\\menus\\tools\\t.exe", "D:\\apps\\a.exe", "C:\\W\\p.exe",
                                    "C:\\W\\tools\\t.exe", "D:\\menus\\icons\\m.ico"};
  const std::set<std::string> folders{"D:\\menus\\Docs", "D:\\menus\\work", "C:\\Work", "D:\\apps"};
  const std::map<std::string, std::string> variables{{"APPS", "D:\\apps"}, {"TOOL", "p.exe"}, {"EMPTY", ""}};
  enum Sought { kTarget, kIconFile, kFolder, kOptions };
  const struct {
    Sought sought;
    std::string written, found, kept;  // kept: the editor's target; empty: as written
  } cases[] = {
      {kTarget, "calc.exe", "calc.exe", ""},
      // Beside the menu comes before PATH; a folder the menu opens counts.
      {kTarget, "tools\\t.exe", "D:\\menus\\tools\\t.exe", ""},
      {kTarget, "Docs", "D:\\menus\\Docs", ""},
      {kTarget, "%APPS%\\a.exe", "D:\\apps\\a.exe", ""},
      {kTarget, "%apps%\\a.exe", "D:\\apps\\a.exe", ""},  // names in any letter case
      // A bare name found only on PATH is kept with the full path, unless
      // a reference named it.
      {kTarget, "p.exe", "C:\\W\\p.exe", "C:\\W\\p.exe"},
      {kTarget, "%TOOL%", "C:\\W\\p.exe", ""},
      {kTarget, "%NOPE%\\x.exe", "%NOPE%\\x.exe", ""},
      {kTarget, "%EMPTY%calc.exe", "calc.exe", ""},
      {kTarget, "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", ""},
      {kIconFile, "icons\\m.ico", "D:\\menus\\icons\\m.ico", ""},
      {kIconFile, "shell32.dll", "shell32.dll", ""},  // the system finds its own
      {kFolder, "work", "D:\\menus\\work", ""},
      {kFolder, "%APPS%", "D:\\apps", ""},
      {kFolder, "C:\\Work", "C:\\Work", ""},
      {kFolder, "gone", "gone", ""},
      {kOptions, "-x \"%APPS%\\a b.txt\" 100% %TOOL%%TOOL% %", "-x \"D:\\apps\\a b.txt\" 100% p.exep.exe %", ""},
      {kOptions, "%% %APPS", "%% %APPS", ""},
  };
  for (const auto& c : cases) {
    const FakeFiles fs(files, "C:\\W;C:\\T", folders, variables);
    const MenuNames names("D:\\menus\\menu.txt", fs);
    const std::string found = c.sought == kTarget     ? names.Target(c.written)
                              : c.sought == kIconFile ? names.IconFile(c.written)
                              : c.sought == kFolder   ? names.Folder(c.written)
                                                      : names.Options(c.written);
    EXPECT_EQ(found, c.found) << c.written;
    if (c.sought == kTarget) {
      EXPECT_EQ(names.KeptTarget(c.written), c.kept.empty() ? c.written : c.kept) << c.written;
    }
  }
  // A menu named without a folder has none to look in.
  const FakeFiles fs(files, "", folders, variables);
  EXPECT_EQ(MenuNames("menu.txt", fs).Target("tools\\t.exe"), "tools\\t.exe");
  EXPECT_EQ(fs.probes, std::vector<std::string>{"tools\\t.exe"});
}

TEST(MenuNames, PathFoldersAreTriedInOrderWithASeparatorOnlyWhereNeeded) {
  // "D:" and "C:\" need no backslash; a folder ending in the second byte 0x5C
  // of a double-byte character does. An empty program is never searched.
  const std::string dbcs = "C:\\" + sjis("表");
  const struct {
    std::set<std::string> files;
    std::string path, exe, found;
    std::vector<std::string> probes;
  } cases[] = {
      {{"calc.exe", "C:\\W\\calc.exe"}, "C:\\W", "calc.exe", "calc.exe", {"calc.exe"}},
      {{"D:\\bin\\calc.exe", "C:\\W\\calc.exe"}, ";C:\\no;;C:\\W\\;D:;D:\\bin", "calc.exe", "C:\\W\\calc.exe",
       {"calc.exe", "C:\\no\\calc.exe", "C:\\W\\calc.exe"}},
      {{}, "D:;C:\\;" + dbcs, "x.exe", "x.exe", {"x.exe", "D:x.exe", "C:\\x.exe", dbcs + "\\x.exe"}},
      {{"C:\\T\\my tool.exe"}, "C:\\T", "my tool.exe", "C:\\T\\my tool.exe", {"my tool.exe", "C:\\T\\my tool.exe"}},
      {{}, "C:\\T", "", "", {}},
  };
  for (const auto& c : cases) {
    FakeFiles fs(c.files, c.path);
    EXPECT_EQ(MenuNames("", fs).Target(c.exe), c.found) << c.exe;
    EXPECT_EQ(fs.probes, c.probes) << c.exe;
  }
}

#ifdef _WIN32
#include <windows.h>

TEST(MenuNames, OnWindowsAFolderIsNoProgramAndVariablesAreTheProcesss) {
  const TempFolder temp("pathsearch");
  const std::string dir = temp.File("dir"), bin = temp.File("bin");
  CreateDirectoryA(dir.c_str(), nullptr);
  CreateDirectoryA((dir + "\\probe.exe").c_str(), nullptr);
  CreateDirectoryA(bin.c_str(), nullptr);
  WriteBytes(bin + "\\probe.exe", "");
  char path[4096];
  GetEnvironmentVariableA("PATH", path, sizeof path);
  SetEnvironmentVariableA("PATH", (dir + ";" + bin).c_str());
  SetEnvironmentVariableA("OSTREVAN_TEST_BIN", bin.c_str());
  const MenuNames names(temp.File("menu.txt"));
  EXPECT_EQ(names.Target("probe.exe"), bin + "\\probe.exe");
  EXPECT_EQ(names.Target("%ostrevan_test_bin%\\probe.exe"), bin + "\\probe.exe");
  EXPECT_EQ(names.Folder("bin"), bin);
  EXPECT_EQ(names.Target("%OSTREVAN_NOT_SET%"), "%OSTREVAN_NOT_SET%");
  SetEnvironmentVariableA("PATH", path);
  SetEnvironmentVariableA("OSTREVAN_TEST_BIN", nullptr);
}
#endif
