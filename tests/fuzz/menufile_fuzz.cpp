// Feeds arbitrary bytes through everything that reads or writes a menu file:
// the line splitter (and its NUL rule), every line function on every line and
// pair, the writer, and a reread of what the writer produced.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "MenuFile.h"
#include "Text.h"

namespace {

// The PATH search probes a fake file system so the fuzzer never touches disk.
class NoFiles final : public menufile::FileSystem {
 public:
  bool FileExists(const std::string& path) const override { return path.size() % 7 == 3; }
  std::string PathVariable() const override { return "C:\\a;;D:;C:\\b\\;\x95\\"; }
};

void Check(bool ok) {
  if (!ok) std::abort();
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
  static const NoFiles fs;

  for (size_t k = 0; k + 1 < lines.size() + 1; k += 2) {
    const std::string& name = lines[k];
    const std::string& target = k + 1 < lines.size() ? lines[k + 1] : std::string();
    Entry e;
    e.Kind = ClassifyEntry(name, target);
    int level = 0;
    try {
      const auto n = ExtractItemName(name);
      e.ItemName = n.name;
      level = n.level;
    } catch (const UnclosedMark&) {
      continue;
    }
    e.IconFileName = ExtractIconFile(name);
    e.IconIndex = ExtractIconIndex(name);
    e.WorkFolder = ExtractWorkFolder(name);
    e.WindowState = ExtractWindowState(name);
    e.ExeName = ExtractExeName(target, fs);
    e.CmdLine = ExtractCmdLine(target);
    (void)IsNoIcon(e.IconFileName);

    // Whatever was read must come back out as exactly two lines that keep
    // their level.
    const auto [nameOut, targetOut] = FormatEntryLines(level, e);
    const std::string joined = JoinLines({nameOut, targetOut});
    const auto reread = SplitLines(joined);
    Check(reread.size() <= 2);
    if (e.Kind == EntryKind::Separator) {
      Check(nameOut == std::string(size_t(level), '\t'));
    } else if (nameOut.find_first_of("\r\n") == std::string::npos &&
               (e.ItemName + e.IconFileName + e.WorkFolder).find_first_of("[]<>{}") == std::string::npos) {
      // Fields holding a mark character are not representable (the format has
      // no escapes): an icon file "]\t<" read from "<]\t<,>" writes back as a
      // line with another tab in its leading run.
      try {
        Check(ExtractItemName(nameOut).level == level);
      } catch (const UnclosedMark&) {
        // A name that itself held a mark character is not representable.
      }
    }
  }
  (void)JoinLines(lines);
  return 0;
}
