// The shell's services. shell32 is loaded on first use only: the launcher
// shows a cached menu without it and needs it only to start the pick.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Graphics.h"

namespace gui {

// ShellExecuteA; a result above 32 means the request was taken.
INT_PTR ShellExecute(HWND owner, const std::string& verb, const std::string& file,
                     const std::string& parameters, const std::string& folder, int showCommand);

// Icon number `index` of a program, library or icon file, in the small size
// (ExtractIconExA with a count of 1). Empty when the file yields none.
TIcon ExtractSmallIcon(const std::string& file, int index);

// The number of icons the call reports as extracted (0 or 1), keeping the
// small icon, for callers that test the count rather than the handle.
UINT ExtractSmallIcon(const std::string& file, int index, TIcon& small);

// Every icon of a file in the small size, in the file's order; an icon the
// file has but that cannot be read is an empty one. None for a file
// without icons.
std::vector<TIcon> ExtractSmallIcons(const std::string& file);

// Loads shell32 and returns one of its exports; null when it is missing.
FARPROC Shell32Proc(const char* name);

}  // namespace gui
