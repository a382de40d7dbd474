// Character steps shared by the menu file's rules: every search for a
// delimiter steps over double-byte characters, so that a second byte with the
// code of a delimiter never counts as one.
#pragma once

#include <string_view>

#include "Text.h"

namespace menufile::chars {

// Position of the first single-byte character c at or after `from`; npos
// when there is none.
inline size_t Find(std::string_view s, char c, size_t from = 0) {
  for (size_t i = from; i < s.size(); i += base::CharLength(s, i))
    if (s[i] == c) return i;
  return std::string_view::npos;
}

// True when the last character of s is the single-byte character c.
inline bool EndsWith(std::string_view s, char c) {
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < s.size(); i += base::CharLength(s, i)) last = i;
  return last != std::string_view::npos && last + 1 == s.size() && s[last] == c;
}

// Where the file name of a path starts: after its last '\\', '/' or ':'.
inline size_t NameStart(std::string_view path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); i += base::CharLength(path, i))
    if (path[i] == '\\' || path[i] == '/' || path[i] == ':') start = i + 1;
  return start;
}

inline char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// Equal but for the letter case of ASCII letters.
inline bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

}  // namespace menufile::chars
