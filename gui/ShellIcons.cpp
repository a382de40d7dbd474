// The pictures Explorer shows for files, folders and shell locations, as the
// shell has them or read from the files themselves.
#include "ShellApi.h"

#include <shellapi.h>
// Its macro would rename ours.
#undef ShellExecute
#include <commctrl.h>
#include <commoncontrols.h>
#include <shlobj.h>

#include <algorithm>
#include <cwctype>

#include "ImgList.h"
#include "Registry.h"
#include "SysUtils.h"

namespace gui {

namespace {
// The interface of the shell's image lists (IID_IImageList), which the
// import libraries do not carry.
const GUID kImageListInterface = {0x46EB5926, 0x582E, 0x4017, {0x9F, 0xDF, 0xE8, 0x99, 0x8D, 0xAA, 0x09, 0x50}};

// The shell's image list whose pictures are the smallest at least `size`
// pixels (else its largest), asked through the shell itself: its image list
// belongs to the common controls it loaded, which may not be ours.
IImageList* SystemImageList(int size) {
  using Fn = HRESULT(WINAPI*)(int, REFIID, void**);
  static const Fn getImageList = reinterpret_cast<Fn>(reinterpret_cast<void*>(Shell32Proc("SHGetImageList")));
  static std::unordered_map<int, IImageList*> chosen;
  if (!getImageList) return nullptr;
  auto [it, fresh] = chosen.try_emplace(size, nullptr);
  if (!fresh) return it->second;
  for (const int kind : {SHIL_SMALL, SHIL_LARGE, SHIL_EXTRALARGE}) {
    IImageList* list = nullptr;
    int width = 0, height = 0;
    if (FAILED(getImageList(kind, kImageListInterface, reinterpret_cast<void**>(&list))) || !list) continue;
    list->GetIconSize(&width, &height);
    // The lists live as long as the shell does; the program keeps them.
    it->second = list;
    if (width >= size) break;
  }
  return it->second;
}

// The shell's picture number of a file or folder: from its name and
// attributes alone when `byName`, else from the thing itself. -1 for none.
int SystemImageIndex(const std::wstring& path, DWORD attributes, bool byName) {
  using Fn = DWORD_PTR(WINAPI*)(LPCWSTR, DWORD, SHFILEINFOW*, UINT, UINT);
  static const Fn getFileInfo = reinterpret_cast<Fn>(reinterpret_cast<void*>(Shell32Proc("SHGetFileInfoW")));
  SHFILEINFOW info{};
  if (!getFileInfo || path.empty() ||
      !getFileInfo(path.c_str(), attributes, &info, sizeof info,
                   SHGFI_SYSICONINDEX | (byName ? SHGFI_USEFILEATTRIBUTES : 0)))
    return -1;
  return info.iIcon;
}

TIcon SystemImage(int index, int size) {
  IImageList* list = index >= 0 ? SystemImageList(size) : nullptr;
  HICON icon = nullptr;
  if (!list || FAILED(list->GetIcon(index, ILD_NORMAL, &icon))) return TIcon();
  return RealIcon(icon);
}

std::wstring LowerExtension(const std::wstring& name) {
  const size_t dot = name.find_last_of(L".\\");
  if (dot == std::wstring::npos || name[dot] != L'.') return {};
  std::wstring extension = name.substr(dot);
  for (wchar_t& c : extension) c = wchar_t(std::towlower(c));
  return extension;
}

// A value of the registry's file types (HKEY_CLASSES_ROOT); empty when none.
TRegKey ClassesKey(const std::wstring& key) {
  HKEY opened = nullptr;
  return TRegKey(RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE, &opened) == ERROR_SUCCESS
                     ? opened
                     : nullptr);
}

std::wstring ClassesValue(const std::wstring& key, const wchar_t* value = nullptr) {
  const TRegKey opened = ClassesKey(key);
  wchar_t data[512] = {};
  DWORD bytes = sizeof data - sizeof(wchar_t), type = 0;
  if (!opened ||
      RegQueryValueExW(opened.Handle(), value, nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes) != ERROR_SUCCESS)
    return {};
  return type == REG_SZ || type == REG_EXPAND_SZ ? std::wstring(data) : std::wstring();
}

bool ClassesKeyExists(const std::wstring& key) { return !ClassesKey(key).Empty(); }

// COM for the shell's objects (a shortcut), started once on this thread.
bool ComReady() {
  using InitFn = HRESULT(WINAPI*)(LPVOID, DWORD);
  static const bool ready = [] {
    const auto init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(Ole32Proc("CoInitializeEx")));
    return init && SUCCEEDED(init(nullptr, COINIT_APARTMENTTHREADED));
  }();
  return ready;
}

std::wstring Expanded(const std::wstring& text) {
  wchar_t expanded[MAX_PATH];
  const DWORD n = ExpandEnvironmentStringsW(text.c_str(), expanded, MAX_PATH);
  return n > 0 && n <= MAX_PATH ? std::wstring(expanded) : text;
}

// Where a shortcut's picture is: the icon it names (file and number), else
// `target` says what it points at. Nothing when it cannot be read.
std::pair<std::wstring, int> ShortcutIcon(const std::wstring& path, std::wstring& target) {
  using CreateFn = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
  static const auto create = reinterpret_cast<CreateFn>(reinterpret_cast<void*>(Ole32Proc("CoCreateInstance")));
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  std::pair<std::wstring, int> icon{{}, 0};
  if (ComReady() && create &&
      SUCCEEDED(create(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
    wchar_t text[MAX_PATH] = {};
    if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &icon.second)) && text[0]) icon.first = Expanded(text);
    text[0] = 0;
    if (icon.first.empty() && SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH)) && text[0])
      target = Expanded(text);
  }
  if (file) file->Release();
  if (link) link->Release();
  return icon;
}
}  // namespace

