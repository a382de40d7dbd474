// Whole text files in and out, and the system's error texts: the part of the
// text basics that asks the system.
#include "Text.h"

#include <cstdio>
#include <utility>

#include "Handle.h"

#ifndef _WIN32
#include <cerrno>
#include <cstring>
#endif

namespace base {

namespace {
// Whole files are read into memory; anything this large is not a text the
// programs keep.
constexpr uint64_t kMaxFileSize = 64u * 1024 * 1024;

// What the user is told: which file, what was being done, and why.
std::string Unreadable(const std::string& path, const std::string& reason) {
  return "「" + path + "」を読めません。\n" + reason;
}
std::string Unwritable(const std::string& path, const std::string& reason) {
  return "「" + path + "」に保存できません。\n" + reason;
}
const char kTooLarge[] = "ファイルが大きすぎます（64 MB まで）。";

std::vector<std::string> LinesOf(const std::string& path, std::string_view text) {
  try {
    return SplitLines(text);
  } catch (const EmbeddedNul& e) {
    throw FileContentError(Unreadable(path, e.what()));
  }
}
}  // namespace

#ifdef _WIN32

std::string SystemErrorText(unsigned long code) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string msg = n ? std::string(text, n) : "エラー " + std::to_string(code);
  if (text) LocalFree(text);
  while (!msg.empty() && (msg.back() == '\r' || msg.back() == '\n')) msg.pop_back();
  return msg;
}

namespace {
[[noreturn]] void ThrowReadError(const std::string& path, DWORD code) {
  throw FileError(Unreadable(path, SystemErrorText(code)));
}
[[noreturn]] void ThrowWriteError(const std::string& path, DWORD code) {
  throw FileError(Unwritable(path, SystemErrorText(code)));
}
}  // namespace

std::vector<std::string> LoadLines(const std::string& path) {
  // A save puts a new file in this one's place in one step, and holds it
  // for that moment alone.
  KernelHandle file;
  for (int attempt = 0; !file; ++attempt) {
    file.SetHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file && (GetLastError() != ERROR_SHARING_VIOLATION || attempt == 40)) ThrowReadError(path, GetLastError());
    if (!file) Sleep(25);
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Handle(), &size)) ThrowReadError(path, GetLastError());
  if (uint64_t(size.QuadPart) > kMaxFileSize) throw FileError(Unreadable(path, kTooLarge));
  std::string text(static_cast<size_t>(size.QuadPart), '\0');
  DWORD got = 0;
  if (!text.empty() && !ReadFile(file.Handle(), text.data(), DWORD(text.size()), &got, nullptr))
    ThrowReadError(path, GetLastError());
  text.resize(got);
  return LinesOf(path, text);
}

namespace {
FileWriter& Writer() {
  static FileWriter writer = ::WriteFile;
  return writer;
}

// The folder part of a path, with its last separator, and how many
// characters the name after it has; a separator can be the second byte of a
// double-byte character, which is stepped over.
struct PathParts {
  std::string folder;
  size_t nameLength;
};
PathParts Split(const std::string& path) {
  size_t end = 0, characters = 0;
  for (size_t i = 0; i < path.size(); i += CharLength(path, i)) {
    ++characters;
    if (path[i] == '\\' || path[i] == '/' || path[i] == ':') end = i + 1, characters = 0;
  }
  return {path.substr(0, end), characters};
}

// Candidate n for the name of the new content: never longer than the file's
// own name, so that it fits wherever the file itself fits (a short menu name
// in a deep folder leaves no room for more). Empty once the names of that
// length are used up.
std::string TemporaryName(size_t length, unsigned n) {
  static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  if (length >= 11) {
    if (n > 0xFF) return {};
    char name[32];
    std::snprintf(name, sizeof name, "~%04lx%02x.new", GetCurrentProcessId() & 0xFFFFul, n);
    return name;
  }
  // "~", base-36 digits and ".new" where they fit; else "~" and digits, or
  // a digit alone for a one-character name.
  const bool extension = length >= 6;
  const size_t digits = extension ? length - 5 : length > 1 ? length - 1 : 1;
  std::string name(digits, '0');
  for (size_t i = digits; i-- > 0; n /= 36) name[i] = kDigits[n % 36];
  if (n != 0) return {};
  return (length > 1 ? "~" : "") + name + (extension ? ".new" : "");
}

// The new content goes to a file of its own beside the old one; it goes
// again unless it took the old one's place.
class NewContent {
 public:
  // `attributes`: those of the file it replaces, if any, which it keeps;
  // `named`: that file as the user named it, for a failure.
  NewContent(const std::string& path, DWORD attributes, const std::string& named) {
    const PathParts parts = Split(path);
    for (unsigned n = 0; n < 0x400; ++n) {
      const std::string name = TemporaryName(parts.nameLength, n);
      if (name.empty()) break;
      name_ = parts.folder + name;
      // Archive: what a written file carries, and what tells the launcher to
      // build its icon cache again. A hidden or system file stays so.
      file_.SetHandle(CreateFileA(name_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr));
      if (file_) return;
      const DWORD code = GetLastError();
      if (code != ERROR_FILE_EXISTS) ThrowWriteError(named, code);
    }
    ThrowWriteError(named, ERROR_FILE_EXISTS);
  }
  ~NewContent() {
    file_.SetHandle(nullptr);
    if (!placed_) DeleteFileA(name_.c_str());
  }
  HANDLE Handle() const { return file_.Handle(); }
  const std::string& Name() const { return name_; }
  // Closes the file; errors of a delayed write surface here.
  bool Close() { return CloseHandle(file_.Release()) != FALSE; }
  void Placed() { placed_ = true; }

