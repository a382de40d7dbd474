// What holds for any bytes read as a menu file, by both level rules, the
// icon table, the names and the writer: checked by the fuzzer on any bytes
// and by the unit tests on their rows. A broken rule throws logic_error.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "MenuFile.h"
#include "Text.h"

namespace menufile::checks {

// Answers by the length of a name: every case, and no disk or environment.
class LengthFiles final : public FileSystem {
 public:
  bool FileExists(const std::string& path) const override { return path.size() % 7 == 3; }
  bool FolderExists(const std::string& path) const override { return path.size() % 5 == 1; }
  std::optional<std::string> Variable(const std::string& name) const override {
    if (name == "PATH") return "C:\\a;;D:;C:\\b\\;\x95\\";
    if (name.size() % 3 == 0) return std::nullopt;
    return name.size() % 2 ? "%" + name : "\x81[" + name;
  }
};

inline void Check(bool ok, const char* rule) {
  if (!ok) throw std::logic_error(rule);
}

inline void CheckEntry(const MenuEntry& e, const std::vector<MenuEntry>& before, LevelRule rule) {
  static const LengthFiles fs;
  Check(e.Parent < int(before.size()), "an entry stands in one before it");
  if (rule == LevelRule::Launcher)
    Check(e.Parent < 0 ? e.Level == 0 : before[size_t(e.Parent)].Level == e.Level - 1, "one level below its menu");
  for (IconColumn column : {IconColumn::Editor, IconColumn::Launcher}) {
    const EntryIcon icon = IconOf(e, column);
    Check(icon.File.empty() || icon.FileIsTarget == e.IconFileName.empty(), "the icon's file is the target's");
    const MenuNames names(e.WorkFolder, fs);  // any text as the menu file's name
    (void)(names.Resolved(icon).File + names.KeptTarget(e.ExeName) + names.Folder(e.WorkFolder) +
           names.Options(e.CmdLine));
  }
  // Written back as two lines that keep the level, unless a field holds a
  // character it cannot (the format has no escapes).
  const auto [nameOut, targetOut] = FormatEntryLines(e.Level, e);
  Check(base::SplitLines(base::JoinLines({nameOut, targetOut})).size() <= 2, "two lines");
  if (e.Kind == EntryKind::Separator) {
    Check(nameOut == std::string(size_t(e.Level), '\t'), "a separator is its tabs");
  } else if (IsWritable(e.ItemName, NameLineField::ItemName) && IsWritable(e.IconFileName, NameLineField::IconFileName) &&
             IsWritable(e.WorkFolder, NameLineField::WorkFolder)) {
    try {
      Check(ExtractItemName(nameOut).level == e.Level, "the level written back");
    } catch (const UnclosedMark&) {  // a lead byte last in a field takes the mark after it
    }
  }
}

inline void CheckMenuText(const std::string& text) {
  // A NUL with anything but NULs after it makes the text no menu file; NULs
  // running to the end are padding.
  const size_t nul = text.find('\0');
  const bool textAfterNul = nul != std::string::npos && text.find_first_not_of('\0', nul) != std::string::npos;
  std::vector<std::string> lines;
  try {
    lines = base::SplitLines(text);
  } catch (const base::EmbeddedNul&) {
    Check(textAfterNul, "only text after a NUL is refused");
    return;
  }
  Check(!textAfterNul, "text after a NUL is refused");
  for (const auto& line : lines) Check(line.find('\0') == std::string::npos, "no line holds a NUL");
  for (LevelRule rule : {LevelRule::Editor, LevelRule::Launcher}) {
    // After a bad entry the reading starts again at the next pair.
    for (size_t from = 0; from < lines.size();) {
      const std::vector<std::string> rest(lines.begin() + std::ptrdiff_t(from), lines.end());
      MenuReader reader(rest, rule);
      std::vector<MenuEntry> read;
      try {
        for (MenuEntry e; reader.Next(e);) {
          Check(reader.Index() == int(read.size()), "entries are numbered in order");
          CheckEntry(e, read, rule);
          read.push_back(std::move(e));
        }
        break;
      } catch (const UnclosedMark&) {
      } catch (const LevelJump&) {
        Check(rule == LevelRule::Launcher, "the editor places every level");
      }
      from += 2 * (read.size() + 1);
    }
  }
}

}  // namespace menufile::checks
