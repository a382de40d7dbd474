// The few things the menu file rules need from the system: the code page's
// lead bytes, whole-file reading and writing, and the PATH search's probes.
#include "MenuFile.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#endif

namespace menufile {

namespace {
// Whole files are read into memory; anything this large is not a menu.
constexpr uint64_t kMaxFileSize = 64u * 1024 * 1024;

std::vector<std::string> LinesOf(const std::string& path, std::string_view text) {
  try {
    return SplitLines(text);
  } catch (const EmbeddedNul& e) {
    throw FileError(path + ": " + e.what());
  }
}
}  // namespace

#ifdef _WIN32

bool IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }

std::string SystemErrorText(unsigned long code) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string msg = n ? std::string(text, n) : "error " + std::to_string(code);
  if (text) LocalFree(text);
  while (!msg.empty() && (msg.back() == '\r' || msg.back() == '\n')) msg.pop_back();
  return msg;
}

namespace {

struct HandleCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

[[noreturn]] void ThrowLastError(const std::string& path) {
  throw FileError(path + ": " + SystemErrorText(GetLastError()));
}

class WindowsFileSystem final : public FileSystem {
 public:
  bool FileExists(const std::string& path) const override {
    const DWORD attr = GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
  }
  std::string PathVariable() const override {
    const DWORD n = GetEnvironmentVariableA("PATH", nullptr, 0);
    if (n == 0) return {};
    std::string value(n, '\0');
    const DWORD got = GetEnvironmentVariableA("PATH", value.data(), n);
    value.resize(got < n ? got : 0);
    return value;
  }
};

}  // namespace

std::vector<std::string> LoadLines(const std::string& path) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    file.release();
    ThrowLastError(path);
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) ThrowLastError(path);
  if (uint64_t(size.QuadPart) > kMaxFileSize) throw FileError(path + ": file too large");
  std::string text(static_cast<size_t>(size.QuadPart), '\0');
  DWORD got = 0;
  if (!text.empty() && !ReadFile(file.get(), text.data(), DWORD(text.size()), &got, nullptr))
    ThrowLastError(path);
  text.resize(got);
  return LinesOf(path, text);
}

void SaveLines(const std::string& path, const std::vector<std::string>& lines) {
  const std::string text = JoinLines(lines);
  // A plain rewrite in place: it leaves the archive flag alone set, which is
  // what tells the launcher that its icon cache is stale. The launcher may be
  // reading the file at that moment (it shares writing); that must not make
  // the save fail.
  FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    file.release();
    ThrowLastError(path);
  }
  DWORD written = 0;
  if (!text.empty() &&
      (!WriteFile(file.get(), text.data(), DWORD(text.size()), &written, nullptr) ||
       written != text.size()))
    ThrowLastError(path);
}

#else  // host build: the fixed Shift-JIS rule and stdio

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

namespace {

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

[[noreturn]] void ThrowErrno(const std::string& path) {
  throw FileError(path + ": " + std::strerror(errno));
}

class HostFileSystem final : public FileSystem {
 public:
  bool FileExists(const std::string& path) const override {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }
  std::string PathVariable() const override {
    const char* p = std::getenv("PATH");
    return p ? p : "";
  }
};

}  // namespace

std::vector<std::string> LoadLines(const std::string& path) {
  std::unique_ptr<FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
  if (!f) ThrowErrno(path);
  std::string text;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) {
    text.append(buffer, n);
    if (text.size() > kMaxFileSize) throw FileError(path + ": file too large");
  }
  if (std::ferror(f.get())) ThrowErrno(path);
  return LinesOf(path, text);
}

void SaveLines(const std::string& path, const std::vector<std::string>& lines) {
  const std::string text = JoinLines(lines);
  std::unique_ptr<FILE, FileCloser> f(std::fopen(path.c_str(), "wb"));
  if (!f) ThrowErrno(path);
  if (std::fwrite(text.data(), 1, text.size(), f.get()) != text.size()) ThrowErrno(path);
  if (std::fclose(f.release()) != 0) ThrowErrno(path);
}

#endif

const FileSystem& SystemFileSystem() {
#ifdef _WIN32
  static const WindowsFileSystem fs;
#else
  static const HostFileSystem fs;
#endif
  return fs;
}

}  // namespace menufile
