// The icon picker: offers the icons of any file through the shell's own
// change-icon dialog and takes the user's choice back.
#pragma once

#include <cstdint>
#include <string>

#include "Classes.h"

class TIconDialog : public gui::TComponent {
 public:
  explicit TIconDialog(gui::TComponent* AOwner) : gui::TComponent(AOwner) {}

  // Both keep their values between calls: a caller that leaves IconIndex
  // alone opens the dialog on the icon chosen last time.
  std::string FileName;  // the file whose icons are offered; after OK, the chosen one
  int32_t IconIndex = 0;

  // Shows the shell's dialog, or one of this unit's own where the shell has
  // none. True when the user chose an icon; FileName and IconIndex then hold
  // the choice. False, with both unchanged, on Cancel; when FileName is too
  // long for the dialog's path buffer (259 characters and a terminator); and
  // when the chosen file's name holds a character the menu file cannot keep
  // in an icon file, which the user hears.
  bool Execute();
};
