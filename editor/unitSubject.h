// The menu document: which file is being edited, the remembered settings,
// and the moves of a menu between that file and the main window's tree.
#pragma once

#include <optional>
#include <string>

#include "Classes.h"
#include "TreeView.h"
#include "Graphics.h"

class TRecord;

// The launcher's program file, the store of the default icons: 1 for an
// item, 2 for a submenu; it has no icon 7, which is asked for where no icon
// is wanted.
extern const char kLauncherFile[];
constexpr int kItemIcon = 1;
constexpr int kSubmenuIcon = 2;
constexpr int kNoIcon = 7;

// Where a node's picture comes from, kept so that it can be taken again at
// another size: icon `Index` of `File`, else, when that yields none, the
// launcher's icon `Fallback` (kNoIcon: none).
struct TNodePicture {
  std::string File;
  int Index = 0;
  int Fallback = kNoIcon;
};
// The launcher's own icon `number`.
TNodePicture LauncherPicture(int number);
// The picture `size` pixels square; empty when neither icon is there.
gui::TIcon TakePicture(const TNodePicture& picture, int size);

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
  // The tree changed since FileName was last loaded or saved.
  bool Modified = false;
  // The file the last load could not read whole (broken, odd, unreadable):
  // SaveTree never writes over it, since the tree holds less than it does.
  // Whoever puts another menu in the tree (New), or hears the user choose
  // that file to save to (Save As), lets go of it.
  std::optional<TFileIdentity> UnreadFile;

  // Adds the entries of FileName to the tree (which the caller has emptied)
  // with their icons appended to the tree's Images, at the list's size;
  // every node gets its own
  // record. An empty file adds nothing; one with an odd number of lines is
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
// settings name, else the default of its kind.
TNodePicture RecordPicture(const TRecord& record);
