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

// Icon number `index` of a program, library or icon file, `size` pixels
// square (a negative number names the icon by its resource id, as
// ExtractIconEx takes it). The file's image of that size is taken, else its
// nearest larger one scaled down smoothly; a smaller one is scaled up only
// where the file has none larger. Empty when the file yields none. The file
// is opened once.
TIcon ExtractIconAt(const std::string& file, int index, int size);
// Icon group `group` of a module already loaded (a program's own
// resources: GetModuleHandle(nullptr)), `size` pixels square, its image
// chosen as ExtractIconAt chooses. Empty when there is no such group.
TIcon ModuleIconAt(HMODULE module, const char* group, int size);
// The same in the system's small size.
TIcon ExtractSmallIcon(const std::string& file, int index);

// Every icon of a file at `size`, in the file's order; an icon the file has
// but that cannot be read is an empty one. None for a file without icons.
std::vector<TIcon> ExtractIconsAt(const std::string& file, int size);
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
