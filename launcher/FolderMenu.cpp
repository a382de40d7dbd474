#include "FolderMenu.h"

#include <algorithm>
#include <utility>

#include "Forms.h"
#include "SysUtils.h"
#include "Text.h"

using namespace gui;

namespace {

// A caption longer than this many characters is cut short, so that the
// popup stays on the screen; the item keeps the whole name.
constexpr size_t kMaxCaption = 60;

// Explorer's order (shlwapi's StrCmpLogicalW), loaded when a folder is first
// sorted, not with the program; without it, letters without regard to case.
int CompareNames(const std::wstring& a, const std::wstring& b) {
  using CompareFn = int(WINAPI*)(LPCWSTR, LPCWSTR);
  static const CompareFn logical = [] {
    const HMODULE shlwapi = LoadLibraryA("shlwapi.dll");
    return shlwapi ? reinterpret_cast<CompareFn>(reinterpret_cast<void*>(GetProcAddress(shlwapi, "StrCmpLogicalW")))
                   : nullptr;
  }();
  if (logical) return logical(a.c_str(), b.c_str());
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), int(a.size()), b.c_str(), int(b.size())) - 2;
}

bool EndsWithNoCase(const std::wstring& text, const wchar_t* tail) {
  const size_t n = wcslen(tail);
  return text.size() >= n && CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, text.c_str() + text.size() - n, int(n),
                                            tail, int(n)) == CSTR_EQUAL;
}

// What the menu shows of a name: shortcuts without their extension, as
// Explorer shows them.
std::wstring ShownName(const std::wstring& name, bool folder) {
  if (!folder)
    for (const wchar_t* extension : {L".lnk", L".url"})
      if (EndsWithNoCase(name, extension) && name.size() > wcslen(extension))
        return name.substr(0, name.size() - wcslen(extension));
  return name;
}

// The text cut short after `limit` characters (never inside a pair that
// makes one character), with a mark that it was.
std::wstring Shortened(const std::wstring& text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t end = limit - 1;
  if (end > 0 && IS_HIGH_SURROGATE(text[end - 1])) --end;
  return text.substr(0, end) + L"\u2026";
}

// A name as a caption: "&" is the menu's mark for the key of an item, so a
// name's own "&" is doubled to show as itself.
std::wstring MenuCaption(const std::wstring& name) {
  std::wstring caption;
  for (const wchar_t c : Shortened(name, kMaxCaption)) {
    if (c == L'&') caption += L'&';
    caption += c;
  }
  return caption;
}

std::wstring InFolder(const std::wstring& folder, const std::wstring& name) {
  return folder.empty() || folder.back() == L'\\' || folder.back() == L':' ? folder + name : folder + L'\\' + name;
}

// The folder that holds a path: "C:\" for an entry of the root.
std::wstring ParentFolder(const std::wstring& path) {
  const size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos) return {};
  return path.substr(0, slash == 2 && path[1] == L':' ? 3 : slash);
}

HANDLE FindFirst(const std::wstring& pattern, WIN32_FIND_DATAW& data) {
  // Without the short names and in large steps where the system knows how
  // (Windows 7 on); earlier ones refuse the request.
  HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                 FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
    find = FindFirstFileExW(pattern.c_str(), FindExInfoStandard, &data, FindExSearchNameMatch, nullptr, 0);
  return find;
}

}  // namespace

bool ExplorerOrder(const std::wstring& a, const std::wstring& b) { return CompareNames(a, b) < 0; }

