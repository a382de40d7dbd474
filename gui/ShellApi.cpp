#include "ShellApi.h"

#include <shellapi.h>
// Its macro would rename ours.
#undef ShellExecute

#include <algorithm>

#include "Text.h"

namespace gui {

FARPROC Shell32Proc(const char* name) {
  static HMODULE shell32 = LoadLibraryA("shell32.dll");
  return shell32 ? GetProcAddress(shell32, name) : nullptr;
}

namespace {

template <class Fn>
Fn Proc(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(Shell32Proc(name)));
}
}  // namespace

INT_PTR ShellExecute(HWND owner, const std::string& verb, const std::string& file,
                     const std::string& parameters, const std::string& folder, int showCommand,
                     base::KernelHandle* process) {
  using Fn = BOOL(WINAPI*)(SHELLEXECUTEINFOA*);
  static const Fn shellExecuteEx = Proc<Fn>("ShellExecuteExA");
  if (!shellExecuteEx) return SE_ERR_DLLNOTFOUND;
  // No error box of the shell's, as ShellExecuteA: callers report failures
  // themselves. A conversation with a program already running is finished
  // before the call returns, as the caller may end right after.
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_FLAG_DDEWAIT | (process ? SEE_MASK_NOCLOSEPROCESS : 0);
  info.hwnd = owner;
  info.lpVerb = verb.c_str();
  info.lpFile = file.c_str();
  info.lpParameters = parameters.c_str();
  info.lpDirectory = folder.c_str();
  info.nShow = showCommand;
  shellExecuteEx(&info);
  if (process) process->SetHandle(info.hProcess);
  return reinterpret_cast<INT_PTR>(info.hInstApp);
}

std::string ShellExecuteErrorText(INT_PTR result) {
  DWORD code;
  switch (result) {
    case 0:
      code = ERROR_NOT_ENOUGH_MEMORY;
      break;
    case SE_ERR_SHARE:
      code = ERROR_SHARING_VIOLATION;
      break;
    case SE_ERR_ASSOCINCOMPLETE:
    case SE_ERR_NOASSOC:
      code = ERROR_NO_ASSOCIATION;
      break;
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY:
      code = ERROR_DDE_FAIL;
      break;
    case SE_ERR_DLLNOTFOUND:
      code = ERROR_DLL_NOT_FOUND;
      break;
    default:  // the others are the system's own error codes
      code = DWORD(result);
      break;
  }
  return base::SystemErrorText(code);
}

void DragAcceptFiles(HWND window, bool accept) {
  using Fn = void(WINAPI*)(HWND, BOOL);
  static const Fn dragAccept = Proc<Fn>("DragAcceptFiles");
  if (dragAccept) dragAccept(window, accept);
}

namespace {
using DragQueryFileFn = UINT(WINAPI*)(HDROP, UINT, LPSTR, UINT);
UINT QueryDrop(HDROP drop, UINT index, char* buffer, UINT size) {
  static const DragQueryFileFn query = Proc<DragQueryFileFn>("DragQueryFileA");
  return query ? query(drop, index, buffer, size) : 0;
}
}  // namespace

void DropTraits::Close(HDROP drop) {
  using Fn = void(WINAPI*)(HDROP);
  static const Fn finish = Proc<Fn>("DragFinish");
  if (finish) finish(drop);
}

UINT DroppedFileCount(HDROP drop) { return QueryDrop(drop, 0xFFFFFFFF, nullptr, 0); }

std::string DroppedFileName(HDROP drop, UINT index) {
  // Asked first for its length: a path longer than the usual 260 bytes is
  // taken whole rather than cut into another path.
  const UINT length = QueryDrop(drop, index, nullptr, 0);
  if (length == 0) return {};
  std::string path(length + 1, '\0');
  path.resize(QueryDrop(drop, index, path.data(), length + 1));
  return path;
}

namespace {
// Some systems hand back a handle that is no icon when a file has none; only
// a handle the system can describe counts.
TIcon RealIcon(HICON handle) {
  ICONINFO info{};
  if (!handle || !GetIconInfo(handle, &info)) return TIcon();
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return TIcon(handle);
}

// No name of that length can be a file; the system is not asked about it.
bool MayBeFile(const std::string& file) { return !file.empty() && file.size() < MAX_PATH; }

// user32 reads icons out of files itself (the shell's ExtractIconEx asks it
// too): asking it directly spares the launcher loading shell32 before its
// popup shows. Fills `count` handles from number `index` on; with none asked
// for, says how many the file holds. A file that cannot be read holds none.
UINT ExtractIcons(const std::string& file, int index, HICON* icons = nullptr, UINT count = 0) {
  const UINT n = PrivateExtractIconsA(file.c_str(), index, GetSystemMetrics(SM_CXSMICON),
                                      GetSystemMetrics(SM_CYSMICON), icons, nullptr, count, 0);
  return n == 0xFFFFFFFF ? 0 : n;
}
}  // namespace

UINT ExtractSmallIcon(const std::string& file, int index, TIcon& small) {
  small.SetHandle(nullptr);
  if (!MayBeFile(file)) return 0;
  HICON handle = nullptr;
  const UINT count = ExtractIcons(file, index, &handle, 1);
  small = RealIcon(handle);
  return count && !small.Empty() ? 1u : 0u;
}

std::vector<TIcon> ExtractSmallIcons(const std::string& file) {
  std::vector<TIcon> icons;
  if (!MayBeFile(file)) return icons;
  // All in one reading of the file; a slot left empty stays an empty icon.
  std::vector<HICON> handles(std::min(ExtractIcons(file, 0), 0x10000u));
  if (!handles.empty()) ExtractIcons(file, 0, handles.data(), UINT(handles.size()));
  for (HICON handle : handles) icons.push_back(RealIcon(handle));
  return icons;
}

TIcon ExtractSmallIcon(const std::string& file, int index) {
  TIcon icon;
  ExtractSmallIcon(file, index, icon);
  return icon;
}

}  // namespace gui
