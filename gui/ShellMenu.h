// The shell's menu of a file, folder or shell location: what Explorer shows
// on a right click. shell32 and ole32 are loaded when it is first shown.
#pragma once

#include <windows.h>

#include <string>

namespace gui {

// Shows the shell's menu of `target` (a full path, or a shell location such
// as "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}") with its corner at `at` on
// the screen, and carries out the command chosen. `owner` is the window that
// shows the popup this menu opens over (its window procedure passes menu
// messages through TMenu::HandleNotify), or any window of the program's.
// True when a command was chosen and handed to the shell; false when the
// menu closed without one, or when the shell has no menu for the target
// (nothing of that name).
// A command that starts the target gets `parameters`, in `folder` (empty:
// the one the target is in).
bool ShowShellContextMenu(HWND owner, const std::wstring& target, POINT at, const std::wstring& parameters = {},
                          const std::wstring& folder = {});

// Lets the shell finish what a command of its menu left with this program
// before the program ends: windows it opened on a thread of this program (a
// file's properties, under Windows) are waited for until they close, and
// what it put on the clipboard (copy, cut) is handed to the system, so that
// it can still be pasted. Returns at once when no shell menu was shown.
void FinishShellWork();

}  // namespace gui
