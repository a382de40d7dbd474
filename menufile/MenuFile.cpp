#include "MenuFile.h"

#include <algorithm>

#include "Chars.h"
#include "Text.h"

namespace menufile {

using chars::Find;
using chars::EqualIgnoringCase;

namespace {

constexpr char kOpeningMarks[] = "[<{";
constexpr char kClosingMarks[] = "]>}";

bool IsOneOf(char c, const char* set) {
  for (; *set; ++set)
    if (c == *set) return true;
  return false;
}

// The text between the first opening character and the first closing
// character of the line; empty unless the closing one comes after the opening one.
std::string_view InnerText(std::string_view line, char open, char close) {
  const size_t a = Find(line, open);
  const size_t b = Find(line, close);
  if (a == std::string_view::npos || b == std::string_view::npos || b <= a) return {};
  return line.substr(a + 1, b - a - 1);
}

std::string_view IconMark(std::string_view nameLine) { return InnerText(nameLine, '<', '>'); }

}  // namespace

UnclosedMark::UnclosedMark(std::string_view line)
    : std::runtime_error("閉じていない記号（<、[、{）があります：" + std::string(line)) {}

bool IsNoIcon(std::string_view iconFileName) { return EqualIgnoringCase(iconFileName, "none"); }

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
  const size_t comma = Find(t, ',');
  if (comma == std::string_view::npos) return {};
  return std::string(t.substr(0, comma));
}

int32_t ExtractIconIndex(std::string_view nameLine) {
  std::string_view t = IconMark(nameLine);
  const size_t comma = Find(t, ',');
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
  if (EqualIgnoringCase(t, "MINIMIZE")) return wsMinimized;
  if (EqualIgnoringCase(t, "MAXIMIZE")) return wsMaximized;
  return wsNormal;
}

std::string WrittenExeName(std::string_view targetLine) {
  const std::string_view s = Trim(targetLine);
  if (!s.empty() && s[0] == '"') {
    const size_t close = Find(s, '"', 1);
    return close != std::string_view::npos ? std::string(s.substr(1, close - 1)) : std::string();
  }
  return std::string(s.substr(0, Find(s, ' ')));
}

std::string ExtractCmdLine(std::string_view targetLine) {
  const std::string_view s = Trim(targetLine);
  if (!s.empty() && s[0] == '"') {
    const size_t close = Find(s, '"', 1);
    // After the closing quote one separating character is skipped; an unclosed
    // quote leaves the text from its third character on.
    const size_t from = close != std::string_view::npos ? close + 2 : 2;
    return from < s.size() ? std::string(s.substr(from)) : std::string();
  }
  const size_t blank = Find(s, ' ');
  return blank == std::string_view::npos ? std::string() : std::string(s.substr(blank + 1));
}

std::string_view UnwritableChars(NameLineField field) {
  const std::string_view marks = "[]<>{},";
  return field == NameLineField::IconFileName ? marks : marks.substr(0, 6);
}

bool IsWritable(std::string_view text, NameLineField field) {
  for (char c : UnwritableChars(field))
    if (Find(text, c) != std::string_view::npos) return false;
  return true;
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
    const bool quote = Find(e.ExeName, ' ') != std::string_view::npos;
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
