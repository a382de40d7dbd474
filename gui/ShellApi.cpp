#include "ShellApi.h"

#include <shellapi.h>
// Its macro would rename ours.
#undef ShellExecute

#include <algorithm>
#include <cstring>

#include "ImgList.h"
#include "SysUtils.h"
#include "Text.h"

namespace gui {

// The libraries stay loaded for the program's life once asked for: the
// shell's objects and pictures handed out live on in them.
FARPROC Shell32Proc(const char* name) {
  static const HMODULE shell32 = LoadLibraryA("shell32.dll");
  return shell32 ? GetProcAddress(shell32, name) : nullptr;
}

FARPROC Ole32Proc(const char* name) {
  static const HMODULE ole32 = LoadLibraryA("ole32.dll");
  return ole32 ? GetProcAddress(ole32, name) : nullptr;
}

namespace {

template <class Fn>
Fn Proc(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(Shell32Proc(name)));
}

// A request as both of the shell's calls take it: no error box of the
// shell's, since callers report failures themselves, and a conversation with
// a program already running finished before the call returns, as the caller
// may end right after.
template <class Info, class Char>
Info ExecuteRequest(HWND owner, const Char* verb, const Char* file, const Char* parameters, const Char* folder,
                    int showCommand, bool keepProcess) {
  Info info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_FLAG_DDEWAIT | (keepProcess ? SEE_MASK_NOCLOSEPROCESS : 0);
  info.hwnd = owner;
  info.lpVerb = verb;
  info.lpFile = file;
  info.lpParameters = parameters;
  info.lpDirectory = folder;
  info.nShow = showCommand;
  return info;
}
}  // namespace

INT_PTR ShellExecute(HWND owner, const std::string& verb, const std::string& file,
                     const std::string& parameters, const std::string& folder, int showCommand,
                     base::KernelHandle* process) {
  using Fn = BOOL(WINAPI*)(SHELLEXECUTEINFOA*);
  static const Fn shellExecuteEx = Proc<Fn>("ShellExecuteExA");
  if (!shellExecuteEx) return SE_ERR_DLLNOTFOUND;
  auto info = ExecuteRequest<SHELLEXECUTEINFOA>(owner, verb.c_str(), file.c_str(), parameters.c_str(),
                                                folder.c_str(), showCommand, process != nullptr);
  shellExecuteEx(&info);
  if (process) process->SetHandle(info.hProcess);
  return reinterpret_cast<INT_PTR>(info.hInstApp);
}

namespace {
DWORD ShellExecuteErrorCode(INT_PTR result) {
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
  return code;
}
}  // namespace

std::string ShellExecuteErrorText(INT_PTR result) { return base::SystemErrorText(ShellExecuteErrorCode(result)); }

DWORD ShellExecuteWide(HWND owner, const wchar_t* verb, const std::wstring& file, const std::wstring& parameters,
                       const std::wstring& folder, int showCommand, base::KernelHandle* process) {
  using Fn = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
  static const Fn shellExecuteEx = Proc<Fn>("ShellExecuteExW");
  if (!shellExecuteEx) return ERROR_DLL_NOT_FOUND;
  auto info = ExecuteRequest<SHELLEXECUTEINFOW>(owner, verb, file.c_str(),
                                                parameters.empty() ? nullptr : parameters.c_str(),
                                                folder.empty() ? nullptr : folder.c_str(), showCommand, process != nullptr);
  SetLastError(ERROR_SUCCESS);
  if (shellExecuteEx(&info)) {
    if (process) process->SetHandle(info.hProcess);
    return ERROR_SUCCESS;
  }
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : ShellExecuteErrorCode(reinterpret_cast<INT_PTR>(info.hInstApp));
}


void DragAcceptFiles(HWND window, bool accept) {
  // All the shell's own call does, without loading the shell and the
  // libraries it pulls in at every start: they come when files are dropped.
  const LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
  SetWindowLongPtrA(window, GWL_EXSTYLE, accept ? exStyle | WS_EX_ACCEPTFILES : exStyle & ~LONG_PTR(WS_EX_ACCEPTFILES));
}

namespace {
using DragQueryFileFn = UINT(WINAPI*)(HDROP, UINT, LPWSTR, UINT);
UINT QueryDrop(HDROP drop, UINT index, wchar_t* buffer, UINT size) {
  static const DragQueryFileFn query = Proc<DragQueryFileFn>("DragQueryFileW");
  return query ? query(drop, index, buffer, size) : 0;
}
}  // namespace

