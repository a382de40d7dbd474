#include "SysUtils.h"

#include <windows.h>

#include <cstdlib>

#include "Text.h"

namespace gui {

namespace {

// Position just after the last '\', '/' or ':' that is not a second byte
// (the system takes '/' as '\', and so may a user's shortcut).
size_t NameStart(const std::string& s) {
  size_t start = 0;
  for (size_t i = 0; i < s.size(); i += base::CharLength(s, i))
    if (s[i] == '\\' || s[i] == '/' || s[i] == ':') start = i + 1;
  return start;
}

// Position of the last '.' in the name part, npos when there is none.
size_t ExtensionStart(const std::string& s) {
  size_t dot = std::string::npos;
  for (size_t i = NameStart(s); i < s.size(); i += base::CharLength(s, i))
    if (s[i] == '.') dot = i;
  return dot;
}

}  // namespace

std::string ExtractFilePath(const std::string& fileName) { return fileName.substr(0, NameStart(fileName)); }

std::string ExtractFileName(const std::string& fileName) { return fileName.substr(NameStart(fileName)); }

std::string ExtractFileExt(const std::string& fileName) {
  const size_t dot = ExtensionStart(fileName);
  return dot == std::string::npos ? std::string() : fileName.substr(dot);
}

std::string ChangeFileExt(const std::string& fileName, const std::string& extension) {
  return fileName.substr(0, ExtensionStart(fileName)) + extension;
}

bool FileExists(const std::string& fileName) {
  const DWORD attr = GetFileAttributesA(fileName.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

std::string IntToStr(int64_t value) { return std::to_string(value); }

int32_t StrToIntDef(const std::string& text, int32_t defaultValue) {
  int32_t value = 0;
  return base::ParseDecimal(text, value) ? value : defaultValue;
}

std::wstring AnsiToWide(const std::string& text) {
  std::wstring wide(text.size() + 1, L'\0');
  const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), int(text.size()), wide.data(), int(wide.size()));
  wide.resize(size_t(n > 0 ? n : 0));
  return wide;
}

bool WideToAnsiExact(const std::wstring& text, std::string& ansi) {
  ansi.clear();
  if (text.empty()) return true;
  BOOL lost = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), int(text.size()), nullptr, 0,
                                    nullptr, &lost);
  if (n <= 0 || lost) return false;
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), int(text.size()), out.data(), n, nullptr, &lost);
  // Whatever the system calls a fit, only a text that reads back the same
  // names the same file.
  if (lost || AnsiToWide(out) != text) return false;
  ansi = std::move(out);
  return true;
}

std::string AnsiPath(const std::wstring& path) {
  std::string ansi;
  if (WideToAnsiExact(path, ansi)) return ansi;
  const DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (n == 0) return {};
  std::wstring shortPath(n, L'\0');
  const DWORD got = GetShortPathNameW(path.c_str(), shortPath.data(), n);
  if (got == 0 || got >= n) return {};
  shortPath.resize(got);
  return WideToAnsiExact(shortPath, ansi) ? ansi : std::string();
}

std::string ShownName(const std::wstring& text) {
  std::string shown, one;
  for (size_t i = 0; i < text.size(); ++i) {
    // A character beyond the basic plane comes as a pair of halves.
    const size_t length = IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() ? 2 : 1;
    shown += WideToAnsiExact(text.substr(i, length), one) ? one : "？";
    i += length - 1;
  }
  return shown;
}

std::string ListedChars(std::string_view chars) {
  std::string listed;
  for (char c : chars) listed.append(listed.empty() ? "" : " ").push_back(c);
  return listed;
}

std::string LowerCaseAscii(std::string text) {
  for (size_t i = 0; i < text.size(); i += base::CharLength(text, i))
    if (text[i] >= 'A' && text[i] <= 'Z') text[i] = char(text[i] - 'A' + 'a');
  return text;
}

std::string ParamStr(int index) {
  if (index < 0 || index >= __argc || !__argv || !__argv[index]) return {};
  return __argv[index];
}


std::string GetModuleFileNameString() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), DWORD(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace gui
