// Folder menus: a submenu that shows the live contents of a folder, read
// when it opens, with subfolders as submenus read when they open in turn.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Handle.h"
#include "ImgList.h"
#include "Menus.h"
#include "ShellApi.h"

// How many entries of one folder a menu shows; the rest are counted.
constexpr size_t kMaxFolderEntries = 1000;

struct FolderEntry {
  std::wstring name;   // as the file system has it
  std::wstring shown;  // as the menu shows it: shortcuts without their extension
  bool folder = false;
};

struct FolderListing {
  enum class State { Listed, Empty, Unreadable };
  // Empty: the folder holds nothing to show (hidden and system files are
  // not shown); Unreadable: no such folder, or it cannot be read.
  State state = State::Unreadable;
  // Subfolders first, then files, each in the order Explorer sorts names.
  std::vector<FolderEntry> entries;
  // Entries past `limit`, left out.
  size_t leftOut = 0;
};

// What the folder shows, as Explorer lists it (its own entries only, with
// the wide names of the file system).
FolderListing ListFolder(const std::wstring& folder, size_t limit = kMaxFolderEntries);

// Explorer's order of names: letters without regard to case, digits by the
// number they make ("2" before "10").
bool ExplorerOrder(const std::wstring& a, const std::wstring& b);

// An entry of a folder submenu: a file, or a subfolder whose submenu shows
// its contents.
class TFolderMenuItem : public gui::TMenuItem {
 public:
  TFolderMenuItem(gui::TComponent* AOwner, std::wstring path, bool folder)
      : TMenuItem(AOwner), path_(std::move(path)), folder_(folder) {}
  const std::wstring& Path() const { return path_; }
  bool IsFolder() const { return folder_; }

 private:
  std::wstring path_;
  bool folder_;
};

// Makes menu items show folders, each read the first time its submenu opens:
// after the item's own entries and a separator, the folder's subfolders (as
// such submenus) and files, each with the picture Explorer shows for it; an
// empty folder shows one greyed entry "(空)", one it cannot read
// "(フォルダを開けません)", and past Limit entries a last greyed entry says how
// many were left out. The pictures go into `images`, at its size (none
// without one); programs, shortcuts and folders find their own pictures
// only when first drawn, so a large folder opens fast.
class TFolderMenus {
 public:
  TFolderMenus(gui::TComponent* owner, gui::TImageList* images);

  // `item` becomes a submenu that shows `folder`.
  void Attach(gui::TMenuItem* item, const std::wstring& folder);
  // What a pick of a file entry does (Shift-picks included: a pick is one).
  std::function<void(TFolderMenuItem* Item)> OnPick;
  size_t Limit = kMaxFolderEntries;

 private:
  void Fill(gui::TMenuItem* item, const std::wstring& folder);
  gui::TMenuItem* Note(const std::string& text);
  gui::TComponent* owner_;
  gui::TImageList* images_;
  std::unique_ptr<gui::TShellIcons> icons_;
};

// Starts a folder entry: the shell's default action on it (or, asked for,
// its "run as administrator"), in the folder it is in; `started` then holds
// the program started, if the shell started one. A failure is reported in a
// message box by the entry's name and the system's reason; the user's own
// refusal of the elevation prompt is none. True when it was started.
bool OpenFolderEntry(const std::wstring& path, bool asAdministrator, base::KernelHandle& started);
