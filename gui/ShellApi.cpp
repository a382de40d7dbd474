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
using ExtractIconExFn = UINT(WINAPI*)(LPCSTR, int, HICON*, HICON*, UINT);

ExtractIconExFn ExtractIconEx() {
  static const ExtractIconExFn extract = Proc<ExtractIconExFn>("ExtractIconExA");
  return extract;
}

// Some shells hand back a handle that is no icon when a file has none; only
// a handle the system can describe counts.
TIcon RealIcon(HICON handle) {
  ICONINFO info{};
  if (!handle || !GetIconInfo(handle, &info)) return TIcon();
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return TIcon(handle);
}

// No name of that length can be a file; the shell is not asked about it.
bool MayBeFile(const std::string& file) { return !file.empty() && file.size() < MAX_PATH; }
}  // namespace

UINT ExtractSmallIcon(const std::string& file, int index, TIcon& small) {
  small.SetHandle(nullptr);
  if (!ExtractIconEx() || !MayBeFile(file)) return 0;
  HICON large = nullptr, smallHandle = nullptr;
  const UINT count = ExtractIconEx()(file.c_str(), index, &large, &smallHandle, 1);
  if (large) DestroyIcon(large);
  small = RealIcon(smallHandle);
  // The call counts both sizes on some systems; one icon was asked for.
  return count && !small.Empty() ? 1u : 0u;
}

std::vector<TIcon> ExtractSmallIcons(const std::string& file) {
  std::vector<TIcon> icons;
  if (!ExtractIconEx() || !MayBeFile(file)) return icons;
  // Number -1 asks for the count. Then one at a time: asked for several at
  // once, some shells fill in only the first.
  const UINT count = ExtractIconEx()(file.c_str(), -1, nullptr, nullptr, 0);
  for (UINT i = 0; i < count && i < 0x10000; ++i) icons.push_back(ExtractSmallIcon(file, int(i)));
  return icons;
}

TIcon ExtractSmallIcon(const std::string& file, int index) {
  TIcon icon;
  ExtractSmallIcon(file, index, icon);
  return icon;
}

}  // namespace gui
