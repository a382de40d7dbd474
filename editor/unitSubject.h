// The menu document: which file is being edited, the remembered settings,
// and the moves of a menu between that file and the main window's tree.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "Classes.h"
#include "MenuFile.h"
#include "TreeView.h"
#include "Graphics.h"

class TRecord;

// The launcher's program file, the store of the default icons: 1 for an
// item, 2 for a submenu; it has no icon 7, which is asked for where no icon
// is wanted.
extern const char kLauncherFile[];
using menufile::kItemIcon;
using menufile::kNoIcon;
using menufile::kSubmenuIcon;

// Where a node's picture comes from, kept so that it can be taken again at
// another size: the names as the user wrote them, found anew each time.
using TNodePicture = menufile::EntryIcon;
// The launcher's own icon `number`.
inline TNodePicture LauncherPicture(int number) { return TNodePicture{.Fallback = number}; }
// Icon `index` of `file`, with nothing standing in when it has none.
inline TNodePicture IconFilePicture(const std::string& file, int index) {
  return TNodePicture{.File = file, .Index = index};
}

// Takes pictures `size` pixels square, the names of the menu as `names`
// finds them. Each distinct icon is taken once, for as long as the taker
// lives: a menu names the same few files and defaults over and over.
class TPictureTaker {
 public:
  TPictureTaker(int size, const menufile::MenuNames& names) : size_(size), names_(names) {}
  // The picture; an empty icon when neither the named icons nor the default
  // are there.
  const gui::TIcon& Take(const TNodePicture& picture);

 private:
  const gui::TIcon& Find(const TNodePicture& picture);
  const gui::TIcon& FileIcon(const std::string& file, int index);
  const gui::TIcon& ShellIcon(const std::string& name);
  int size_;
  menufile::MenuNames names_;
  std::map<std::pair<std::string, int>, gui::TIcon> files_;
  std::map<std::string, gui::TIcon> shell_;
  // What each picture as written came to.
  std::map<std::tuple<std::string, std::string, int32_t, bool, int>, const gui::TIcon*, std::less<>> written_;
  gui::TIcon none_;
};
// One picture, taken once.
gui::TIcon TakePicture(const TNodePicture& picture, int size, const menufile::MenuNames& names);

// What a shortcut file (.lnk) says, in UTF-16 as the shell keeps it: what it
// starts, with which arguments, in which folder.
struct TShortcutInfo {
  std::wstring Target;
  std::wstring Arguments;
  std::wstring WorkFolder;
};

// A file as the file system knows it, whatever name leads to it.
struct TFileIdentity {
  unsigned long Volume = 0, IndexHigh = 0, IndexLow = 0;
  friend bool operator==(const TFileIdentity&, const TFileIdentity&) = default;
};
// The identity of the file under that name; none when there is no such file.
std::optional<TFileIdentity> FileIdentity(const std::string& path);

class TSubject : public gui::TObject {
 public:
  std::string FileName;        // the menu file being edited
  std::string MenuFile;        // last chosen in the Open dialog
  std::string ExePath;         // last chosen with the link-target browse button
  std::string EditorPosition;  // "bottom", "top" or "none"
  // The names the menu writes, found from where FileName is.
  menufile::MenuNames Names(const menufile::FileSystem& fs = menufile::SystemFileSystem()) const {
    return menufile::MenuNames(FileName, fs);
  }
  // The tree changed since FileName was last loaded or saved.
  bool Modified = false;
  // The file the last load could not read whole (broken, odd, unreadable):
  // SaveTree never writes over it, since the tree holds less than it does.
  // Whoever puts another menu in the tree (New), or hears the user choose
  // that file to save to (Save As), lets go of it.
  std::optional<TFileIdentity> UnreadFile;

  // Adds the entries of FileName to the tree (which the caller has emptied)
  // with their icons appended to the tree's Images, at the list's size, each
  // distinct one once for every node that shows it;
  // every node gets its own record, which holds the names as written (but
  // for a program found only on PATH, held with its full path there). An empty file adds nothing; one with an odd number of lines is
  // reported, asks the application to end and adds nothing. A file
  // that cannot be read or holds a malformed name line throws; the entries
  // before the bad one stay in the tree. Unless the file was read whole it
  // becomes the UnreadFile. What the tree holds then counts as unmodified.
  void LoadTree(gui::TTreeView& tree);
  // Writes every node's record, in the tree's order, to FileName, replacing
  // its content in one step, and the tree counts as unmodified. Throws with
  // the cause when the file cannot be written, or is the UnreadFile; the
  // file then stays as it was.
  void SaveTree(gui::TTreeView& tree);

  // Writes the shortcut file `path` that starts the launcher beside the
  // editor on FileName, named by its full path, with its icon 6. Throws when
  // it cannot be written.
  void CreateShortcut(const std::string& description, const std::string& path);
  // The shortcut file's target (its short form), arguments and folder once
  // the shell has resolved it; all empty when it cannot be read. The file
  // is named in UTF-16: its name may hold characters the code page lacks.
  TShortcutInfo ReadShortcut(const std::wstring& path);
};

// The picture a node shows for its record, as a load gives it: the icon its
// settings name, else the icon Explorer shows for its target, else the
// default of its kind.
TNodePicture RecordPicture(const TRecord& record);
