// The editor's main window, made in-process on the test bed's display and
// started as the program starts it, with a responder standing in for the
// user at every message box and chooser, and a registry of the test's own
// standing in for the user's.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Dialogs.h"
#include "Forms.h"
#include "TestFiles.h"
#include "TestText.h"
#include "unitMain.h"

// The form's widgets the tests reach by name; the form keeps them to itself.
class TformMainSeam {
 public:
  explicit TformMainSeam(TformMain& f)
      : TreeView(f.TreeView), ilstLaunch(f.ilstLaunch), StatusBar(f.StatusBar), imageIcon(f.imageIcon),
        fields{f.editItemName, f.editIconFileName, f.editIconIndex, f.editExeName, f.editCmdLine, f.editWorkFolder},
        cmbbWindowState(f.cmbbWindowState), cmbbEditorPosition(f.cmbbEditorPosition),
        buttons{f.sbtnOpenIconFile, f.sbtnIconClear, f.sbtnOpenExeName, f.sbtnOpenWorkFolder} {}
  gui::TTreeView* TreeView;
  gui::TImageList* ilstLaunch;
  gui::TStatusBar* StatusBar;
  gui::TImage* imageIcon;
  // Name, icon file, icon number, target, options, folder.
  std::vector<gui::TEdit*> fields;
  gui::TComboBox *cmbbWindowState, *cmbbEditorPosition;
  // Icon browse, icon clear, target browse, folder browse.
  std::vector<gui::TSpeedButton*> buttons;
};

class EditorTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A new main window in place of the old one, started with the file as the
  // program's command line names it (none when empty).
  void Start(const std::string& file = {});

  gui::TTreeView& Tree() { return *ui->TreeView; }
  gui::TTreeNodes& Nodes() { return *ui->TreeView->Items(); }
  // An entry of the menu bar by its captions (UTF-8), and its command as
  // picked; an entry of the special-items menu by its tag.
  gui::TMenuItem* MenuEntry(std::initializer_list<const char*> path);
  void Command(std::initializer_list<const char*> path) {
    SendMessageA(form->Handle(), WM_COMMAND, MenuEntry(path)->Command(), 0);
  }
  gui::TMenuItem* Special(int tag) { return Tree().PopupMenu->Items()->Items(1)->Items(tag); }
  void Select(const char* utf8Caption) { Tree().SetSelected(Find(utf8Caption)); }
  // The focus leaving a field hands what it holds to the record.
  static void Leave(gui::TEdit* field) { SendMessageA(field->Handle(), WM_KILLFOCUS, 0, 0); }
  static void SetAndLeave(gui::TEdit* field, const std::string& text) { field->SetText(text), Leave(field); }

  // Files in this test's own folder, their text in UTF-8 here and in
  // Shift-JIS on disk; loaded into the tree and saved from it by the document.
  std::string Path(const std::string& name) const { return dir_.File(name); }
  std::string WriteMenu(const std::string& name, const std::string& utf8Text) {
    return dir_.WriteSjis(name, utf8Text);
  }
  static std::string ReadUtf8(const std::string& path) { return utf8(ReadBytes(path)); }
  void Load(const std::string& path) {
    form->Subject->FileName = path;
    form->Subject->LoadTree(Tree());
  }
  std::string SaveToUtf8(const std::string& name) {
    form->Subject->FileName = Path(name);
    form->Subject->SaveTree(Tree());
    return ReadUtf8(Path(name));
  }

  // The tree as text: captions in UTF-8, children in brackets,
  // e.g. "A, B[b1, b2], C".
  std::string Shape();
  gui::TTreeNode* Find(const std::string& utf8Caption);

  // A point in the tree's client area over the given part of the node's row,
  // found by asking the tree itself.
  POINT PointOn(gui::TTreeNode* node, gui::THitTest part);
  static void Pump() {
    for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&msg);
  }

  // The pixels of a node's image in the editor's list.
  std::vector<uint32_t> NodePicture(gui::TTreeNode* node);

  std::unique_ptr<gui::TApplication> app;
  std::unique_ptr<TformMain> form;
  std::unique_ptr<TformMainSeam> ui;
  // Every message box is recorded and answered with `answer`.
  std::vector<gui::MessageBoxRequest> boxes;
  int answer = IDOK;
  // Answers the system's choosers (file, icon) for the user; a test that
  // opens one without setting it fails, and no dialog ever opens.
  std::function<bool(gui::TComponent& dialog)> chooser;

 private:
  TempFolder dir_{"editor"};
  HKEY registry_ = nullptr;
  std::string registryKey_;
  gui::MessageBoxResponder previous_;
  gui::DialogResponder previousChooser_;
};

// The pixels of a small icon of the launcher's file (or any other), for telling
// pictures apart.
std::vector<uint32_t> FilePicture(const std::string& file, int index);
