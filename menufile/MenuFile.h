// The menu information file: the one text format that the editor writes and
// both programs read. Every function here is pure text work on byte strings in
// the system's ANSI code page (Shift-JIS); where a rule asks the system (which
// files there are, the environment), it asks through a small seam, so the
// rules stay testable.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace menufile {

enum class EntryKind : int32_t { Item = 0, Separator = 1, Submenu = 2 };

// Where the launcher puts the entry that opens the editor: the editor writes
// the value, the launcher reads it, letter for letter. The first word is the
// default; any other text means none.
inline constexpr char kLauncherKey[] = "Software\\MORVATH\\Ostrevan";
inline constexpr char kEditorPositionValue[] = "EditorPosition";
inline constexpr const char* kEditorPositions[] = {"bottom", "top", "none"};

// The window states, as the editor's list offers them.
enum WindowStateValue : int32_t { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };

// The fields of one entry. The editor's item record carries exactly these.
struct Entry {
  std::string ItemName;
  std::string IconFileName;
  std::string ExeName;
  std::string CmdLine;
  std::string WorkFolder;
  int32_t IconIndex = 0;
  int32_t WindowState = wsNormal;
  EntryKind Kind = EntryKind::Item;
  friend bool operator==(const Entry&, const Entry&) = default;
};

// A name line whose opening mark ('[', '<', '{') has no closing mark after it.
// Readers stop at that entry and keep what they read before it.
class UnclosedMark : public std::runtime_error {
 public:
  explicit UnclosedMark(std::string_view line);
};

// --- Text -------------------------------------------------------------------

// Removes the characters 0x00..0x20 at both ends.
std::string_view Trim(std::string_view s);

// --- Line functions ----------------------------------------------------------

EntryKind ClassifyEntry(std::string_view nameLine, std::string_view targetLine);

struct ItemNameAndLevel {
  std::string name;
  int level = 0;
};
// Throws UnclosedMark when an opening mark is never closed.
ItemNameAndLevel ExtractItemName(std::string_view nameLine);

std::string ExtractIconFile(std::string_view nameLine);
int32_t ExtractIconIndex(std::string_view nameLine);
std::string ExtractWorkFolder(std::string_view nameLine);
int32_t ExtractWindowState(std::string_view nameLine);
// The program, document or other target named by a target line, as written
// (MenuNames finds where it is).
std::string WrittenExeName(std::string_view targetLine);
std::string ExtractCmdLine(std::string_view targetLine);

// What the rules need of the system: which files and folders there are,
// and the environment's variables.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool FileExists(const std::string& path) const = 0;  // folders do not count
  virtual bool FolderExists(const std::string& path) const = 0;
  // The value of the environment variable (its name in any letter case);
  // none when it is not set.
  virtual std::optional<std::string> Variable(const std::string& name) const = 0;
};
const FileSystem& SystemFileSystem();

// Asks the system each question once: a menu names the same few programs
// entry after entry, and every question costs (a path translation under
// Wine). For one reading of a menu; files that come or go meanwhile are not
// seen.
class RememberingFileSystem final : public FileSystem {
 public:
  bool FileExists(const std::string& path) const override;
  bool FolderExists(const std::string& path) const override;
  std::optional<std::string> Variable(const std::string& name) const override;

 private:
  mutable std::unordered_map<std::string, bool> files_, folders_;
  mutable std::unordered_map<std::string, std::optional<std::string>> variables_;
};

// True for "none" in any letter case: the entry shows no icon of its own.
bool IsNoIcon(std::string_view iconFileName);

// The two lines of one entry at the given level.
std::pair<std::string, std::string> FormatEntryLines(int level, const Entry& e);

// The fields the name line carries as they are. The format has no escape: a
// mark character in one of them would open or close a mark when the line is
// read back (a name "Tools [old" leaves the whole file unreadable), and a
// comma ends an icon file's name there.
enum class NameLineField { ItemName, IconFileName, WorkFolder };
// The single-byte characters the field cannot hold, in the order a message
// names them.
std::string_view UnwritableChars(NameLineField field);
// True when the text holds none of them; the second byte of a double-byte
// character is never one.
bool IsWritable(std::string_view text, NameLineField field);

// --- Reading a whole menu ---------------------------------------------------

// How a program places an entry whose level differs from the one before it.
// Editor: any rise is one step down, into the entry before it; a fall climbs
// as many levels as it falls, stopping at the top. Launcher: the same, but a
// rise of more than one level, or a first entry below the top, has no entry
// to go into and fails.
enum class LevelRule { Editor, Launcher };

// A rise the launcher's rule has no entry for.
class LevelJump : public std::runtime_error {
 public:
  LevelJump();
};

