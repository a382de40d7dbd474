// The property panel against the real controls: what it offers for each kind
// of entry, how the records follow it, and its three buttons.
#include "EditorFixture.h"
#include "Pixels.h"
#include "ShellApi.h"

using namespace gui;

namespace {

const std::string kMenu =
    "Alpha<Ostrevan.exe,3>[C:\\Work]{MAXIMIZE}\r\n\"C:\\Program Files\\a.exe\" -x\r\n"
    "\r\n\r\n"
    "Sub<Ostrevan.exe,4>[C:\\Links]\r\n\r\n"
    "\tchild\r\n\tc.exe\r\n"
    "Beta\r\nb.exe\r\n";

class PanelTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    ui->fields[0]->Handle();
    Load(WriteMenu("menu.txt", kMenu));
  }
  static void Type(TEdit* field, const std::string& chars) {
    SendMessageA(field->Handle(), EM_SETSEL, 0x7FFF, 0x7FFF);  // typing goes at the end
    for (char c : chars) SendMessageA(field->Handle(), WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 1);
  }
  std::vector<uint32_t> Preview() {
    auto icon = reinterpret_cast<HICON>(SendMessageA(ui->imageIcon->Handle(), STM_GETICON, 0, 0));
    return icon ? IconPixels(icon) : std::vector<uint32_t>{};
  }
  static std::vector<uint32_t> Icon(int index) { return IconPixels(ExtractSmallIcon("Ostrevan.exe", index).Handle()); }

  // '+' for a control the user can use, '-' for one he cannot: the six
  // fields, the size list, the four buttons. A field or the list that can
  // be used has the window's colour, else the panel's.
  std::string Usability() {
    std::string out;
    auto add = [&](TWinControl* c, bool coloured) {
      const bool on = IsWindowEnabled(c->Handle()) != FALSE;
      EXPECT_TRUE(!coloured || c->Color() == (on ? clWindow : clBtnFace)) << out;
      out += on ? '+' : '-';
    };
    for (TEdit* c : ui->fields) add(c, true);
    add(ui->cmbbWindowState, true);
    out += ' ';
    for (TWinControl* c : ui->buttons) add(c, false);
    return out;
  }
  std::string Shown() {
    std::string out;
    for (TEdit* c : ui->fields) out += utf8(c->Text()) + "|";
    return out + std::to_string(ui->cmbbWindowState->ItemIndex());
  }
};

}  // namespace

TEST_F(PanelTest, EachKindGetsItsRowsAndTheOldRecordTakesThePanelWhenTheSelectionMoves) {
  EXPECT_EQ(Usability(), "------- ----") << "nothing to edit yet";

  Select("Alpha");
  EXPECT_EQ(Usability(), "+++++++ ++++");
  EXPECT_EQ(Shown(), "Alpha|Ostrevan.exe|3|C:\\Program Files\\a.exe|-x|C:\\Work|2");
  EXPECT_EQ(Preview(), Icon(3));
  // Paths pasted with the quotes of the shell's "Copy as path" are kept without.
  ui->fields[3]->SetText("\"C:\\Program Files\\a.exe\"");
  ui->fields[5]->SetText("\"C:\\Work\"");
  EXPECT_EQ(RecordOf(Find("Alpha"))->WorkFolder, "C:\\Work");

  // The icon number goes to the record, and the node's picture follows, when
  // the selection moves on.
  ui->fields[2]->SetText("6");
  Select("━━━━━━━━");
  EXPECT_EQ(NodePicture(Find("Alpha")), FilePicture("Ostrevan.exe", 6));
  EXPECT_EQ(Usability(), "------- ----");
  EXPECT_EQ(Shown(), "━━━━━━━━||||||0");
  EXPECT_TRUE(Preview().empty());

  // A submenu's folder is the one whose contents it shows, which the status
  // bar says while it is selected.
  Select("Sub");
  EXPECT_EQ(Usability(), "+++--+- ++-+");
  EXPECT_EQ(Shown(), "Sub|Ostrevan.exe|4|||C:\\Links|0");
  const auto hint = [&] {
    char text[256] = "";
    SendMessageA(ui->StatusBar->Handle(), SB_GETTEXTA, 2, reinterpret_cast<LPARAM>(text));
    return utf8(text);
  };
  EXPECT_EQ(hint(), "作業フォルダの中身をサブメニューに表示します");

  Select("Beta");
  EXPECT_EQ(Shown(), "Beta||0|b.exe|||0");
  EXPECT_EQ(hint(), "");
  std::string saved = kMenu;
  saved.replace(saved.find(",3>"), 3, ",6>");
  EXPECT_EQ(SaveToUtf8("out.txt"), saved) << "nothing changed but the icon number";

  // Deleting entry after entry moves the selection on, until none is left;
  // the panel outlives the nodes, and stores nowhere, until reset.
  Select("Alpha");
  for (int guard = 0; Tree().Selected() && guard < 10; ++guard) {
    form->pmnuTreeView_DClick(nullptr);
    EXPECT_EQ(form->CurrentNode, Tree().Selected()) << "the current node moves on with it";
  }
  EXPECT_EQ(Shown(), "Beta||0|b.exe|||0");
  Type(ui->fields[0], "Z");
  Leave(ui->fields[1]);
  form->ResetPanel();
  EXPECT_EQ(Usability(), "------- ----");
  EXPECT_EQ(Shown(), "||||||0");
  EXPECT_TRUE(Preview().empty());
}

