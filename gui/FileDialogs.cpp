#include "FileDialogs.h"

#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "Dialogs.h"
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

}  // namespace

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
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR;
    if (Options & ofHideReadOnly) ofn.Flags |= OFN_HIDEREADONLY;
    if (Options & ofPathMustExist) ofn.Flags |= OFN_PATHMUSTEXIST;
    if (Options & ofFileMustExist) ofn.Flags |= OFN_FILEMUSTEXIST;
    if (Options & ofEnableSizing) ofn.Flags |= OFN_ENABLESIZING;
    if (!(save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn))) return false;
    file.back() = L'\0';
    const std::wstring chosen = file.data();
    // The programs keep names in the code page; a name it cannot hold is
    // taken by its short form, or refused rather than kept with a "?".
    const std::string path = AnsiPath(chosen);
    if (path.empty()) {
      MessageDlg(owner, "「" + ShownName(chosen) + "」の名前には、この環境の文字（シフト JIS）で表せない文字があるため、使えません。",
                 "警告", MB_ICONSTOP | MB_OK);
      return false;
    }
    FileName = path;
    return true;
  });
}

}  // namespace gui
