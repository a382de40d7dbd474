// Where the names a menu file writes lead: the environment's references, the
// menu file's own folder, PATH.
#include "Chars.h"
#include "MenuFile.h"

namespace menufile {

using chars::Find;

std::string ExpandVariables(std::string_view text, const FileSystem& fs) {
  std::string out;
  size_t done = 0;
  for (size_t open = Find(text, '%'); open != std::string_view::npos;) {
    const size_t close = Find(text, '%', open + 1);
    if (close == std::string_view::npos) break;
    const std::string name(text.substr(open + 1, close - open - 1));
    const std::optional<std::string> value = name.empty() ? std::nullopt : fs.Variable(name);
    if (!value) {
      // Not a reference: its closing '%' may open the next one ("100% %X%").
      open = close;
      continue;
    }
    out.append(text.substr(done, open - done)).append(*value);
    done = close + 1;
    open = Find(text, '%', done);
  }
  return out.append(text.substr(done));
}

bool IsShellLocation(std::string_view name) { return name.size() > 2 && name.substr(0, 3) == "::{"; }

bool IsProgramName(std::string_view name) {
  // Neither a lead nor a trail byte of the code page is a '.', so the last
  // four bytes are the extension whatever stands before them.
  if (name.size() < 4 || name[name.size() - 4] != '.') return false;
  const std::string_view extension = name.substr(name.size() - 3);
  return chars::EqualIgnoringCase(extension, "exe") || chars::EqualIgnoringCase(extension, "com");
}

namespace {

// A name of a file system's own that leads somewhere from the folder it is
// looked up in: neither a full path ("C:\x", "\\server\x", "\x") nor a
// drive's ("D:x"), nor an address or a shell location ("http://...",
// "::{...}"), which any colon gives away.
bool IsRelative(std::string_view name) {
  return !name.empty() && name[0] != '\\' && name[0] != '/' && Find(name, ':') == std::string_view::npos;
}

}  // namespace

MenuNames::MenuNames(std::string_view menuFile, const FileSystem& fs)
    : folder_(menuFile.substr(0, chars::NameStart(menuFile))), fs_(fs) {}

std::pair<std::string, MenuNames::Found> MenuNames::Locate(std::string name, Sought sought) const {
  if (name.empty()) return {name, Found::Nowhere};
  const bool folder = sought == Sought::Folder;
  if (folder ? fs_.FolderExists(name) : fs_.FileExists(name)) return {name, Found::AsWritten};
  if (!folder_.empty() && IsRelative(name)) {
    std::string beside = folder_ + name;
    // A target may be a folder the menu opens; only a file counts on PATH.
    const bool there = folder ? fs_.FolderExists(beside)
                              : fs_.FileExists(beside) || (sought == Sought::Target && fs_.FolderExists(beside));
    if (there) return {std::move(beside), Found::InMenuFolder};
  }
  if (sought == Sought::Target) {
    const std::string path = fs_.Variable("PATH").value_or("");
    const std::string_view rest(path);
    for (size_t start = 0; start <= rest.size();) {
      size_t end = Find(rest, ';', start);
      if (end == std::string_view::npos) end = rest.size();
      std::string candidate(rest.substr(start, end - start));
      if (!candidate.empty()) {
        if (!chars::EndsWith(candidate, ':') && !chars::EndsWith(candidate, '\\')) candidate += '\\';
        candidate += name;
        if (fs_.FileExists(candidate)) return {std::move(candidate), Found::OnPath};
      }
      start = end + 1;
    }
  }
  return {name, Found::Nowhere};
}

std::string MenuNames::Target(std::string_view exeName) const {
  return Locate(ExpandVariables(exeName, fs_), Sought::Target).first;
}

std::string MenuNames::IconFile(std::string_view iconFile) const {
  return Locate(ExpandVariables(iconFile, fs_), Sought::IconFile).first;
}

std::string MenuNames::Folder(std::string_view workFolder) const {
  return Locate(ExpandVariables(workFolder, fs_), Sought::Folder).first;
}

std::string MenuNames::KeptTarget(std::string_view exeName) const {
  std::string expanded = ExpandVariables(exeName, fs_);
  if (expanded != exeName) return std::string(exeName);
  auto [path, found] = Locate(std::move(expanded), Sought::Target);
  return found == Found::OnPath ? path : std::string(exeName);
}

bool MenuNames::IsThere(const std::string& name) const {
  return IsShellLocation(name) || fs_.FileExists(name) || fs_.FolderExists(name);
}

EntryIcon MenuNames::Resolved(const EntryIcon& icon) const {
  EntryIcon resolved = icon;
  resolved.Location = ExpandVariables(icon.Location, fs_);
  resolved.File = icon.FileIsTarget ? Target(icon.File) : IconFile(icon.File);
  return resolved;
}

}  // namespace menufile