FolderListing ListFolder(const std::wstring& folder, size_t limit) {
  FolderListing listing;
  if (folder.empty()) return listing;
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirst(InFolder(folder, L"*"), data);
  if (find == INVALID_HANDLE_VALUE) {
    // A drive's root has no "." to find: it may be empty all the same.
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (GetLastError() == ERROR_FILE_NOT_FOUND && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY))
      listing.state = FolderListing::State::Empty;
    return listing;
  }
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L".." || (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
      continue;
    const bool isFolder = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    listing.entries.push_back({name, ShownName(name, isFolder), isFolder});
  } while (FindNextFileW(find, &data));
  FindClose(find);

  std::sort(listing.entries.begin(), listing.entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
    if (a.folder != b.folder) return a.folder;
    const int shown = CompareNames(a.shown, b.shown);
    return shown != 0 ? shown < 0 : CompareNames(a.name, b.name) < 0;
  });
  if (listing.entries.size() > limit) {
    listing.leftOut = listing.entries.size() - limit;
    listing.entries.resize(limit);
  }
  listing.state = listing.entries.empty() ? FolderListing::State::Empty : FolderListing::State::Listed;
  return listing;
}

TFolderMenus::TFolderMenus(TComponent* owner, TImageList* images) : owner_(owner), images_(images) {}

void TFolderMenus::Attach(TMenuItem* item, const std::wstring& folder) {
  item->SetFillOnPopup(true);
  // Read once, at the first opening: a popup shown again after a Shift-pick
  // shows what it showed.
  item->OnPopup = [this, folder, filled = false](TObject* sender) mutable {
    if (std::exchange(filled, true)) return;
    Fill(static_cast<TMenuItem*>(sender), folder);
  };
}

TMenuItem* TFolderMenus::Note(const std::string& text) {
  auto* note = new TMenuItem(owner_);
  note->SetCaption(text);
  note->SetEnabled(false);
  return note;
}

void TFolderMenus::Fill(TMenuItem* item, const std::wstring& folder) {
  const FolderListing listing = ListFolder(folder, Limit);
  if (item->Count() > 0) {
    auto* line = new TMenuItem(owner_);
    line->SetCaption("-");
    item->Add(line);
  }
  if (listing.state == FolderListing::State::Empty) item->Add(Note("(空)"));
  if (listing.state == FolderListing::State::Unreadable) item->Add(Note("(フォルダを開けません)"));
  if (images_ && !icons_ && !listing.entries.empty()) icons_ = std::make_unique<TShellIcons>(*images_);
  for (const FolderEntry& entry : listing.entries) {
    auto* entryItem = new TFolderMenuItem(owner_, InFolder(folder, entry.name), entry.folder);
    entryItem->SetCaptionW(MenuCaption(entry.shown));
    if (icons_) {
      entryItem->SetImageIndex(icons_->TypeImage(entry.name, entry.folder));
      if (entryItem->ImageIndex() >= 0 && icons_->MayHaveOwnImage(entry.name, entry.folder))
        entryItem->OnFindImage = [this](TMenuItem* sender) {
          return icons_->FileImage(static_cast<TFolderMenuItem*>(sender)->Path());
        };
    }
    if (entry.folder) {
      Attach(entryItem, entryItem->Path());
    } else {
      entryItem->OnClick = [this](TObject* sender) {
        if (OnPick) OnPick(static_cast<TFolderMenuItem*>(sender));
      };
    }
    item->Add(entryItem);
  }
  if (listing.leftOut > 0) item->Add(Note("(ほか " + IntToStr(int64_t(listing.leftOut)) + " 個)"));
}

bool OpenFolderEntry(const std::wstring& path, bool asAdministrator, base::KernelHandle& started) {
  // The shell under Wine fails inside on a name longer than the system takes.
  const DWORD error = path.size() >= MAX_PATH ? DWORD(ERROR_FILENAME_EXCED_RANGE)
                                              : ShellExecuteWide(Application->Handle(), asAdministrator ? L"runas" : nullptr,
                                                                 path, L"", ParentFolder(path), SW_SHOWNORMAL, &started);
  if (error == ERROR_SUCCESS || error == ERROR_CANCELLED) return error == ERROR_SUCCESS;
  Application->MessageBox("「" + gui::ShownName(Shortened(path, 100)) + "」を開けません。\n" + base::SystemErrorText(error),
                          "警告", MB_ICONSTOP | MB_OK);
  return false;
}
