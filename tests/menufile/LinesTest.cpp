#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "MenuFile.h"
#include "TestFiles.h"
#include "Text.h"

using base::JoinLines;
using base::SplitLines;
using Lines = std::vector<std::string>;

TEST(SplitLines, EveryLineEndFormReadsTheSame) {
  const Lines expected{"a", "", "b"};
  EXPECT_EQ(SplitLines("a\r\n\r\nb\r\n"), expected);
  EXPECT_EQ(SplitLines("a\n\nb\n"), expected);
  EXPECT_EQ(SplitLines("a\r\rb\r"), expected);
  EXPECT_EQ(SplitLines("a\r\n\nb"), expected) << "mixed forms, no break after the last line";
  EXPECT_EQ(SplitLines("a\n\rb"), (Lines{"a", "", "b"})) << "LF CR is two breaks, not one";
}

TEST(SplitLines, EndsAndEmptiness) {
  EXPECT_TRUE(SplitLines("").empty());
  EXPECT_EQ(SplitLines("\r\n"), Lines{""}) << "one empty line";
  EXPECT_EQ(SplitLines("x\r\n\r\n"), (Lines{"x", ""}));
  EXPECT_EQ(SplitLines(std::string("a\nb\0\0", 5)), (Lines{"a", "b"})) << "NUL padding ends the text";
  // Text after a NUL is never dropped without a word.
  EXPECT_THROW(SplitLines(std::string("a\nb\0c\nd", 7)), base::EmbeddedNul);
  EXPECT_THROW(SplitLines(std::string("\0\0\r\n", 4)), base::EmbeddedNul);
}

TEST(SplitLines, JoinedLinesEndInCrLfAndSplitBack) {
  const Lines lines{"\t\x83\x81", "", "x y"};
  EXPECT_EQ(JoinLines(lines), "\t\x83\x81\r\n\r\nx y\r\n");
  EXPECT_EQ(SplitLines(JoinLines(lines)), lines);
  EXPECT_EQ(JoinLines({}), "");
}

TEST(FileLines, SaveReplacesTheWholeFileAndLoadRefusesAMissingFileOrANulInside) {
  const std::string path = "menufile_lines_test.txt";
  WriteBytes(path, "old content that is longer than the new one\n");
  base::SaveLines(path, {"one", "\ttwo"});
  EXPECT_EQ(ReadBytes(path), "one\r\n\ttwo\r\n");
  EXPECT_EQ(base::LoadLines(path), (Lines{"one", "\ttwo"}));
  base::SaveLines(path, {});
  EXPECT_EQ(ReadBytes(path), "");
  EXPECT_TRUE(base::LoadLines(path).empty());

  WriteBytes(path, std::string("A\r\na.exe\r\nB\0\r\nb.exe\r\n", 21));
  EXPECT_THROW(base::LoadLines(path), base::FileError);
  std::remove(path.c_str());
  EXPECT_THROW(base::LoadLines("no such folder/no such file.txt"), base::FileError);
  EXPECT_THROW(base::SaveLines("no such folder/out.txt", {"x"}), base::FileError);
}

#ifdef _WIN32
TEST(FileLines, ANameThatFitsTheSystemsLimitSavesThere) {
  // Paths of 259 characters, the most the system takes; a short name in a
  // deep folder leaves no room for a longer name beside it. Characters
  // count, not bytes: "メ" is one.
  const TempFolder dir("deep");
  for (const std::string name : {"m.txt", "\x83\x81.txt", "m"}) {
    const size_t characters = name.size() - (name[0] == '\x83');
    std::string folder = dir.Path();
    std::vector<std::string> made;
    for (size_t left; (left = 258 - characters - folder.size()) > 0;) {
      const size_t length = left > 101 ? std::min<size_t>(100, left - 3) : left - 1;
      folder.append(1, '\\').append(length, 'd');
      ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder.size();
      made.push_back(folder);
    }
    const std::string path = folder + "\\" + name;
    base::SaveLines(path, {"A", "a.exe"});
    base::SaveLines(path, {"B", "b.exe"});
    EXPECT_EQ(base::LoadLines(path), (Lines{"B", "b.exe"})) << name;
    DeleteFileA(path.c_str());
    for (auto it = made.rbegin(); it != made.rend(); ++it) RemoveDirectoryA(it->c_str());
  }
}
#endif