TEST_F(PanelTest, TypingRenamesAtOnceWhileTheIconWaitsForTheFocusToLeave) {
  Select("Beta");
  TTreeNode* beta = Find("Beta");
  TRecord* record = RecordOf(beta);
  Type(ui->fields[0], "XY");
  EXPECT_EQ(beta->Text(), "BetaXY");
  EXPECT_EQ(record->ItemName, "BetaXY");
  // Pasted in, a mark character is refused, and in an icon file a comma; the
  // second byte of ー is none.
  SetWindowTextW(ui->fields[1]->Handle(), L"a,b.ico");
  EXPECT_EQ(utf8(boxes.at(0).text), "「アイコンのファイル」には、次の記号は使えません：[ ] < > { } ,");
  SetWindowTextW(ui->fields[0]->Handle(), L"メニュー");
  EXPECT_EQ(record->ItemName, sjis("メニュー"));

  // Leaving icon settings as they were keeps the default picture; without
  // an icon file the preview is the target's as soon as it is named.
  Leave(ui->fields[1]);
  EXPECT_EQ(NodePicture(beta), FilePicture("Ostrevan.exe", 1));
  ui->fields[3]->SetText("Ostrevan.exe");
  EXPECT_EQ(Preview(), Icon(0));
  ui->fields[3]->SetText("b.exe");

  Type(ui->fields[1], "Ostrevan.exe");
  EXPECT_TRUE(record->IconFileName.empty());
  Leave(ui->fields[1]);
  EXPECT_EQ(record->IconFileName, "Ostrevan.exe");
  EXPECT_EQ(NodePicture(beta), FilePicture("Ostrevan.exe", 0));
  SetAndLeave(ui->fields[2], "2");
  EXPECT_EQ(NodePicture(beta), FilePicture("Ostrevan.exe", 2));
  EXPECT_EQ(NodePicture(Find("child")), FilePicture("Ostrevan.exe", 1)) << "the image it shared stays";
  EXPECT_EQ(Preview(), Icon(2));
  SetAndLeave(ui->fields[2], "zwei");
  EXPECT_EQ(record->IconIndex, 0);
  EXPECT_EQ(NodePicture(beta), FilePicture("Ostrevan.exe", 0));
  // No default stands in for an emptied icon file.
  SetAndLeave(ui->fields[1], "");
  EXPECT_EQ(NodePicture(beta), std::vector<uint32_t>(256, 0xFFFFFF));

  // A name typed in the tree is the one the panel stores again later; a
  // blank one, which would save the entry as a separator, is none.
  for (const char* typed : {"Gamma", "  "}) {
    beta->EditText();
    SetWindowTextA(reinterpret_cast<HWND>(SendMessageA(Tree().Handle(), TVM_GETEDITCONTROL, 0, 0)), typed);
    Tree().EndEditing();
  }
  EXPECT_EQ(ui->fields[0]->Text(), "Gamma");
  Select("Alpha");
  EXPECT_EQ(beta->Text(), "Gamma");
  EXPECT_EQ(record->ItemName, "Gamma");
}

