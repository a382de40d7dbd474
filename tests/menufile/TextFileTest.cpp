#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "TestFiles.h"
#include "Text.h"

using Lines = std::vector<std::string>;

TEST(SplitLines, EveryLineEndFormAndNulPaddingReadTheSame) {
  const Lines abc{"a", "", "b"}, nul{"!nul"};
  const struct {
    std::string text;
    Lines lines;
  } cases[] = {
      {"a\r\n\r\nb\r\n", abc}, {"a\n\nb\n", abc}, {"a\r\rb\r", abc},
      {"a\r\n\nb", abc},  // mixed forms, no break after the last line
      {"a\n\rb", abc},    // LF CR is two breaks, not one
      {"", {}}, {"\r\n", {""}}, {"x\r\n\r\n", {"x", ""}},
      {std::string("a\nb\0\0", 5), {"a", "b"}},  // NUL padding ends the text
      // Text after a NUL is never dropped without a word.
      {std::string("a\nb\0c\nd", 7), nul}, {std::string("\0\0\r\n", 4), nul},
  };
  for (const auto& c : cases) {
    if (c.lines == nul) {
      EXPECT_THROW(base::SplitLines(c.text), base::EmbeddedNul) << c.text;
    } else {
      EXPECT_EQ(base::SplitLines(c.text), c.lines) << c.text;
      EXPECT_EQ(base::SplitLines(base::JoinLines(c.lines)), c.lines) << c.text;
    }
  }
  EXPECT_EQ(base::JoinLines({"\t\x83\x81", "", "x y"}), "\t\x83\x81\r\n\r\nx y\r\n");
}

TEST(FileLines, SaveWritesWholeLinesAndLoadRefusesAMissingFileOrANulInside) {
  const std::string path = "menufile_lines_test.txt";
  base::SaveLines(path, {"one", "\ttwo"});
  EXPECT_EQ(ReadBytes(path), "one\r\n\ttwo\r\n");
  WriteBytes(path, std::string("A\r\na.exe\r\nB\0\r\nb.exe\r\n", 21));
  EXPECT_THROW(base::LoadLines(path), base::FileContentError);
  std::remove(path.c_str());
  EXPECT_THROW(base::LoadLines("no such folder/no such file.txt"), base::FileError);
  EXPECT_THROW(base::SaveLines("no such folder/out.txt", {"x"}), base::FileError);
}

#ifdef _WIN32
#include <windows.h>

// Every rule of the menu file assumes Shift-JIS; a test bed that came up in
// another locale would make the other tests pass or fail for the wrong reason.
TEST(TestBed, AnsiCodePageIsShiftJis) { ASSERT_EQ(GetACP(), 932u) << "run the tests with LANG=ja_JP.UTF-8"; }

TEST(FileLines, ANameThatFitsTheSystemsLimitSavesThere) {
  // Paths of 259 characters, the most the system takes; a short name in a
  // deep folder leaves no room for a longer name beside it. Characters
  // count, not bytes: "メ" is one.
  for (const std::string name : {"m.txt", "\x83\x81.txt", "m"}) {
    const size_t characters = name.size() - (name[0] == '\x83');
    const TempFolder dir("deep");
    std::string folder = dir.Path();
    for (size_t left; (left = 258 - characters - folder.size()) > 0;) {
      folder.append(1, '\\').append(left > 101 ? std::min<size_t>(100, left - 3) : left - 1, 'd');
      ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder.size();
    }
    const std::string path = folder + "\\" + name;
    base::SaveLines(path, {"A", "a.exe"});
    base::SaveLines(path, {"B", "b.exe"});
    EXPECT_EQ(base::LoadLines(path), (Lines{"B", "b.exe"})) << name;
  }
}
#endif
