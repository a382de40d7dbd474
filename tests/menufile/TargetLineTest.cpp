#include <gtest/gtest.h>

#include <map>
#include <set>

#include "MenuFile.h"
#include "TestFiles.h"
#include "TestText.h"

using namespace menufile;

namespace {

// A file system that holds exactly the files it is given.
class FakeFiles final : public FileSystem {
 public:
  FakeFiles(std::set<std::string> files, std::string path)
      : files_(std::move(files)), path_(std::move(path)) {}
  bool FileExists(const std::string& p) const override {
    probes.push_back(p);
    return files_.count(p) > 0;
  }
  std::string PathVariable() const override { return path_; }
  mutable std::vector<std::string> probes;

 private:
  std::set<std::string> files_;
  std::string path_;
};

const FakeFiles kNoFiles({}, "");

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
    EXPECT_EQ(ExtractExeName(c.line, kNoFiles), c.exe) << c.line;
    EXPECT_EQ(ExtractCmdLine(c.line), c.cmd) << c.line;
  }
}

TEST(TargetLine, QuotesAreFoundPastDoubleByteCharacters) {
  const std::string exe = "C:\\" + sjis("表示 ソフト") + "\\a.exe";
  EXPECT_EQ(ExtractExeName("\"" + exe + "\" /x", kNoFiles), exe);
  EXPECT_EQ(ExtractCmdLine("\"" + exe + "\" /x"), "/x");
}

TEST(PathSearch, FoldersAreTriedInOrderWithASeparatorOnlyWhereNeeded) {
  // "D:" and "C:\" need no backslash; a folder ending in the second byte 0x5C
  // of a double-byte character does. An empty program is never searched.
  const std::string dbcs = "C:\\" + sjis("表");
  const struct {
    std::set<std::string> files;
    std::string path, line, exe;
    std::vector<std::string> probes;
  } cases[] = {
      {{"calc.exe", "C:\\W\\calc.exe"}, "C:\\W", "calc.exe", "calc.exe", {"calc.exe"}},
      {{"D:\\bin\\calc.exe", "C:\\W\\calc.exe"}, ";C:\\no;;C:\\W\\;D:;D:\\bin", "\tcalc.exe /x", "C:\\W\\calc.exe",
       {"calc.exe", "C:\\no\\calc.exe", "C:\\W\\calc.exe"}},
      {{}, "D:;C:\\;" + dbcs, "x.exe", "x.exe", {"x.exe", "D:x.exe", "C:\\x.exe", dbcs + "\\x.exe"}},
      {{"C:\\T\\my tool.exe"}, "C:\\T", "\"my tool.exe\" -v", "C:\\T\\my tool.exe", {"my tool.exe", "C:\\T\\my tool.exe"}},
      {{}, "C:\\T", "\"\" -v", "", {}},
  };
  for (const auto& c : cases) {
    FakeFiles fs(c.files, c.path);
    EXPECT_EQ(ExtractExeName(c.line, fs), c.exe) << c.line;
    EXPECT_EQ(fs.probes, c.probes) << c.line;
  }
}

#ifdef _WIN32
#include <windows.h>

TEST(PathSearch, OnWindowsAFolderIsNotAFile) {
  const TempFolder temp("pathsearch");
  const std::string dir = temp.File("dir"), bin = temp.File("bin");
  CreateDirectoryA(dir.c_str(), nullptr);
  CreateDirectoryA((dir + "\\probe.exe").c_str(), nullptr);
  CreateDirectoryA(bin.c_str(), nullptr);
  WriteBytes(bin + "\\probe.exe", "");
  char path[4096];
  GetEnvironmentVariableA("PATH", path, sizeof path);
  SetEnvironmentVariableA("PATH", (dir + ";" + bin).c_str());
  EXPECT_EQ(ExtractExeName("probe.exe"), bin + "\\probe.exe");
  EXPECT_EQ(ExtractExeName(bin + "\\probe.exe"), bin + "\\probe.exe");
  SetEnvironmentVariableA("PATH", path);
}
#endif