// One entry as read: the fields its kind has (an item all of them, a
// submenu its name, icon and folder, a separator none), its level as
// written, and the entry it stands in.
struct MenuEntry : Entry {
  int Level = 0;
  int Parent = -1;  // the number of the entry it stands in; -1: the top menu
};

// Reads the entries of a menu's lines one after the other, pair k being
// entry k. A last line without its pair is not read: the line count is the
// programs' own test.
class MenuReader {
 public:
  MenuReader(const std::vector<std::string>& lines, LevelRule rule);
  // False after the last entry. Throws at an entry that cannot be read
  // (UnclosedMark, LevelJump); the entries before it stand as read.
  bool Next(MenuEntry& entry);
  // The number of the entry Next gave last.
  int Index() const { return int(parents_.size()) - 1; }

 private:
  const std::vector<std::string>& lines_;
  LevelRule rule_;
  std::vector<int> parents_;
  int previousLevel_ = 0;
};

// --- The icon an entry shows --------------------------------------------------

// The launcher's own icons, by their number in its program file; it has no
// icon 7, which stands for none.
enum LauncherIconNumber : int {
  kProgramIcon = 0,  // the launcher's own
  kItemIcon = 1,     // a blank page
  kSubmenuIcon = 2,  // a folder
  kBlankIcon = 5,    // fully transparent
  kEditorIcon = 6,
  kNoIcon = 7,
};

// Where the icons differ between the two programs: what "none" and a
// separator show.
enum class IconColumn { Editor, Launcher };

// Where an entry's icon comes from, tried in this order: the shell's icon for
// Location; icon Index of File; when File is the entry's target, the icon
// the shell shows for it (a document's type, a folder); the launcher's icon
// Fallback (kNoIcon: none). Names as written (see MenuNames::Resolved).
struct EntryIcon {
  std::string Location = {};
  std::string File = {};
  int32_t Index = 0;
  bool FileIsTarget = false;
  int Fallback = kNoIcon;
  friend bool operator==(const EntryIcon&, const EntryIcon&) = default;
};
EntryIcon IconOf(const Entry& e, IconColumn column);

// --- Where a menu's names lead ----------------------------------------------

// The text with each %NAME% reference replaced by the variable's value; a
// reference to a variable that is not set stays as written.
std::string ExpandVariables(std::string_view text, const FileSystem& fs);

// A name the shell opens as a place of its own rather than a file:
// "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}".
bool IsShellLocation(std::string_view name);

// A program by its name (".exe", ".com" in any letter case). Where such a
// file has no icon of its own, both programs show the launcher's page rather
// than ask the shell: the shell would be loaded for nothing but a blank.
bool IsProgramName(std::string_view name);

// The names one menu file writes, as its programs use them: references to
// the environment expanded, and a relative name that is not there relative
// to the current folder taken relative to the menu file's own folder, so
// that a menu moved with its programs (a USB stick, a synced folder) still
// finds them. A name found nowhere stays as it is.
class MenuNames {
 public:
  explicit MenuNames(std::string_view menuFile, const FileSystem& fs = SystemFileSystem());
  // The target to start or take the icon of: after the menu file's folder,
  // a program is looked for on PATH.
  std::string Target(std::string_view exeName) const;
  std::string IconFile(std::string_view iconFile) const;
  std::string Folder(std::string_view workFolder) const;
  std::string Options(std::string_view cmdLine) const { return ExpandVariables(cmdLine, fs_); }
  // The target as the editor keeps it: as written, but for a name without
  // references that is found nowhere but on PATH, which is kept with the
  // full path found there.
  std::string KeptTarget(std::string_view exeName) const;
  // Whether the name is a file, a folder or a shell location: something the
  // shell has an icon for.
  bool IsThere(const std::string& name) const;
  // The icon's names as the programs open them: its file as an icon file,
  // or as the target it is, and its shell location expanded.
  EntryIcon Resolved(const EntryIcon& icon) const;

 private:
  enum class Found { AsWritten, InMenuFolder, OnPath, Nowhere };
  enum class Sought { Target, IconFile, Folder };
  // Where the expanded name is found, and the path that leads there.
  std::pair<std::string, Found> Locate(std::string name, Sought sought) const;
  std::string folder_;  // the menu file's folder with its separator; empty for none
  const FileSystem& fs_;
};

// The target line's program as the launcher still looks for it: as written,
// else on PATH.
inline std::string ExtractExeName(std::string_view targetLine, const FileSystem& fs = SystemFileSystem()) {
  return MenuNames("", fs).Target(WrittenExeName(targetLine));
}

}  // namespace menufile
