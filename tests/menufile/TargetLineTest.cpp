#include <gtest/gtest.h>

#include <map>
#include <set>

#include "MenuFile.h"
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

TEST(PathSearch, FileUnderItsOwnNameIsNotSearched) {
  FakeFiles fs({"calc.exe", "C:\\WINDOWS\\calc.exe"}, "C:\\WINDOWS");
  EXPECT_EQ(ExtractExeName("calc.exe", fs), "calc.exe");
  EXPECT_EQ(fs.probes, std::vector<std::string>{"calc.exe"});
}

TEST(PathSearch, FoldersAreTriedInOrderAndTheFirstHitWins) {
  FakeFiles fs({"D:\\bin\\calc.exe", "C:\\WINDOWS\\calc.exe"},
               ";C:\\nothing;;C:\\WINDOWS\\;D:;D:\\bin");
  EXPECT_EQ(ExtractExeName("\tcalc.exe /x", fs), "C:\\WINDOWS\\calc.exe");
  EXPECT_EQ(fs.probes, (std::vector<std::string>{"calc.exe", "C:\\nothing\\calc.exe",
                                                 "C:\\WINDOWS\\calc.exe"}));
}

TEST(PathSearch, SeparatorIsAddedOnlyWhereNeeded) {
  // "D:" and "C:\" need no backslash; a folder ending in the second byte 0x5C
  // of a double-byte character does.
  const std::string dbcsFolder = "C:\\" + sjis("表");
  FakeFiles fs({}, "D:;C:\\;" + dbcsFolder);
  EXPECT_EQ(ExtractExeName("x.exe", fs), "x.exe") << "not found: the name stays as read";
  EXPECT_EQ(fs.probes, (std::vector<std::string>{"x.exe", "D:x.exe", "C:\\x.exe",
                                                 dbcsFolder + "\\x.exe"}));
}

TEST(PathSearch, QuotedNamesAreSearchedToo) {
  FakeFiles fs({"C:\\Tools\\my tool.exe"}, "C:\\Tools");
  EXPECT_EQ(ExtractExeName("\"my tool.exe\" -v", fs), "C:\\Tools\\my tool.exe");
  FakeFiles none({}, "C:\\Tools");
  EXPECT_EQ(ExtractExeName("\"\" -v", none), "");
  EXPECT_TRUE(none.probes.empty()) << "an empty program is never searched";
}

#ifdef _WIN32
#include <windows.h>

TEST(PathSearch, OnWindowsAFolderIsNotAFile) {
  CreateDirectoryA("pathsearch_dir", nullptr);
  CreateDirectoryA("pathsearch_dir\\probe.exe", nullptr);
  CreateDirectoryA("pathsearch_bin", nullptr);
  CloseHandle(CreateFileA("pathsearch_bin\\probe.exe", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          0, nullptr));
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, cwd);
  const std::string bin = std::string(cwd) + "\\pathsearch_bin";
  SetEnvironmentVariableA("PATH", (std::string(cwd) + "\\pathsearch_dir;" + bin).c_str());

  EXPECT_EQ(ExtractExeName("probe.exe"), bin + "\\probe.exe");
  EXPECT_EQ(ExtractExeName("pathsearch_bin\\probe.exe"), "pathsearch_bin\\probe.exe");

  DeleteFileA("pathsearch_bin\\probe.exe");
  RemoveDirectoryA("pathsearch_bin");
  RemoveDirectoryA("pathsearch_dir\\probe.exe");
  RemoveDirectoryA("pathsearch_dir");
}
#endif
