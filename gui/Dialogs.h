// Every message box of both programs goes through MessageDlg, the one seam a
// test can answer instead of a user: install a responder and no modal window
// ever opens.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

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

}  // namespace gui
