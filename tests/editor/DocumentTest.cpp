// Loading a menu file into the editor's tree and saving the tree back.
#include "EditorFixture.h"
#include "SysUtils.h"

using namespace gui;

using DocumentTest = EditorTest;

TEST_F(DocumentTest, LevelsPlaceEntriesByTheEditorsRules) {
  // First entry at level 1 is a top-level node, and its equal neighbour a
  // sibling; a rise of two is one step down; a fall climbs as many parents
  // as the levels differ and stops at the top.
  Load(WriteMenu("levels.txt", "\tA\n\n\tB\n\nC\n\n\t\tD\n\n\t\tE\n\n\tF\n\n\t\t\tG\n\nH\n\n\t\t\t\tI\n\nJ\n\n"));
  EXPECT_EQ(Shape(), "A, B, C[D, E], F[G], H[I], J");

  Nodes().Clear();
  Load(WriteMenu("deepfall.txt", "A\n\n\tB\n\n\t\tC\n\n\t\t\t\t\t\tD\n\nE\n\n"));
  EXPECT_EQ(Shape(), "A[B[C[D]]], E") << "a fall deeper than the tree ends at the top level";
}

TEST_F(DocumentTest, EntriesShowTheirPicturesAndSaveBackInTheWritersForm) {
  // A program found only through PATH is written with its full path, and
  // shows its own first icon.
  const std::string bin = Path("");
  CopyFileA((ExtractFilePath(GetModuleFileNameString()) + "Ostrevan.exe").c_str(), (bin + "tool.exe").c_str(), FALSE);
  char oldPath[4096] = {};
  GetEnvironmentVariableA("PATH", oldPath, sizeof oldPath);
  SetEnvironmentVariableA("PATH", (std::string(oldPath) + ";" + bin).c_str());
  Load(WriteMenu("in.txt", "Notepad{MAXIMIZE}[C:\\Work]<C:\\n.exe,-2>\r\n  \t\"C:\\n.exe\"   \r\n"
                           "\t\r\n\r\n"
                           "サブ{MINIMIZE}[C:\\dropped]<none,5>\r\n\r\n"
                           "\t中\r\n\ttool.exe -x  \"y z\"\r\n"
                           "\t\t\r\n\t\t\r\n"
                           "\tメニュー\r\n\t\"C:\\a b\\c.exe\"\r\n"
                           "ツール\r\n\r\nx<Ostrevan.exe,3>\r\n\r\n"
                           "end\nC:\\e.exe"));
  SetEnvironmentVariableA("PATH", oldPath);

  // Every node with a picture has an image of its own, selected or not.
  // Defaults stand in when the named file yields nothing: item 1, submenu 2;
  // an item without icon file shows icon 0 of its target.
  for (const auto& [name, icon] : {std::pair{"Notepad", 1}, {"中", 0}, {"ツール", 2}, {"x", 3}}) {
    EXPECT_EQ(NodePicture(*form, Find(name)), FilePicture("Ostrevan.exe", icon)) << name;
    EXPECT_EQ(Find(name)->SelectedIndex(), Find(name)->ImageIndex()) << name;
  }
  EXPECT_EQ(Find("サブ")->ImageIndex(), -1) << "\"none\" shows no icon";
  EXPECT_EQ(Find("Notepad")->GetFirstChild()->ImageIndex(), -1) << "nor does a separator";
  EXPECT_EQ(form->ilstLaunch->Count(), 6);
  EXPECT_NE(FilePicture("Ostrevan.exe", 1), FilePicture("Ostrevan.exe", 2));

  EXPECT_EQ(SaveToUtf8("out.txt"),
            "Notepad<C:\\n.exe,-2>[C:\\Work]{MAXIMIZE}\r\nC:\\n.exe\r\n"
            "\t\r\n\t\r\n"
            "サブ<none,5>\r\n\r\n"
            "\t中\r\n\t" + utf8(bin) + "tool.exe -x  \"y z\"\r\n"
            "\t\t\r\n\t\t\r\n"
            "\tメニュー\r\n\t\"C:\\a b\\c.exe\"\r\n"
            "ツール\r\n\r\nx<Ostrevan.exe,3>\r\n\r\n"
            "end\r\nC:\\e.exe\r\n");
}

TEST_F(DocumentTest, AFailedLoadKeepsWhatWasReadAndLeavesNothingHalfMade) {
  const std::string path =
      WriteMenu("bad.txt", "A\na.exe\nB\n\n\tC\nc.exe\n\tbroken<x.ico,1\nb.exe\nD\nd.exe\n");
  EXPECT_THROW(Load(path), std::exception);
  EXPECT_EQ(Shape(), "A, B[C]");
  EXPECT_TRUE(boxes.empty()) << "the caller reports it, and the editor goes on";
  EXPECT_EQ(form->ilstLaunch->Count(), 3) << "no picture for the entry that failed";

  EXPECT_EQ(SaveToUtf8("elsewhere.txt"), "A\r\na.exe\r\nB\r\n\r\n\tC\r\n\tc.exe\r\n") << "another file may take it: every node has its record";
}
