// The system's file chooser (comdlg32). In a file of its own, so that only a
// program that asks for a file loads the library.
#pragma once

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

}  // namespace gui
