// Loading a menu file into the editor's tree and saving the tree back.
#include "EditorFixture.h"
#include "SysUtils.h"

using namespace gui;

using DocumentTest = EditorTest;

TEST_F(DocumentTest, EntriesShowTheirPicturesAndSaveBackInTheWritersForm) {
  // A program found only through PATH is written with its full path, and
  // shows its own first icon.
  const std::string bin = Path("bin\\");
  CreateDirectoryA(bin.c_str(), nullptr);
  CopyFileA((ExtractFilePath(GetModuleFileNameString()) + "Ostrevan.exe").c_str(), (bin + "tool.exe").c_str(), FALSE);
  char oldPath[4096] = {};
  GetEnvironmentVariableA("PATH", oldPath, sizeof oldPath);
  SetEnvironmentVariableA("PATH", (std::string(oldPath) + ";" + bin).c_str());
  // A document beside the menu and a folder show the icons Explorer shows
  // for them.
  WriteBytes(Path("memo.txt"), "memo");
  Load(WriteMenu("in.txt", "Notepad{MAXIMIZE}[C:\\Work]<C:\\n.exe,-2>\r\n  \t\"C:\\n.exe\"   \r\n"
                           "\t\r\n\r\n"
                           "サブ{MINIMIZE}[C:\\Links]<none,5>\r\n\r\n"
                           "\tmemo\r\n\tmemo.txt\r\n"
                           "\tfolder\r\n\t\"" + utf8(bin.substr(0, bin.size() - 1)) + "\"\r\n"
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
    EXPECT_EQ(NodePicture(Find(name)), FilePicture("Ostrevan.exe", icon)) << name;
    EXPECT_EQ(Find(name)->SelectedIndex(), Find(name)->ImageIndex()) << name;
  }
  EXPECT_EQ(Find("サブ")->ImageIndex(), -1) << "\"none\" shows no icon";
  EXPECT_EQ(Find("Notepad")->GetFirstChild()->ImageIndex(), -1) << "nor does a separator";
  EXPECT_EQ(NodePicture(Find("folder")), FilePicture("shell32.dll", -4)) << "Explorer's folder";
  const auto document = NodePicture(Find("memo"));
  EXPECT_NE(document, FilePicture("Ostrevan.exe", 1)) << "the type's icon, not the blank page";
  EXPECT_NE(document, std::vector<uint32_t>(256, 0xFFFFFF));
  EXPECT_EQ(ui->ilstLaunch->Count(), 6) << "one image for each picture, whatever shows it";

  EXPECT_EQ(SaveToUtf8("out.txt"),
            "Notepad<C:\\n.exe,-2>[C:\\Work]{MAXIMIZE}\r\nC:\\n.exe\r\n"
            "\t\r\n\t\r\n"
            "サブ<none,5>[C:\\Links]\r\n\r\n"
            "\tmemo\r\n\tmemo.txt\r\n"
            "\tfolder\r\n\t" + utf8(bin.substr(0, bin.size() - 1)) + "\r\n"
            "\t中\r\n\t" + utf8(bin) + "tool.exe -x  \"y z\"\r\n"
            "\t\t\r\n\t\t\r\n"
            "\tメニュー\r\n\t\"C:\\a b\\c.exe\"\r\n"
            "ツール\r\n\r\nx<Ostrevan.exe,3>\r\n\r\n"
            "end\r\nC:\\e.exe\r\n");
}
