#include "MenuFile.h"

#include <algorithm>

#include "Text.h"

namespace menufile {

namespace {

constexpr char kOpeningMarks[] = "[<{";
constexpr char kClosingMarks[] = "]>}";

bool IsOneOf(char c, const char* set) {
  for (; *set; ++set)
    if (c == *set) return true;
  return false;
}

// Position of the first single-byte character c, stepping over double-byte
// characters; npos when there is none.
size_t FindChar(std::string_view s, char c, size_t from = 0) {
  for (size_t i = from; i < s.size(); i += base::CharLength(s, i))
    if (s[i] == c) return i;
  return std::string_view::npos;
}

// True when the last character of s is the single-byte character c (and not
// the second byte of a double-byte character).
bool EndsWithChar(std::string_view s, char c) {
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < s.size(); i += base::CharLength(s, i)) last = i;
  return last != std::string_view::npos && last + 1 == s.size() && s[last] == c;
}

// The text between the first opening character and the first closing
// character of the line; empty unless the closing one comes after the opening one.
std::string_view InnerText(std::string_view line, char open, char close) {
  const size_t a = FindChar(line, open);
  const size_t b = FindChar(line, close);
  if (a == std::string_view::npos || b == std::string_view::npos || b <= a) return {};
  return line.substr(a + 1, b - a - 1);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string_view IconMark(std::string_view nameLine) { return InnerText(nameLine, '<', '>'); }

}  // namespace

UnclosedMark::UnclosedMark(std::string_view line)
    : std::runtime_error("閉じていない記号（<、[、{）があります：" + std::string(line)) {}

bool IsNoIcon(std::string_view iconFileName) { return EqualsIgnoringCase(iconFileName, "none"); }

std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 0x20) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20) --e;
  return s.substr(b, e - b);
}

EntryKind ClassifyEntry(std::string_view nameLine, std::string_view targetLine) {
  if (Trim(nameLine).empty()) return EntryKind::Separator;
  if (Trim(targetLine).empty()) return EntryKind::Submenu;
  return EntryKind::Item;
}

ItemNameAndLevel ExtractItemName(std::string_view nameLine) {
  // Take the marks out, stepping over double-byte characters so that a second
  // byte with the code of a mark character (the long-vowel mark is 0x81 0x5B)
  // never opens or closes one.
  std::string kept;
  kept.reserve(nameLine.size());
  bool leadingRun = true;  // only tabs and blanks so far
  for (size_t i = 0; i < nameLine.size();) {
    const size_t len = base::CharLength(nameLine, i);
    if (len == 1 && IsOneOf(nameLine[i], kOpeningMarks)) {
      size_t j = i + 1;
      while (j < nameLine.size() && !(base::CharLength(nameLine, j) == 1 && IsOneOf(nameLine[j], kClosingMarks)))
        j += base::CharLength(nameLine, j);
      if (j >= nameLine.size()) throw UnclosedMark(nameLine);
      i = j + 1;
      continue;
    }
    const bool blank = len == 1 && nameLine[i] == ' ';
    const bool tab = len == 1 && nameLine[i] == '\t';
    if (!blank && !tab) leadingRun = false;
    // Blanks in the leading run of tabs and blanks do not count.
    if (!(blank && leadingRun)) kept.append(nameLine.substr(i, len));
    i += len;
  }

  ItemNameAndLevel result;
  const size_t tabs = std::min(kept.find_first_not_of('\t'), kept.size());
  result.level = static_cast<int>(tabs);
  result.name = std::string(Trim(std::string_view(kept).substr(tabs)));
  return result;
}

std::string ExtractIconFile(std::string_view nameLine) {
  const std::string_view t = IconMark(nameLine);
  const size_t comma = FindChar(t, ',');
  if (comma == std::string_view::npos) return {};
  return std::string(t.substr(0, comma));
}

int32_t ExtractIconIndex(std::string_view nameLine) {
  std::string_view t = IconMark(nameLine);
  const size_t comma = FindChar(t, ',');
  // Without a comma (never written so) the whole inner text is the number.
  if (comma != std::string_view::npos) t = t.substr(comma + 1);
  int32_t value = 0;
  return base::ParseDecimal(t, value) ? value : 0;
}

std::string ExtractWorkFolder(std::string_view nameLine) {
  return std::string(InnerText(nameLine, '[', ']'));
}

int32_t ExtractWindowState(std::string_view nameLine) {
  const std::string_view t = InnerText(nameLine, '{', '}');
  if (EqualsIgnoringCase(t, "MINIMIZE")) return wsMinimized;
  if (EqualsIgnoringCase(t, "MAXIMIZE")) return wsMaximized;
  return wsNormal;
}

std::string ExtractExeName(std::string_view targetLine, const FileSystem& fs) {
  const std::string_view s = Trim(targetLine);
  std::string name;
  if (!s.empty() && s[0] == '"') {
    const size_t close = FindChar(s, '"', 1);
    if (close != std::string_view::npos) name = s.substr(1, close - 1);
  } else {
    name = s.substr(0, FindChar(s, ' '));
  }
  if (name.empty() || fs.FileExists(name)) return name;

  const std::string path = fs.PathVariable();
  const std::string_view rest(path);
  for (size_t start = 0; start <= rest.size();) {
    size_t end = FindChar(rest, ';', start);
    if (end == std::string_view::npos) end = rest.size();
    std::string candidate(rest.substr(start, end - start));
    if (!candidate.empty()) {
      if (!EndsWithChar(candidate, ':') && !EndsWithChar(candidate, '\\')) candidate += '\\';
      candidate += name;
      if (fs.FileExists(candidate)) return candidate;
    }
    start = end + 1;
  }
  return name;
}

std::string ExtractCmdLine(std::string_view targetLine) {
  const std::string_view s = Trim(targetLine);
  if (!s.empty() && s[0] == '"') {
    const size_t close = FindChar(s, '"', 1);
    // After the closing quote one separating character is skipped; an unclosed
    // quote leaves the text from its third character on.
    const size_t from = close != std::string_view::npos ? close + 2 : 2;
    return from < s.size() ? std::string(s.substr(from)) : std::string();
  }
  const size_t blank = FindChar(s, ' ');
  return blank == std::string_view::npos ? std::string() : std::string(s.substr(blank + 1));
}

std::pair<std::string, std::string> FormatEntryLines(int level, const Entry& e) {
  const std::string tabs(static_cast<size_t>(std::max(level, 0)), '\t');
  std::pair<std::string, std::string> lines(tabs, tabs);
  if (e.Kind == EntryKind::Separator) return lines;

  std::string& name = lines.first;
  name += e.ItemName;
  if (!e.IconFileName.empty()) {
    name += '<';
    name += e.IconFileName;
    name += ',';
    name += std::to_string(e.IconIndex);
    name += '>';
  }
  if (!e.WorkFolder.empty()) {
    name += '[';
    name += e.WorkFolder;
    name += ']';
  }
  if (e.WindowState == wsMinimized) name += "{MINIMIZE}";
  if (e.WindowState == wsMaximized) name += "{MAXIMIZE}";

  if (e.Kind == EntryKind::Item) {
    std::string& target = lines.second;
    const bool quote = FindChar(e.ExeName, ' ') != std::string_view::npos;
    if (quote) target += '"';
    target += e.ExeName;
    if (quote) target += '"';
    if (!e.CmdLine.empty()) {
      target += ' ';
      target += e.CmdLine;
    }
  }
  return lines;
}

}  // namespace menufile
