// Text basics that the menu file rules and the component layer share: whole
// text files as lines, decimal numbers, and the system's error texts.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace base {

// A NUL byte with text after it. A reader that ended the text there would
// drop every line after it without a word, and a program saving what it read
// would cut the file short, so such a text is refused.
class EmbeddedNul : public std::runtime_error {
 public:
  explicit EmbeddedNul(size_t offset);
};

// Reading or writing a file failed; the message names the file and the cause.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
// The file was read, but what it holds is no text (a NUL byte inside it).
class FileContentError : public FileError {
 public:
  using FileError::FileError;
};

// Splits text into lines: CR LF, LF and a lone CR each end a line; a last line
// without a break counts; a break at the very end adds no line. NUL bytes that
// run to the very end (padding) end the text; any other NUL throws EmbeddedNul.
std::vector<std::string> SplitLines(std::string_view text);

// Every line followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);

// Reads a whole file into lines; throws FileError when it cannot be read, and
// FileContentError when it holds a NUL byte before its end.
std::vector<std::string> LoadLines(const std::string& path);

// Replaces the whole content of the file in one step, or throws FileError
// with the cause and leaves it as it was; a read-only file is refused.
void SaveLines(const std::string& path, const std::vector<std::string>& lines);

// The bytes that start a double-byte character of the ANSI code page, one
// flag each. On Windows the system is asked once for all 256 (a walk by
// characters asks for every byte, and a call into the system for each took
// a third of the time of reading a long menu); elsewhere it is the fixed
// Shift-JIS rule.
struct LeadByteTable {
  LeadByteTable();
  bool lead[256];
};

// True when c starts a double-byte character of the ANSI code page.
inline bool IsLeadByte(unsigned char c) {
  static const LeadByteTable table;
  return table.lead[c];
}

// Length of the character that starts at i: two for a lead byte that still
// has its second byte inside s, else one. A lead byte at the very end stands
// alone, so no walk ever reads past the end of the text. (A second byte can
// look like '\\', '|' or '[': a walk by characters never takes it for one.)
inline size_t CharLength(std::string_view s, size_t i) {
  return IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

// A signed decimal number that fits 32 bits, blanks allowed before it.
bool ParseDecimal(std::string_view text, int32_t& value);

#ifdef _WIN32
// The system's text for an error code, without its line break.
std::string SystemErrorText(unsigned long code);

// What SaveLines hands the bytes to: WriteFile, unless a test puts a failing
// disk in its place. Returns the one it replaces; null restores WriteFile.
using FileWriter = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
FileWriter SetFileWriter(FileWriter writer);
#endif

}  // namespace base
