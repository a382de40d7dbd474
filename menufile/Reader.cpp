// A whole menu read entry by entry, each placed in the tree by the reading
// program's level rule, and the icon each entry shows.
#include "Chars.h"
#include "MenuFile.h"

namespace menufile {

LevelJump::LevelJump() : std::runtime_error("an entry is more than one level deeper than the one before it") {}

MenuReader::MenuReader(const std::vector<std::string>& lines, LevelRule rule) : lines_(lines), rule_(rule) {}

bool MenuReader::Next(MenuEntry& entry) {
  const size_t k = 2 * parents_.size();
  if (k + 1 >= lines_.size()) return false;
  const std::string& nameLine = lines_[k];
  const std::string& targetLine = lines_[k + 1];

  MenuEntry read;
  const ItemNameAndLevel name = ExtractItemName(nameLine);
  read.Level = name.level;
  read.Kind = ClassifyEntry(nameLine, targetLine);
  if (read.Kind != EntryKind::Separator) {
    read.ItemName = name.name;
    read.IconFileName = ExtractIconFile(nameLine);
    read.IconIndex = ExtractIconIndex(nameLine);
    read.WorkFolder = ExtractWorkFolder(nameLine);
  }
  if (read.Kind == EntryKind::Item) {
    read.ExeName = WrittenExeName(targetLine);
    read.CmdLine = ExtractCmdLine(targetLine);
    read.WindowState = ExtractWindowState(nameLine);
  }

  const int previous = int(parents_.size()) - 1;
  if (rule_ == LevelRule::Launcher && read.Level > previousLevel_ && (read.Level > previousLevel_ + 1 || previous < 0))
    throw LevelJump();
  if (previous < 0) {
    read.Parent = -1;
  } else if (read.Level > previousLevel_) {
    read.Parent = previous;
  } else {
    // Up from the entry before as many levels as the fall, no further than
    // the top; its sibling.
    int sibling = previous;
    for (int up = previousLevel_ - read.Level; up > 0 && parents_[size_t(sibling)] >= 0; --up)
      sibling = parents_[size_t(sibling)];
    read.Parent = parents_[size_t(sibling)];
  }
  parents_.push_back(read.Parent);
  previousLevel_ = read.Level;
  entry = std::move(read);
  return true;
}

EntryIcon IconOf(const Entry& e, IconColumn column) {
  // "None" and a separator show nothing: the launcher keeps the caption in
  // line with a transparent icon.
  const int none = column == IconColumn::Launcher ? kBlankIcon : kNoIcon;
  EntryIcon icon;
  if (e.Kind == EntryKind::Separator || IsNoIcon(e.IconFileName)) {
    icon.Fallback = none;
    return icon;
  }
  icon.Fallback = e.Kind == EntryKind::Submenu ? kSubmenuIcon : kItemIcon;
  if (!e.IconFileName.empty()) {
    icon.File = e.IconFileName;
    icon.Index = e.IconIndex;
    return icon;
  }
  if (e.Kind == EntryKind::Submenu) return icon;
  icon.File = e.ExeName;
  icon.Index = e.IconIndex;
  icon.FileIsTarget = true;
  // Explorer opening a shell location shows that location, whose icon says
  // more than Explorer's own.
  const std::string_view program = std::string_view(e.ExeName).substr(chars::NameStart(e.ExeName));
  const std::string_view options = Trim(e.CmdLine);
  if ((chars::EqualIgnoringCase(program, "explorer.exe") || chars::EqualIgnoringCase(program, "explorer")) &&
      IsShellLocation(options))
    icon.Location = options;
  return icon;
}

}  // namespace menufile
