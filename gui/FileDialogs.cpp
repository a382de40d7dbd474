#include "FileDialogs.h"

#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "Dialogs.h"
#include "Text.h"

namespace gui {

namespace {

// The filter as the dialog takes it: every '|' a terminator, and a second
// one after the last pair. A '|' can be the second byte of a double-byte
// character, which stays as it is.
std::string FilterList(const std::string& filter) {
  std::string list = filter;
  for (size_t i = 0; i < list.size(); i += base::CharLength(list, i))
    if (list[i] == '|') list[i] = '\0';
  list.append(2, '\0');
  return list;
}

}  // namespace

bool TOpenDialog::Execute() { return Run(false); }

bool TOpenDialog::Run(bool save) {
  return RunSystemDialog(*this, [this, save](HWND owner) {
    // Room for any path the dialog can return; a start name that does not
    // fit is left out rather than cut into another name.
    std::vector<char> file(4096, '\0');
    if (FileName.size() < file.size()) FileName.copy(file.data(), FileName.size());
    const std::string filter = FilterList(Filter);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = Filter.empty() ? nullptr : filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = DWORD(file.size());
    ofn.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
    // The editor's current folder stays where it was: choosing a file is no
    // reason to change it.
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR;
    if (Options & ofHideReadOnly) ofn.Flags |= OFN_HIDEREADONLY;
    if (Options & ofPathMustExist) ofn.Flags |= OFN_PATHMUSTEXIST;
    if (Options & ofFileMustExist) ofn.Flags |= OFN_FILEMUSTEXIST;
    if (Options & ofEnableSizing) ofn.Flags |= OFN_ENABLESIZING;
    if (!(save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn))) return false;
    file.back() = '\0';
    FileName = file.data();
    return true;
  });
}

}  // namespace gui
