#include "FileDialogs.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Dialogs.h"
#include "ShellApi.h"
#include "SysUtils.h"
#include "Text.h"

namespace gui {

namespace {

// The filter as the dialog takes it: every '|' a terminator, and a second
// one after the last pair. A '|' can be the second byte of a double-byte
// character, which stays as it is.
std::wstring FilterList(const std::string& filter) {
  std::string list = filter;
  for (size_t i = 0; i < list.size(); i += base::CharLength(list, i))
    if (list[i] == '|') list[i] = '\0';
  list.append(2, '\0');
  return AnsiToWide(list);
}

// The dialog of some systems (Wine's, the UTF-16 one as well) copies the
// name typed into its field, with the folder it shows, into a buffer of
// MAX_PATH characters before it looks at it: a longer path overruns the
// buffer and takes the program down with the user's unsaved work. No program
// here could open such a path anyway, so the dialog never gets to take it:
// the user hears why and may type another.
bool RefusedAsTooLong(HWND dialog) {
  HWND field = GetDlgItem(dialog, cmb13);
  if (!field) field = GetDlgItem(dialog, edt1);
  if (!field) return false;
  std::wstring name(size_t(GetWindowTextLengthW(field)) + 1, L'\0');
  name.resize(size_t(std::max(GetWindowTextW(field, name.data(), int(name.size())), 0)));
  std::wstring path = name;
  const bool absolute = (name.size() >= 2 && name[1] == L':') || (!name.empty() && name[0] == L'\\');
  if (!absolute) {
    std::vector<wchar_t> folder(32768, L'\0');
    SendMessageW(dialog, CDM_GETFOLDERPATH, WPARAM(folder.size() - 1), LPARAM(folder.data()));
    path = std::wstring(folder.data()) + L"\\" + name;
  }
  if (path.size() < MAX_PATH) return false;
  MessageDlg(dialog, "「" + ShownName(path) + "」は長すぎるため、使えません。\r\nフォルダとファイルの名前は、合わせて " +
                         std::to_string(MAX_PATH - 1) + " 文字までです。",
             "警告", MB_ICONSTOP | MB_OK);
  return true;
}

LRESULT CALLBACK GuardedDialog(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
  if (msg == WM_COMMAND && LOWORD(wParam) == IDOK && RefusedAsTooLong(dialog)) return 0;
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(dialog, GuardedDialog, id);
  return DefSubclassProc(dialog, msg, wParam, lParam);
}

// The hook's own (empty) page inside the dialog: it puts the guard on the
// dialog and leaves everything else to it.
UINT_PTR CALLBACK DialogHook(HWND page, UINT msg, WPARAM, LPARAM) {
  if (msg == WM_INITDIALOG) SetWindowSubclass(GetParent(page), GuardedDialog, 1, 0);
  return 0;
}

}  // namespace

std::string NameInCodePage(HWND owner, const std::wstring& chosen) {
  const std::string name = AnsiPath(chosen);
  if (name.empty())
    MessageDlg(owner, "「" + ShownName(chosen) + "」の名前には、この環境の文字（シフト JIS）で表せない文字があるため、使えません。",
               "警告", MB_ICONSTOP | MB_OK);
  return name;
}

bool TOpenDialog::Execute() { return Run(false); }

bool TOpenDialog::Run(bool save) {
  return RunSystemDialog(*this, [this, save](HWND owner) {
    // The UTF-16 dialog: its ANSI sibling crashes under Wine on a typed path
    // of some 300 characters, and could not return a name the code page
    // lacks. Room for any path the dialog can return; a start name that
    // does not fit is left out rather than cut into another name.
    std::vector<wchar_t> file(4096, L'\0');
    const std::wstring start = AnsiToWide(FileName);
    if (start.size() < file.size()) start.copy(file.data(), start.size());
    const std::wstring filter = FilterList(Filter), title = AnsiToWide(Title);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = Filter.empty() ? nullptr : filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = DWORD(file.size());
    ofn.lpstrTitle = Title.empty() ? nullptr : title.c_str();
    // The editor's current folder stays where it was: choosing a file is no
    // reason to change it.
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_ENABLEHOOK;
    ofn.lpfnHook = DialogHook;
    if (Options & ofHideReadOnly) ofn.Flags |= OFN_HIDEREADONLY;
    if (Options & ofPathMustExist) ofn.Flags |= OFN_PATHMUSTEXIST;
    if (Options & ofFileMustExist) ofn.Flags |= OFN_FILEMUSTEXIST;
    if (Options & ofEnableSizing) ofn.Flags |= OFN_ENABLESIZING;
    if (!(save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn))) return false;
    file.back() = L'\0';
    const std::string path = NameInCodePage(owner, file.data());
    if (path.empty()) return false;
    FileName = path;
    return true;
  });
}

namespace {

struct FolderStart {
  std::wstring title, folder;
};

int CALLBACK FolderDialogEvent(HWND dialog, UINT msg, LPARAM, LPARAM data) {
  if (msg != BFFM_INITIALIZED) return 0;
  const auto* start = reinterpret_cast<const FolderStart*>(data);
  // The folder before the title. Wine's chooser may still be walking down
  // its tree to the folder after both: an OK pressed at once can answer a
  // folder above it.
  if (!start->folder.empty()) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(start->folder.c_str()));
  if (!start->title.empty()) SetWindowTextW(dialog, start->title.c_str());
  return 0;
}

template <class Fn>
Fn Shell32(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(Shell32Proc(name)));
}

}  // namespace

bool TFolderDialog::Execute() {
  return RunSystemDialog(*this, [this](HWND owner) {
    using BrowseFn = PIDLIST_ABSOLUTE(WINAPI*)(BROWSEINFOW*);
    using PathFn = BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, LPWSTR);
    using FreeFn = void(WINAPI*)(PIDLIST_RELATIVE);
    static const auto browse = Shell32<BrowseFn>("SHBrowseForFolderW");
    static const auto toPath = Shell32<PathFn>("SHGetPathFromIDListW");
    static const auto free = Shell32<FreeFn>("ILFree");
    if (!browse || !toPath || !free) return false;
    // The chooser's tree is made of the shell's objects, which find a
    // folder deep down only with the component library ready.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    struct Uninitialize {
      HRESULT result;
      ~Uninitialize() {
        if (SUCCEEDED(result)) CoUninitialize();
      }
    } const done{com};
    const FolderStart start{AnsiToWide(Title), AnsiToWide(FolderName)};
    wchar_t shown[MAX_PATH] = L"";
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pszDisplayName = shown;
    // Folders of the file system only: what a program can be started in.
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = FolderDialogEvent;
    info.lParam = reinterpret_cast<LPARAM>(&start);
    const PIDLIST_ABSOLUTE items = browse(&info);
    if (!items) return false;
    wchar_t path[MAX_PATH] = L"";
    const bool named = toPath(items, path);
    free(items);
    if (!named) return false;
    const std::string folder = NameInCodePage(owner, std::wstring(path, wcsnlen(path, MAX_PATH)));
    if (folder.empty()) return false;
    FolderName = folder;
    return true;
  });
}

}  // namespace gui