TEST_F(PanelTest, IconBrowseStartsOnTheLastChoiceWithinItsPathBufferAndClearAsksFirst) {
  Select("Beta");
  TTreeNode* beta = Find("Beta");
  TRecord* record = RecordOf(beta);
  std::vector<std::pair<std::string, int>> offered;
  chooser = [&](TComponent& dialog) {
    auto& icons = dynamic_cast<TIconDialog&>(dialog);
    offered.emplace_back(icons.FileName, icons.IconIndex);
    icons.FileName = "Ostrevan.exe";
    icons.IconIndex = 6;
    return offered.size() == 1;
  };
  ui->buttons[0]->Click();
  EXPECT_EQ(NodePicture(beta), FilePicture("Ostrevan.exe", 6));
  ui->buttons[0]->Click();
  EXPECT_EQ(offered.back(), std::make_pair(std::string("Ostrevan.exe"), 6)) << "the last number chosen";
  EXPECT_EQ(Shown(), "Beta|Ostrevan.exe|6|b.exe|||0") << "cancelled";

  answer = IDCANCEL;
  ui->buttons[1]->Click();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(utf8(boxes[0].text + boxes[0].caption), "アイコンに関する設定を消します。確認");
  EXPECT_EQ(record->IconFileName, "Ostrevan.exe");
  answer = IDOK;
  ui->buttons[1]->Click();
  EXPECT_EQ(Shown(), "Beta||0|b.exe|||0");
  EXPECT_EQ(std::pair(record->IconFileName, record->IconIndex), std::pair(std::string(), 0));
  EXPECT_EQ(NodePicture(beta), FilePicture("Ostrevan.exe", 1)) << "the target has no icon";

  // A name too long for the dialog's path buffer opens no dialog.
  TIconDialog dialog(nullptr);
  dialog.FileName = "C:\\" + std::string(255, 'a') + "\\b.dll";  // 264 characters
  dialog.IconIndex = 4;
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(offered.size(), 2u) << "no dialog opened";
  EXPECT_EQ(std::pair(dialog.FileName.size(), dialog.IconIndex), std::pair(size_t(264), 4));
  dialog.FileName.resize(259);
  dialog.Execute();
  EXPECT_EQ(offered.size(), 3u) << "259 characters and the terminator fit";

  // A file whose name the icon mark cannot hold is refused, and said why.
  chooser = [](TComponent& d) { return dynamic_cast<TIconDialog&>(d).FileName = "C:\\a,b.dll", true; };
  ui->buttons[0]->Click();
  EXPECT_EQ(utf8(boxes.back().text), "ファイル「C:\\a,b.dll」には、アイコンのファイルに使えない記号（[ ] < > { } ,）があるため、選べません。");
  EXPECT_EQ(record->IconFileName, "");
}

TEST_F(PanelTest, BrowseButtonsStartWhereTheFieldLeadsAndTheTargetElseAtTheLastChosenProgram) {
  const std::string firstPath = form->Subject->ExePath;  // the editor's folder, as the settings test shows
  std::vector<std::string> offered;
  std::string pick = "C:\\Tools\\new.exe";
  chooser = [&](TComponent& dialog) {
    auto& open = dynamic_cast<TOpenDialog&>(dialog);
    EXPECT_EQ(utf8(open.Filter), "実行ファイル（*.exe）|*.exe|全てのファイル（*.*）|*.*");
    EXPECT_EQ(utf8(open.Title), "実行ファイルの場所を指定する");
    offered.push_back(open.FileName);
    if (pick.empty()) return false;
    open.FileName = pick;
    return true;
  };
  Select("Beta");
  ui->fields[3]->SetText("");
  ui->buttons[2]->Click();
  EXPECT_EQ(form->Subject->ExePath, pick);
  EXPECT_EQ(RecordOf(Find("Beta"))->ExeName, pick);

  Select("Alpha");
  pick.clear();
  ui->buttons[2]->Click();
  ui->fields[3]->SetText("");
  ui->buttons[2]->Click();
  EXPECT_EQ(offered, (std::vector<std::string>{firstPath, "C:\\Program Files\\a.exe", "C:\\Tools\\new.exe"}));
  EXPECT_TRUE(RecordOf(Find("Alpha"))->ExeName.empty()) << "cancelled: the emptied field stays";

  // The folder's chooser starts where the name leads, here beside the menu;
  // that same folder chosen keeps the name as written.
  CreateDirectoryA(Path("work").c_str(), nullptr);
  Select("Sub");
  ui->fields[5]->SetText("work");
  offered.clear();
  chooser = [&](TComponent& dialog) {
    auto& folder = dynamic_cast<TFolderDialog&>(dialog);
    EXPECT_EQ(utf8(folder.Title), "中身を表示するフォルダを指定する");
    offered.push_back(folder.FolderName);
    return true;
  };
  ui->buttons[3]->Click();
  EXPECT_EQ(offered, std::vector<std::string>{Path("work")});
  EXPECT_EQ(RecordOf(Find("Sub"))->WorkFolder, "work");
  // A folder the folder mark cannot hold is refused.
  chooser = [](TComponent& d) { return dynamic_cast<TFolderDialog&>(d).FolderName = "C:\\[old]", true; };
  ui->buttons[3]->Click();
  EXPECT_EQ(RecordOf(Find("Sub"))->WorkFolder, "work") << utf8(boxes.at(0).text);
}