void DropTraits::Close(HDROP drop) {
  using Fn = void(WINAPI*)(HDROP);
  static const Fn finish = Proc<Fn>("DragFinish");
  if (finish) finish(drop);
}

UINT DroppedFileCount(HDROP drop) { return QueryDrop(drop, 0xFFFFFFFF, nullptr, 0); }

std::wstring DroppedFileName(HDROP drop, UINT index) {
  // Asked first for its length: a path longer than the usual 260 characters
  // is taken whole rather than cut into another path.
  const UINT length = QueryDrop(drop, index, nullptr, 0);
  if (length == 0) return {};
  std::wstring path(length + 1, L'\0');
  path.resize(QueryDrop(drop, index, path.data(), length + 1));
  return path;
}

namespace {
// No name of that length can be a file; the system is not asked about it.
bool MayBeFile(const std::string& file) { return !file.empty() && file.size() < MAX_PATH; }

// The directories of icon groups (in a program's resources) and icon files.
#pragma pack(push, 2)
struct IconDirHeader {
  WORD reserved, type, count;
};
struct IconDirEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
};
struct GroupEntry : IconDirEntry {
  WORD id;
};
struct FileEntry : IconDirEntry {
  DWORD offset;
};
#pragma pack(pop)

int Side(const IconDirEntry& e) { return e.width ? e.width : 256; }

// The image a directory offers for `size`: the smallest at least that large,
// else the largest; among images of one size the one with most colours.
template <class Entry>
const Entry* PickImage(const Entry* entries, size_t count, int size) {
  const Entry* best = nullptr;
  auto better = [size](const Entry& a, const Entry& b) {
    const bool aFits = Side(a) >= size, bFits = Side(b) >= size;
    if (aFits != bFits) return aFits;
    if (Side(a) != Side(b)) return aFits ? Side(a) < Side(b) : Side(a) > Side(b);
    return a.bitCount > b.bitCount;
  };
  for (size_t i = 0; i < count; ++i)
    if (!best || better(entries[i], *best)) best = &entries[i];
  return best;
}

// An icon made from the bits of one image, at `size`.
TIcon IconFromImage(const void* bits, DWORD bytes, int side, int size) {
  TIcon icon = RealIcon(CreateIconFromResourceEx(static_cast<PBYTE>(const_cast<void*>(bits)), bytes, TRUE,
                                                 0x00030000, side, side, LR_DEFAULTCOLOR));
  if (icon.Empty() || side == size) return icon;
  return ResizedIcon(icon.Handle(), size, size);
}

// A program or library, read for its resources only: no code of it runs.
struct ModuleTraits {
  using Handle = HMODULE;
  static void Close(HMODULE h) { FreeLibrary(h); }
};
using TModuleHandle = base::UniqueHandle<ModuleTraits>;

BOOL CALLBACK CollectGroup(HMODULE, LPCSTR, LPSTR name, LONG_PTR param) {
  auto* names = reinterpret_cast<std::vector<std::string>*>(param);
  // Numbered groups are kept as "#n", which the resource functions read back.
  if (!IS_INTRESOURCE(name)) {
    names->push_back(name);
  } else {
    char number[24];
    wsprintfA(number, "#%u", unsigned(reinterpret_cast<ULONG_PTR>(name)));
    names->push_back(number);
  }
  return TRUE;
}

TIcon GroupIcon(HMODULE module, LPCSTR group, int size) {
  HRSRC found = FindResourceA(module, group, RT_GROUP_ICON);
  const auto* header = found ? static_cast<const IconDirHeader*>(LockResource(LoadResource(module, found))) : nullptr;
  const DWORD bytes = found ? SizeofResource(module, found) : 0;
  if (!header || bytes < sizeof *header || header->count == 0 ||
      bytes < sizeof *header + header->count * sizeof(GroupEntry))
    return TIcon();
  const auto* entry = PickImage(reinterpret_cast<const GroupEntry*>(header + 1), header->count, size);
  if (!entry) return TIcon();
  HRSRC image = FindResourceA(module, MAKEINTRESOURCEA(entry->id), RT_ICON);
  const void* bits = image ? LockResource(LoadResource(module, image)) : nullptr;
  return bits ? IconFromImage(bits, SizeofResource(module, image), Side(*entry), size) : TIcon();
}

