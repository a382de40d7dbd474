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

class EditorTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A new main window in place of the old one, and its start-up with the
  // file as the program's command line names it (none when empty).
  void NewForm();
  void Start(const std::string& file = {});

  gui::TTreeView& Tree() { return *form->TreeView; }
  gui::TTreeNodes& Nodes() { return *form->TreeView->Items(); }

  // A file in this test's own folder; the text is UTF-8 and lands as
  // Shift-JIS.
  std::string WriteMenu(const std::string& name, const std::string& utf8Text);
  std::string Path(const std::string& name) const { return dir_.Path() + "\\" + name; }
  // The file's bytes turned into UTF-8.
  static std::string ReadUtf8(const std::string& path) { return utf8(ReadBytes(path)); }
  // Loads the file into the (emptied) tree through the document.
  void Load(const std::string& path);
  std::string SaveToUtf8(const std::string& name);

  // The tree as text: captions in UTF-8, children in brackets,
  // e.g. "A, B[b1, b2], C".
  std::string Shape();
  gui::TTreeNode* Find(const std::string& utf8Caption);
  TRecord* RecordFor(const std::string& utf8Caption) { return RecordOf(Find(utf8Caption)); }

  // A point in the tree's client area over the given part of the node's row,
  // found by asking the tree itself.
  POINT PointOn(gui::TTreeNode* node, gui::THitTest part);
  // Pumps the thread's messages that are already queued.
  static void Pump();

  std::unique_ptr<gui::TApplication> app;
  std::unique_ptr<TformMain> form;
  // Every message box is recorded and answered with `answer`.
  std::vector<gui::MessageBoxRequest> boxes;
  int answer = IDOK;
  // Answers the system's choosers (file, icon) for the user; a test that
  // opens one without setting it fails, and no dialog ever opens.
  std::function<bool(gui::TComponent& dialog)> chooser;
  int deletions = 0;

 private:
  TempFolder dir_{"editor"};
  HKEY registry_ = nullptr;
  std::string registryKey_;
  gui::MessageBoxResponder previous_;
  gui::DialogResponder previousChooser_;
  POINT cursor_{};
};

// The pixels of an image of the editor's list, and of an icon of the
// launcher's file (or any other), for telling pictures apart.
std::vector<uint32_t> NodePicture(TformMain& form, gui::TTreeNode* node);
std::vector<uint32_t> FilePicture(const std::string& file, int index);