void TShellIcons::FollowSize() {
  // A list emptied, or filled anew at another size, holds none of the
  // pictures known.
  if (list_.Width() == size_ && list_.Count() >= known_) return;
  size_ = list_.Width();
  known_ = 0;
  systemImages_.clear();
  fileImages_.clear();
  typeImages_.clear();
}

int TShellIcons::Added(const TIcon& icon) {
  try {
    const int image = list_.AddIcon(icon);
    known_ = std::max(known_, image + 1);
    return image;
  } catch (const Exception&) {
    return -1;  // a picture that cannot be read shows none
  }
}

int TShellIcons::FromSystem(int systemIndex) {
  if (systemIndex < 0) return -1;
  auto [it, fresh] = systemImages_.try_emplace(systemIndex, -1);
  if (fresh) it->second = Added(SystemImage(systemIndex, size_));
  return it->second;
}

int TShellIcons::FromFile(const std::wstring& file, int index) {
  std::wstring key = file + L"," + std::to_wstring(index);
  for (wchar_t& c : key) c = wchar_t(std::towlower(c));
  auto [it, fresh] = fileImages_.try_emplace(key, -1);
  if (fresh) it->second = Added(ExtractIconAt(AnsiPath(file), index, size_));
  return it->second;
}

int TShellIcons::TypeImage(const std::wstring& name, bool folder) {
  FollowSize();
  const std::wstring key = folder ? L"\\" : LowerExtension(name);
  auto [it, fresh] = typeImages_.try_emplace(key, -1);
  if (fresh) {
    // Any name of the type will do: the shell looks at nothing but it.
    const std::wstring sample = folder ? L"folder" : L"file" + key;
    it->second = FromSystem(
        SystemImageIndex(sample, folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL, true));
  }
  return it->second;
}

TShellIcons::Own TShellIcons::OwnOf(const std::wstring& name) {
  const std::wstring extension = LowerExtension(name);
  auto [it, fresh] = owns_.try_emplace(extension, Own::None);
  if (!fresh) return it->second;
  if (extension == L".lnk") return it->second = Own::Shortcut;
  if (extension == L".url") return it->second = Own::InternetShortcut;
  static const wchar_t* const kInFile[] = {L".exe", L".ico", L".cur", L".ani", L".scr", L".cpl"};
  if (std::any_of(std::begin(kInFile), std::end(kInFile), [&](const wchar_t* e) { return extension == e; }))
    return it->second = Own::InFile;
  // A type whose picture is "%1" (each file's own), or drawn by a handler.
  const std::wstring type = extension.empty() ? std::wstring() : ClassesValue(extension);
  for (const std::wstring& key : {extension, type}) {
    if (key.empty()) continue;
    if (ClassesValue(key + L"\\DefaultIcon").find(L"%1") != std::wstring::npos) return it->second = Own::InFile;
    if (ClassesKeyExists(key + L"\\shellex\\IconHandler")) it->second = Own::Shell;
  }
  return it->second;
}

bool TShellIcons::MayHaveOwnImage(const std::wstring& name, bool folder) {
  // A folder may name a picture of its own (desktop.ini).
  return folder || OwnOf(name) != Own::None;
}

int TShellIcons::FileImage(const std::wstring& path) {
  FollowSize();
  return ImageOf(path, true);
}

int TShellIcons::IconImage(const std::wstring& file, int index) {
  FollowSize();
  return FromFile(file, index);
}

// Programs, icon files and shortcuts are read here rather than asked of the
// shell: Wine's shell answers the same page for every file but a folder
// (it finds no type for the items of its drives), and the file's own icon
// is what Explorer shows for them too.
int TShellIcons::ImageOf(const std::wstring& path, bool followShortcut) {
  int image = -1;
  switch (OwnOf(path)) {
    case Own::InFile:
      image = FromFile(path, 0);
      break;
    case Own::Shortcut:
      if (followShortcut) {
        std::wstring target;
        const auto [file, index] = ShortcutIcon(path, target);
        if (!file.empty()) {
          image = FromFile(file, index);
        } else if (!target.empty()) {
          const DWORD attributes = GetFileAttributesW(target.c_str());
          const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
          image = !folder && OwnOf(target) != Own::None ? ImageOf(target, false) : TypeImage(target, folder);
        }
      }
      break;
    case Own::InternetShortcut: {
      wchar_t file[MAX_PATH] = {};
      GetPrivateProfileStringW(L"InternetShortcut", L"IconFile", L"", file, MAX_PATH, path.c_str());
      if (file[0])
        image = FromFile(Expanded(file), int(GetPrivateProfileIntW(L"InternetShortcut", L"IconIndex", 0, path.c_str())));
      break;
    }
    default:
      break;
  }
  return image >= 0 ? image : FromSystem(SystemImageIndex(path, 0, false));
}

TIcon ShellFileIcon(const std::wstring& path, int size) {
  TIcon icon = SystemImage(SystemImageIndex(path, 0, false), size);
  if (icon.Empty()) return icon;
  return TIconInfo(icon.Handle()).Size().cx == size ? std::move(icon) : ResizedIcon(icon.Handle(), size, size);
}

}  // namespace gui
