// The system's file and folder choosers (comdlg32, the shell). In a file of
// their own, so that only a program that asks for a file loads the library.
#pragma once

#include <windows.h>

#include <string>

#include "Classes.h"

namespace gui {

enum TOpenOption : unsigned {
  ofHideReadOnly = 1,   // no read-only check box
  ofPathMustExist = 2,  // a typed folder must exist
  ofFileMustExist = 4,  // a typed file must exist
  ofEnableSizing = 8,   // the user may resize the dialog
};

// The open-file dialog. Its settings are read each time it opens.
class TOpenDialog : public TComponent {
 public:
  explicit TOpenDialog(TComponent* AOwner) : TComponent(AOwner) {}

  // Pairs of description and pattern, all separated by '|':
  // "Programs|*.exe|All files|*.*".
  std::string Filter;
  std::string Title;
  // The name the dialog starts with (a folder with a pattern such as
  // "C:\Tools\*.exe" opens that folder showing those files); after a
  // confirmed Execute, the chosen file.
  std::string FileName;
  unsigned Options = ofHideReadOnly | ofEnableSizing;

  // True when the user chose a file; false, with FileName unchanged, on
  // Cancel or when the dialog could not open.
  virtual bool Execute();

 protected:
  bool Run(bool save);
};

// The save-file dialog: the same settings, and a name that need not exist
// yet. It does not ask before an existing file is chosen.
class TSaveDialog : public TOpenDialog {
 public:
  using TOpenDialog::TOpenDialog;
  bool Execute() override { return Run(true); }
};

// The system's folder chooser (the shell's).
class TFolderDialog : public TComponent {
 public:
  explicit TFolderDialog(TComponent* AOwner) : TComponent(AOwner) {}

  // The dialog's caption.
  std::string Title;
  // The folder the dialog starts on; after a confirmed Execute, the chosen one.
  std::string FolderName;

  // True when the user chose a folder; false, with FolderName unchanged, on
  // Cancel or when the dialog could not open.
  bool Execute();
};

// The programs keep names in the code page: a name chosen in a system dialog
// that the code page cannot hold is taken by its short form, or refused
// with a word to the user (over `owner`) rather than kept with a "?".
// Empty when refused.
std::string NameInCodePage(HWND owner, const std::wstring& chosen);

}  // namespace gui
