#include "ShellIcons.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
// Its macro would rename ours.
#undef ShellExecute

#include "ImgList.h"
#include "ShellApi.h"
#include "SysUtils.h"

namespace gui {

namespace {

template <class Fn>
Fn Shell32(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(Shell32Proc(name)));
}

// The shell's icon handlers are objects of the component library, which
// must be ready on the calling thread. Loaded here, at the first such icon,
// and kept for the program's life.
void ComponentLibraryReady() {
  static const bool ready = [] {
    using Fn = HRESULT(WINAPI*)(LPVOID, DWORD);
    const HMODULE ole32 = LoadLibraryA("ole32.dll");
    const auto init = ole32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(ole32, "CoInitializeEx")))
                            : nullptr;
    return init && SUCCEEDED(init(nullptr, COINIT_APARTMENTTHREADED));
  }();
  (void)ready;
}

// A shell location's item list, freed by its one owner.
struct ItemListTraits {
  using Handle = PIDLIST_ABSOLUTE;
  static void Close(PIDLIST_ABSOLUTE items) {
    using Fn = void(WINAPI*)(PIDLIST_RELATIVE);
    static const Fn free = Shell32<Fn>("ILFree");
    if (free) free(items);
  }
};
using TItemList = base::UniqueHandle<ItemListTraits>;

}  // namespace

TIcon ExplorerIcon(const std::string& name, int size) {
  using InfoFn = DWORD_PTR(WINAPI*)(LPCWSTR, DWORD, SHFILEINFOW*, UINT, UINT);
  using ParseFn = HRESULT(WINAPI*)(PCWSTR, IBindCtx*, PIDLIST_ABSOLUTE*, SFGAOF, SFGAOF*);
  static const InfoFn info = Shell32<InfoFn>("SHGetFileInfoW");
  static const ParseFn parse = Shell32<ParseFn>("SHParseDisplayName");
  if (!info || name.empty() || size <= 0 || size > 256) return TIcon();
  ComponentLibraryReady();

  const std::wstring wide = AnsiToWide(name);
  // A shell location has no path: the shell takes it as an item list.
  TItemList items;
  if (name.rfind("::", 0) == 0 && parse) {
    PIDLIST_ABSOLUTE parsed = nullptr;
    if (FAILED(parse(wide.c_str(), nullptr, &parsed, 0, nullptr))) return TIcon();
    items.SetHandle(parsed);
  }
  const UINT byItems = items ? SHGFI_PIDL : 0;
  const auto what = items ? reinterpret_cast<LPCWSTR>(items.Handle()) : wide.c_str();

  // Where the icon lives, so that it is taken at the size asked for rather
  // than scaled from one of the shell's two.
  SHFILEINFOW found{};
  if (info(what, 0, &found, sizeof found, byItems | SHGFI_ICONLOCATION) && found.szDisplayName[0]) {
    wchar_t expanded[MAX_PATH] = L"";
    const DWORD n = ExpandEnvironmentStringsW(found.szDisplayName, expanded, MAX_PATH);
    const std::string file = AnsiPath(n && n <= MAX_PATH ? expanded : found.szDisplayName);
    TIcon icon = file.empty() ? TIcon() : ExtractIconAt(file, found.iIcon, size);
    if (!icon.Empty()) return icon;
  }
  // An icon the shell draws itself (a handler's, an overlay's).
  found = SHFILEINFOW{};
  const bool small = size <= GetSystemMetrics(SM_CXSMICON);
  if (!info(what, 0, &found, sizeof found, byItems | SHGFI_ICON | (small ? SHGFI_SMALLICON : SHGFI_LARGEICON)))
    return TIcon();
  TIcon icon(found.hIcon);
  ICONINFO parts{};
  if (icon.Empty() || !GetIconInfo(icon.Handle(), &parts)) return TIcon();
  BITMAP bits{};
  GetObjectA(parts.hbmColor ? parts.hbmColor : parts.hbmMask, sizeof bits, &bits);
  if (parts.hbmColor) DeleteObject(parts.hbmColor);
  if (parts.hbmMask) DeleteObject(parts.hbmMask);
  return bits.bmWidth == size ? std::move(icon) : ResizedIcon(icon.Handle(), size, size);
}

}  // namespace gui
