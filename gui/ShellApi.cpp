#include "ShellApi.h"

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
                     const std::string& parameters, const std::string& folder, int showCommand) {
  using Fn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
  static const Fn shellExecute = Proc<Fn>("ShellExecuteA");
  if (!shellExecute) return 0;
  return reinterpret_cast<INT_PTR>(shellExecute(owner, verb.c_str(), file.c_str(),
                                                parameters.c_str(), folder.c_str(), showCommand));
}

UINT ExtractSmallIcon(const std::string& file, int index, TIcon& small) {
  using Fn = UINT(WINAPI*)(LPCSTR, int, HICON*, HICON*, UINT);
  static const Fn extract = Proc<Fn>("ExtractIconExA");
  small.SetHandle(nullptr);
  // No name of that length can be a file; the shell is not asked about it.
  if (!extract || file.empty() || file.size() >= MAX_PATH) return 0;
  HICON large = nullptr, smallHandle = nullptr;
  const UINT count = extract(file.c_str(), index, &large, &smallHandle, 1);
  if (large) DestroyIcon(large);
  // Some shells hand back a handle that is no icon when a file has none;
  // only a handle the system can describe counts.
  ICONINFO info{};
  if (smallHandle && GetIconInfo(smallHandle, &info)) {
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
  } else {
    smallHandle = nullptr;
  }
  small.SetHandle(smallHandle);
  // The call counts both sizes on some systems; one icon was asked for.
  return count && smallHandle ? 1u : 0u;
}

TIcon ExtractSmallIcon(const std::string& file, int index) {
  TIcon icon;
  ExtractSmallIcon(file, index, icon);
  return icon;
}

}  // namespace gui
