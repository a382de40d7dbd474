#include "EditorFixture.h"

#include "Pixels.h"
#include "ImgList.h"
#include "ShellApi.h"
#include "SysUtils.h"
#include "unitAbout.h"

using namespace gui;

void EditorTest::SetUp() {
  // The user's registry stays out of it: this process's HKEY_CURRENT_USER is
  // a key of its own, empty at first.
  registryKey_ = "Software\\OstrevanTests\\" + ExtractFileName(dir_.Path());
  RegCreateKeyExA(HKEY_CURRENT_USER, registryKey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &registry_,
                  nullptr);
  ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, registry_), ERROR_SUCCESS);
  app = std::make_unique<TApplication>();
  app->Initialize();
  app->SetTitle(sjis("Ostrevan メニューエディタ"));
  previous_ = SetMessageBoxResponder([this](const MessageBoxRequest& r) {
    boxes.push_back(r);
    return answer;
  });
  previousChooser_ = SetDialogResponder([this](TComponent& dialog) {
    if (chooser) return chooser(dialog);
    ADD_FAILURE() << "a dialog opened that nobody answers";
    return false;
  });
  Start();
}

void EditorTest::Start(const std::string& file) {
  form.reset();
  ui.reset();
  form = std::make_unique<TformMain>(nullptr);
  ui = std::make_unique<TformMainSeam>(*form);
  formMain = form.get();
  // The window stays hidden (showing and hiding top-level windows on a
  // display without a window manager costs seconds); the tree gets the
  // layout's width and room below the rows of every test's menu.
  form->Handle();
  Tree().SetBounds(0, 0, 265, 400);
  Tree().Handle();
  Pump();
  // The start-up reads the program's command line, which here is the test
  // program's: it sees the file alone.
  std::string program = "Calvenor.exe", argument = file;
  char* argv[] = {program.data(), argument.data(), nullptr};
  const int savedArgc = std::exchange(__argc, file.empty() ? 1 : 2);
  char** const savedArgv = std::exchange(__argv, argv);
  form->FormShow(form.get());
  __argc = savedArgc;
  __argv = savedArgv;
}

void EditorTest::TearDown() {
  ui.reset();
  form.reset();
  formMain = nullptr;
  formAbout = nullptr;
  SetMessageBoxResponder(previous_);
  SetDialogResponder(previousChooser_);
  app.reset();
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  if (registry_) RegCloseKey(registry_);
  RegDeleteTreeA(HKEY_CURRENT_USER, registryKey_.c_str());
}

TMenuItem* EditorTest::MenuEntry(std::initializer_list<const char*> path) {
  TMenuItem* item = form->Menu()->Items();
  for (const char* caption : path) {
    TMenuItem* next = nullptr;
    for (int i = 0; i < item->Count(); ++i)
      if (item->Items(i)->Caption() == sjis(caption)) next = item->Items(i);
    if (!next) throw std::runtime_error(std::string("no menu entry ") + caption);
    item = next;
  }
  return item;
}

namespace {
std::string Describe(TTreeNode* n) {
  std::string out;
  for (; n; n = n->GetNextSibling()) {
    out.append(out.empty() ? "" : ", ").append(utf8(n->Text()));
    if (n->Count()) out.append("[").append(Describe(n->GetFirstChild())).append("]");
  }
  return out;
}
}  // namespace

std::string EditorTest::Shape() { return Describe(Nodes().GetFirstNode()); }

TTreeNode* EditorTest::Find(const std::string& utf8Caption) {
  const std::string caption = sjis(utf8Caption);
  for (int i = 0; i < Nodes().Count(); ++i)
    if (Nodes().GetNodeFromIndex(i)->Text() == caption) return Nodes().GetNodeFromIndex(i);
  ADD_FAILURE() << "no node " << utf8Caption;
  return nullptr;
}

POINT EditorTest::PointOn(TTreeNode* node, THitTest part) {
  node->MakeVisible();
  const RECT row = node->DisplayRect(false);
  const int y = (row.top + row.bottom) / 2;
  for (int x = 0; x < Tree().ClientWidth(); ++x)
    if (Tree().GetNodeAt(x, y) == node && (Tree().GetHitTestInfoAt(x, y) & part)) return POINT{x, y};
  ADD_FAILURE() << "no such part on the row of " << utf8(node->Text());
  return POINT{-1, -1};
}

std::vector<uint32_t> EditorTest::NodePicture(TTreeNode* node) {
  return ImagePixels(ui->ilstLaunch->Handle(), node->ImageIndex(), ui->ilstLaunch->Width());
}

std::vector<uint32_t> FilePicture(const std::string& file, int index) {
  // Through an image list of the same kind, so that both pictures are drawn
  // the same way.
  TIcon icon = ExtractIconAt(file, index, 16);
  if (icon.Empty()) return {};
  TImageList list(nullptr);
  list.AddIcon(icon);
  return ImagePixels(list.Handle(), 0);
}
