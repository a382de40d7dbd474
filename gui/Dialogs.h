// Every message box of both programs goes through MessageDlg, the one seam a
// test can answer instead of a user: install a responder and no modal window
// ever opens. The system's choosers (files, icons) go through a seam of the
// same kind.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "Classes.h"

namespace gui {

struct MessageBoxRequest {
  HWND owner;
  std::string text;
  std::string caption;
  UINT flags;  // MB_ICON* | MB_OK / MB_OKCANCEL ...
};

// Returns the pressed button (IDOK, IDCANCEL, ...).
int MessageDlg(HWND owner, const std::string& text, const std::string& caption, UINT flags);

// Replaces the real message box; returns the previous responder. An empty
// responder restores the real box.
using MessageBoxResponder = std::function<int(const MessageBoxRequest&)>;
MessageBoxResponder SetMessageBoxResponder(MessageBoxResponder responder);

// Stands in for the user at the system's modal choosers: gets the dialog
// component as it is about to open, sets what the user would choose, and
// returns whether the user confirmed. An empty responder restores the real
// dialogs; the previous responder is returned.
using DialogResponder = std::function<bool(TComponent& dialog)>;
DialogResponder SetDialogResponder(DialogResponder responder);

// Opens a system dialog through `show`, which gets the window the dialog
// belongs to (the window the user works in, so that it waits meanwhile), or
// asks the responder instead when one is installed.
bool RunSystemDialog(TComponent& dialog, const std::function<bool(HWND owner)>& show);

}  // namespace gui
