// Feeds arbitrary bytes through everything that reads or writes a menu file:
// the line splitter (and its NUL rule), the reader with each program's level
// rule (and so every line function), the icon table, the names of a menu
// (references, its folder, PATH), the writer, and a reread of what the
// writer produced.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "MenuFile.h"
#include "Text.h"

namespace {

// The names are looked up in a fake system, so the fuzzer never touches
// disk or the environment.
class NoFiles final : public menufile::FileSystem {
 public:
  bool FileExists(const std::string& path) const override { return path.size() % 7 == 3; }
  bool FolderExists(const std::string& path) const override { return path.size() % 5 == 1; }
  std::optional<std::string> Variable(const std::string& name) const override {
    if (name == "PATH") return "C:\\a;;D:;C:\\b\\;\x95\\";
    if (name.size() % 3 == 0) return std::nullopt;
    return name.size() % 2 ? "%" + name : "\x81[" + name;
  }
};

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckEntry(const menufile::MenuEntry& e, const std::vector<menufile::MenuEntry>& before,
                menufile::LevelRule rule) {
  using namespace menufile;
  static const NoFiles fs;
  Check(e.Parent < int(before.size()));
  if (rule == LevelRule::Launcher)
    Check(e.Parent < 0 ? e.Level == 0 : before[size_t(e.Parent)].Level == e.Level - 1);

  for (IconColumn column : {IconColumn::Editor, IconColumn::Launcher}) {
    const EntryIcon icon = IconOf(e, column);
    Check(icon.File.empty() || icon.FileIsTarget == e.IconFileName.empty());
    const MenuNames names(e.WorkFolder, fs);
    (void)names.Resolved(icon);
    (void)names.KeptTarget(e.ExeName);
    (void)names.Folder(e.WorkFolder);
    (void)names.Options(e.CmdLine);
    (void)names.IsThere(e.ExeName);
  }

  // Whatever was read must come back out as exactly two lines that keep
  // their level.
  const auto [nameOut, targetOut] = FormatEntryLines(e.Level, e);
  const auto reread = base::SplitLines(base::JoinLines({nameOut, targetOut}));
  Check(reread.size() <= 2);
  if (e.Kind == EntryKind::Separator) {
    Check(nameOut == std::string(size_t(e.Level), '\t'));
  } else if (nameOut.find_first_of("\r\n") == std::string::npos &&
             (e.ItemName + e.IconFileName + e.WorkFolder).find_first_of("[]<>{}") == std::string::npos) {
    // Fields holding a mark character are not representable (the format has
    // no escapes): an icon file "]\t<" read from "<]\t<,>" writes back as a
    // line with another tab in its leading run.
    try {
      Check(ExtractItemName(nameOut).level == e.Level);
    } catch (const UnclosedMark&) {
      // A name that itself held a mark character is not representable.
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace menufile;
  using namespace base;
  const std::string text(reinterpret_cast<const char*>(data), size);
  // A NUL with anything but NULs after it makes the text no menu file; NULs
  // running to the end are padding. No line ever holds a NUL.
  const size_t nul = text.find('\0');
  const bool textAfterNul = nul != std::string::npos && text.find_first_not_of('\0', nul) != std::string::npos;
  std::vector<std::string> lines;
  try {
    lines = SplitLines(text);
  } catch (const EmbeddedNul&) {
    Check(textAfterNul);
    return 0;
  }
  Check(!textAfterNul);
  for (const auto& line : lines) Check(line.find('\0') == std::string::npos);

  for (LevelRule rule : {LevelRule::Editor, LevelRule::Launcher}) {
    // After a bad entry the reading starts again with the next pair, so that
    // every pair is read.
    for (size_t from = 0; from < lines.size();) {
      const std::vector<std::string> rest(lines.begin() + std::ptrdiff_t(from), lines.end());
      MenuReader reader(rest, rule);
      std::vector<MenuEntry> read;
      try {
        for (MenuEntry e; reader.Next(e);) {
          Check(reader.Index() == int(read.size()));
          CheckEntry(e, read, rule);
          read.push_back(std::move(e));
        }
        break;
      } catch (const UnclosedMark&) {
      } catch (const LevelJump&) {
        Check(rule == LevelRule::Launcher);
      }
      from += 2 * (read.size() + 1);
    }
  }
  (void)JoinLines(lines);
  return 0;
}
