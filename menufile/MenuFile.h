// The menu information file: the one text format that the editor writes and
// both programs read. Every function here is pure text work on byte strings in
// the system's ANSI code page (Shift-JIS), except the PATH search, which goes
// through a small seam so the rules stay testable.
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
std::string ExtractCmdLine(std::string_view targetLine);

// What the PATH search needs of the system.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool FileExists(const std::string& path) const = 0;  // folders do not count
  virtual std::string PathVariable() const = 0;
};
const FileSystem& SystemFileSystem();

// Asks the system each question once: a menu names the same few programs
// entry after entry, and every question costs (a path translation under
// Wine). For one reading of a menu; files that come or go meanwhile are not
// seen.
class RememberingFileSystem final : public FileSystem {
 public:
  bool FileExists(const std::string& path) const override;
  std::string PathVariable() const override;

 private:
  mutable std::unordered_map<std::string, bool> exists_;
  mutable std::optional<std::string> path_;
};

// The program named by a target line, resolved through PATH when no file exists
// under the name as read.
std::string ExtractExeName(std::string_view targetLine,
                           const FileSystem& fs = SystemFileSystem());

// True for "none" in any letter case: the entry shows no icon of its own.
bool IsNoIcon(std::string_view iconFileName);

// The two lines of one entry at the given level.
std::pair<std::string, std::string> FormatEntryLines(int level, const Entry& e);

}  // namespace menufile
