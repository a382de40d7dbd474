#include "Text.h"

#include <limits>

namespace base {

LeadByteTable::LeadByteTable() {
  for (int c = 0; c < 256; ++c)
#ifdef _WIN32
    lead[c] = IsDBCSLeadByte(BYTE(c)) != 0;
#else
    lead[c] = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
#endif
}

EmbeddedNul::EmbeddedNul(size_t offset)
    : std::runtime_error("ファイルの " + std::to_string(offset) +
                         " バイト目に NUL 文字があり、その後にも文字が続いています。") {}

bool ParseDecimal(std::string_view s, int32_t& out) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  if (i == s.size()) return false;
  int64_t value = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    value = value * 10 + (s[i] - '0');
    if (value > int64_t(std::numeric_limits<int32_t>::max()) + 1) return false;
  }
  if (negative) value = -value;
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
    return false;
  out = static_cast<int32_t>(value);
  return true;
}

std::vector<std::string> SplitLines(std::string_view text) {
  const size_t nul = text.find('\0');
  if (nul != std::string_view::npos) {
    if (text.find_first_not_of('\0', nul) != std::string_view::npos) throw EmbeddedNul(nul);
    text = text.substr(0, nul);
  }
  std::vector<std::string> lines;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  size_t total = 0;
  for (const auto& l : lines) total += l.size() + 2;
  std::string text;
  text.reserve(total);
  for (const auto& l : lines) {
    text += l;
    text += "\r\n";
  }
  return text;
}

}  // namespace base
