// The shell's services. shell32 is loaded on first use only: the launcher
// shows a cached menu without it and needs it only to start the pick.
#pragma once

#include <windows.h>

#include <string>
#include <unordered_map>
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

// The shell's action `verb` on a file, folder or shell location named in
// UTF-16 (null verb: its default action, what a double click in Explorer
// does), started in `folder`. ERROR_SUCCESS, or the system's error code of
// why it was not done: ERROR_CANCELLED when the user refused it (the
// elevation prompt). `process`, if given, then holds the program started, if
// the shell started one.
DWORD ShellExecuteWide(HWND owner, const wchar_t* verb, const std::wstring& file, const std::wstring& parameters,
                       const std::wstring& folder, int showCommand, base::KernelHandle* process = nullptr);

class TImageList;

// The pictures Explorer shows for files and folders, added to an image list
// at its size, each distinct picture once. shell32 is loaded at the first
// question.
class TShellIcons {
 public:
  explicit TShellIcons(TImageList& list) : list_(list) {}
  // The picture of the name's type (a folder's for a folder), as the shell
  // has it, from the name alone: no file is read, and each type is asked
  // about once. -1 when the shell has none.
  int TypeImage(const std::wstring& name, bool folder);
  // Whether such a thing may show a picture of its own rather than its
  // type's: programs and icon files (and types whose picture each file
  // holds), shortcuts, folders, types that the shell draws per file.
  bool MayHaveOwnImage(const std::wstring& name, bool folder);
  // The picture of this very file or folder, as Explorer shows it: a
  // program's or icon file's first icon, the icon a shortcut names or else
  // its target's, the shell's picture for anything else. Slow: the file is
  // read. -1 when there is none.
  int FileImage(const std::wstring& path);
  // Icon `index` of a program, library or icon file (as ExtractIconAt
  // takes it). Each file and number is read once, whichever question led
  // to it. -1 when the file yields none.
  int IconImage(const std::wstring& file, int index);

 private:
  enum class Own { None, InFile, Shortcut, InternetShortcut, Shell };
  Own OwnOf(const std::wstring& name);
  int ImageOf(const std::wstring& path, bool followShortcut);
  int FromSystem(int systemIndex);
  int FromFile(const std::wstring& file, int index);
  int Added(const TIcon& icon);
  void FollowSize();
  TImageList& list_;
  int size_ = 0;
  int known_ = 0;  // the images added so far end before this number
  std::unordered_map<int, int> systemImages_;          // the shell's picture number: ours
  std::unordered_map<std::wstring, int> fileImages_;   // lower-case file "," number: ours
  std::unordered_map<std::wstring, int> typeImages_;   // lower-case extension: ours
  std::unordered_map<std::wstring, Own> owns_;         // lower-case extension: where its own picture is
};

// The picture Explorer shows for a file, folder or shell location at `size`
// pixels (its own, else its type's); empty when the shell has none.
TIcon ShellFileIcon(const std::wstring& path, int size);

// Icon number `index` of a program, library or icon file, `size` pixels
// square (a negative number names the icon by its resource id, as
// ExtractIconEx takes it). The file's image of that size is taken, else its
// nearest larger one scaled down smoothly; a smaller one is scaled up only
// where the file has none larger. Empty when the file yields none. The file
// is opened once.
TIcon ExtractIconAt(const std::string& file, int index, int size);
// The same in the system's small size.
TIcon ExtractSmallIcon(const std::string& file, int index);
// Icon group `name` of the program's own resources at `size`, its image
// picked and scaled as ExtractIconAt does.
TIcon ProgramIconAt(const char* name, int size);

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
// The path of file `index` of the drop, however long, in UTF-16 as the shell
// has it (in the code page it may hold characters it lacks); empty when
// there is no such file.
std::wstring DroppedFileName(HDROP drop, UINT index);

// Loads shell32 (ole32) and returns one of its exports; null when it is
// missing.
FARPROC Shell32Proc(const char* name);
FARPROC Ole32Proc(const char* name);

}  // namespace gui