 private:
  std::string name_;
  KernelHandle file_;
  bool placed_ = false;
};

// The file a path ends at: a symbolic link's target, which is the file the
// user edits (replacing the link would leave the link a copy of its own and
// the target as it was). The path itself where the system cannot say.
std::string FinalPath(const std::string& path) {
  using GetFinalPathName = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
  static const auto getFinalPathName = reinterpret_cast<GetFinalPathName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA")));
  if (!getFinalPathName) return path;
  const KernelHandle file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return path;
  char buffer[MAX_PATH * 2];
  const DWORD n = getFinalPathName(file.Handle(), buffer, sizeof buffer, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n == 0 || n >= sizeof buffer) return path;
  const std::string_view found(buffer, n);
  if (found.starts_with("\\\\?\\UNC\\")) return "\\\\" + std::string(found.substr(8));
  if (found.starts_with("\\\\?\\")) return std::string(found.substr(4));
  return std::string(found);
}
}  // namespace

FileWriter SetFileWriter(FileWriter writer) { return std::exchange(Writer(), writer ? writer : ::WriteFile); }

void SaveLines(const std::string& named, const std::vector<std::string>& lines) {
  const std::string path = FinalPath(named);
  const std::string text = JoinLines(lines);
  // Whole or not at all: the new content is written and flushed beside the
  // file, then takes its place in one step. A failure on the way (a full
  // disk, a share that went away) leaves the file as it was, and a reader
  // (the launcher) sees the old file or the new one, never a mix.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  // A read-only file is the user's word that it stays as it is; a folder is
  // no file to replace.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    ThrowWriteError(named, ERROR_ACCESS_DENIED);
  const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  NewContent content(path, FILE_ATTRIBUTE_ARCHIVE | (attributes == INVALID_FILE_ATTRIBUTES ? 0 : attributes & kept),
                     named);
  DWORD written = 0;
  if (!text.empty() && !Writer()(content.Handle(), text.data(), DWORD(text.size()), &written, nullptr))
    ThrowWriteError(named, GetLastError());
  // A write that stops short without an error has run out of room; the last
  // error would still tell of an earlier call.
  if (written != text.size()) ThrowWriteError(named, ERROR_DISK_FULL);
  if (!FlushFileBuffers(content.Handle()) || !content.Close()) ThrowWriteError(named, GetLastError());
  // A reader that holds the file (the launcher reads it whole, in a moment)
  // keeps it from being replaced until it lets go.
  for (int attempt = 0;; ++attempt) {
    if (MoveFileExA(content.Name().c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      break;
    const DWORD code = GetLastError();
    if ((code != ERROR_SHARING_VIOLATION && code != ERROR_ACCESS_DENIED) || attempt == 20) ThrowWriteError(named, code);
    Sleep(50);
  }
  content.Placed();
}

#else  // host build: stdio

namespace {
struct StdioFileTraits {
  using Handle = FILE*;
  static void Close(FILE* f) { std::fclose(f); }
};
using StdioFile = UniqueHandle<StdioFileTraits>;

[[noreturn]] void ThrowReadErrno(const std::string& path) { throw FileError(Unreadable(path, std::strerror(errno))); }
[[noreturn]] void ThrowWriteErrno(const std::string& path) { throw FileError(Unwritable(path, std::strerror(errno))); }
}  // namespace

std::vector<std::string> LoadLines(const std::string& path) {
  const StdioFile f(std::fopen(path.c_str(), "rb"));
  if (!f) ThrowReadErrno(path);
  std::string text;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f.Handle())) > 0) {
    text.append(buffer, n);
    if (text.size() > kMaxFileSize) throw FileError(Unreadable(path, kTooLarge));
  }
  if (std::ferror(f.Handle())) ThrowReadErrno(path);
  return LinesOf(path, text);
}

void SaveLines(const std::string& path, const std::vector<std::string>& lines) {
  // As on Windows: beside the file first, then in its place in one step.
  const std::string text = JoinLines(lines), temporary = path + ".new";
  StdioFile f(std::fopen(temporary.c_str(), "wb"));
  if (!f) ThrowWriteErrno(path);
  if (std::fwrite(text.data(), 1, text.size(), f.Handle()) != text.size() || std::fclose(f.Release()) != 0 ||
      std::rename(temporary.c_str(), path.c_str()) != 0) {
    const int cause = errno;
    std::remove(temporary.c_str());
    errno = cause;
    ThrowWriteErrno(path);
  }
}

#endif

}  // namespace base