// The icons of an icon file: it holds one, number 0.
std::vector<TIcon> IconFileIcons(const std::string& file, int index, int size) {
  std::vector<TIcon> icons;
  base::KernelHandle handle(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                          nullptr, OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER length{};
  if (handle.Empty() || !GetFileSizeEx(handle.Handle(), &length) || length.QuadPart > (16 << 20)) return icons;
  std::string data(size_t(length.QuadPart), '\0');
  DWORD got = 0;
  if (!ReadFile(handle.Handle(), data.data(), DWORD(data.size()), &got, nullptr) || got != data.size()) return icons;
  IconDirHeader header{};
  if (data.size() < sizeof header) return icons;
  memcpy(&header, data.data(), sizeof header);
  if (header.reserved != 0 || header.type != 1 || header.count == 0 ||
      data.size() < sizeof header + header.count * sizeof(FileEntry))
    return icons;
  std::vector<FileEntry> entries(header.count);
  memcpy(entries.data(), data.data() + sizeof header, entries.size() * sizeof(FileEntry));
  if (index > 0) return icons;
  const FileEntry* entry = PickImage(entries.data(), entries.size(), size);
  if (entry && entry->offset < data.size() && entry->bytes <= data.size() - entry->offset)
    icons.push_back(IconFromImage(data.data() + entry->offset, entry->bytes, Side(*entry), size));
  return icons;
}

// The system's own reading (16-bit programs and whatever else it knows):
// fills `count` icons from number `index` on; with none asked for, says
// how many the file holds.
UINT SystemIcons(const std::string& file, int index, int size, HICON* icons = nullptr, UINT count = 0) {
  const UINT n = PrivateExtractIconsA(file.c_str(), index, size, size, icons, nullptr, count, 0);
  return n == 0xFFFFFFFF ? 0 : n;
}

// Icon `index` of the file (every icon when `all`), read by user32 and
// kernel32 alone: the launcher shows its popup without loading shell32.
std::vector<TIcon> FileIcons(const std::string& file, int index, int size, bool all) {
  std::vector<TIcon> icons;
  if (!MayBeFile(file) || size <= 0 || size > 256) return icons;
  const size_t dot = file.find_last_of('.');
  if (dot != std::string::npos && dot + 4 == file.size() && lstrcmpiA(file.c_str() + dot, ".ico") == 0)
    return IconFileIcons(file, all ? 0 : index, size);
  const TModuleHandle module(LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (module.Empty()) {
    // A file that is there but no 32- or 64-bit program goes to the system.
    const DWORD error = GetLastError();
    if (error == ERROR_MOD_NOT_FOUND || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
        error == ERROR_INVALID_NAME)
      return icons;
    // One at a time: asked for several at once, some systems (Wine) fill
    // the first slot alone. One the file cannot give stays an empty icon.
    const UINT count = all ? std::min(SystemIcons(file, 0, size), 0x10000u) : 1;
    for (UINT i = 0; i < count; ++i) {
      HICON handle = nullptr;
      SystemIcons(file, all ? int(i) : index, size, &handle, 1);
      icons.push_back(RealIcon(handle));
    }
    if (!all && icons.size() == 1 && icons[0].Empty()) icons.clear();
    return icons;
  }
  if (!all && index < 0) {
    // Resource numbers are 16-bit; no other negative number names an icon.
    if (index > -0x10000) icons.push_back(GroupIcon(module.Handle(), MAKEINTRESOURCEA(-index), size));
  } else {
    std::vector<std::string> groups;
    EnumResourceNamesA(module.Handle(), RT_GROUP_ICON, CollectGroup, reinterpret_cast<LONG_PTR>(&groups));
    if (all)
      for (const std::string& group : groups) icons.push_back(GroupIcon(module.Handle(), group.c_str(), size));
    else if (size_t(index) < groups.size())
      icons.push_back(GroupIcon(module.Handle(), groups[size_t(index)].c_str(), size));
  }
  if (!all && !icons.empty() && icons[0].Empty()) icons.clear();
  return icons;
}
}  // namespace

TIcon ExtractIconAt(const std::string& file, int index, int size) {
  std::vector<TIcon> icons = FileIcons(file, index, size, false);
  return icons.empty() ? TIcon() : std::move(icons[0]);
}

TIcon ProgramIconAt(const char* name, int size) {
  if (size <= 0 || size > 256) return TIcon();
  return GroupIcon(GetModuleHandleA(nullptr), name, size);
}

TIcon ExtractSmallIcon(const std::string& file, int index) {
  return ExtractIconAt(file, index, GetSystemMetrics(SM_CXSMICON));
}

std::vector<TIcon> ExtractIconsAt(const std::string& file, int size) { return FileIcons(file, 0, size, true); }

std::vector<TIcon> ExtractSmallIcons(const std::string& file) {
  return ExtractIconsAt(file, GetSystemMetrics(SM_CXSMICON));
}

}  // namespace gui
