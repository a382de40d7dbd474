// File-name and number helpers. Paths are byte strings in the ANSI code page;
// every search for '\' or ':' steps over double-byte characters, whose second
// byte may carry the code of '\'.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gui {

// Up to and including the last '\' or ':'; empty when there is neither.
std::string ExtractFilePath(const std::string& fileName);
// What follows the last '\' or ':'.
std::string ExtractFileName(const std::string& fileName);
// From the last '.' of the name part on, the dot included; empty when none.
std::string ExtractFileExt(const std::string& fileName);
// The name with its extension replaced (or appended when it has none).
std::string ChangeFileExt(const std::string& fileName, const std::string& extension);
// True when a file (not a folder) exists under that name.
bool FileExists(const std::string& fileName);

std::string IntToStr(int64_t value);
// A signed decimal integer, else the default.
int32_t StrToIntDef(const std::string& text, int32_t defaultValue);
// ASCII letters only, which is how file extensions and keywords compare.
std::string LowerCaseAscii(std::string text);

// Text in the system code page as UTF-16, for the interfaces that take
// nothing else; and back, only when every character survives the code page:
// false where the system would have put a "?" or a look-alike in place of one.
std::wstring AnsiToWide(const std::string& text);
bool WideToAnsiExact(const std::wstring& text, std::string& ansi);
// A path in the code page: as it is when it survives, else the short (8.3)
// name the file system keeps for it; empty when neither can stand for it.
std::string AnsiPath(const std::wstring& path);
// A name for a message: each character the code page lacks shown as "？".
std::string ShownName(const std::wstring& text);
// Single-byte characters as a message lists them, a blank between each:
// "[ ] < >".
std::string ListedChars(std::string_view chars);

// Program argument i as the runtime split the command line (0 is the
// program); empty when there is no such argument.
std::string ParamStr(int index);

// The full path of the running program.
std::string GetModuleFileNameString();

}  // namespace gui
