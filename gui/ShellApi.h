// The shell's services. shell32 is loaded on first use only: the launcher
// shows a cached menu without it and needs it only to start the pick.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Graphics.h"
#include "Handle.h"

// The shell's handle of dropped files, declared as shellapi.h declares it;
// that header stays out, since its macros would rename ShellExecute.
struct HDROP__;
typedef struct HDROP__* HDROP;

namespace gui {

// ShellExecuteA; a result above 32 means the request was taken. `process`,
// if given, then holds the program started (none when the shell handed the
// request to a program already running).
INT_PTR ShellExecute(HWND owner, const std::string& verb, const std::string& file,
                     const std::string& parameters, const std::string& folder, int showCommand,
                     base::KernelHandle* process = nullptr);
// The system's reason for a request ShellExecute did not take, from its result.
std::string ShellExecuteErrorText(INT_PTR result);

// Icon number `index` of a program, library or icon file, in the small size
// (a negative number names the icon by its resource id, as ExtractIconEx
// takes it). Empty when the file yields none.
TIcon ExtractSmallIcon(const std::string& file, int index);

// The number of icons the call reports as extracted (0 or 1), keeping the
// small icon, for callers that test the count rather than the handle.
UINT ExtractSmallIcon(const std::string& file, int index, TIcon& small);

// Every icon of a file in the small size, in the file's order; an icon the
// file has but that cannot be read is an empty one. None for a file
// without icons.
std::vector<TIcon> ExtractSmallIcons(const std::string& file);

// Makes the window take files dropped from the shell (WM_DROPFILES), or no
// longer take them.
void DragAcceptFiles(HWND window, bool accept);

// The shell's record of the files of one drop, let go (DragFinish) by its
// one owner.
struct DropTraits {
  using Handle = HDROP;
  static void Close(HDROP drop);
};
using TDropHandle = base::UniqueHandle<DropTraits>;
// How many files the drop holds.
UINT DroppedFileCount(HDROP drop);
// The path of file `index` of the drop, however long; empty when there is
// no such file.
std::string DroppedFileName(HDROP drop, UINT index);

// Loads shell32 and returns one of its exports; null when it is missing.
FARPROC Shell32Proc(const char* name);

}  // namespace gui
