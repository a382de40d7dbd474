// Whole text files in and out, and the system's error texts: the part of the
// text basics that asks the system.
#include "Text.h"

#include <cstdio>

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

std::vector<std::string> LinesOf(const std::string& path, std::string_view text) {
  try {
    return SplitLines(text);
  } catch (const EmbeddedNul& e) {
    throw FileError(path + ": " + e.what());
  }
}
}  // namespace

#ifdef _WIN32

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
[[noreturn]] void ThrowLastError(const std::string& path) {
  throw FileError(path + ": " + SystemErrorText(GetLastError()));
}
}  // namespace

std::vector<std::string> LoadLines(const std::string& path) {
  const KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) ThrowLastError(path);
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Handle(), &size)) ThrowLastError(path);
  if (uint64_t(size.QuadPart) > kMaxFileSize) throw FileError(path + ": file too large");
  std::string text(static_cast<size_t>(size.QuadPart), '\0');
  DWORD got = 0;
  if (!text.empty() && !ReadFile(file.Handle(), text.data(), DWORD(text.size()), &got, nullptr))
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
  const KernelHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) ThrowLastError(path);
  DWORD written = 0;
  if (!text.empty() &&
      (!WriteFile(file.Handle(), text.data(), DWORD(text.size()), &written, nullptr) ||
       written != text.size()))
    ThrowLastError(path);
}

#else  // host build: stdio

namespace {
struct StdioFileTraits {
  using Handle = FILE*;
  static void Close(FILE* f) { std::fclose(f); }
};
using StdioFile = UniqueHandle<StdioFileTraits>;

[[noreturn]] void ThrowErrno(const std::string& path) {
  throw FileError(path + ": " + std::strerror(errno));
}
}  // namespace

std::vector<std::string> LoadLines(const std::string& path) {
  const StdioFile f(std::fopen(path.c_str(), "rb"));
  if (!f) ThrowErrno(path);
  std::string text;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f.Handle())) > 0) {
    text.append(buffer, n);
    if (text.size() > kMaxFileSize) throw FileError(path + ": file too large");
  }
  if (std::ferror(f.Handle())) ThrowErrno(path);
  return LinesOf(path, text);
}

void SaveLines(const std::string& path, const std::vector<std::string>& lines) {
  const std::string text = JoinLines(lines);
  StdioFile f(std::fopen(path.c_str(), "wb"));
  if (!f) ThrowErrno(path);
  if (std::fwrite(text.data(), 1, text.size(), f.Handle()) != text.size()) ThrowErrno(path);
  if (std::fclose(f.Release()) != 0) ThrowErrno(path);
}

#endif

}  // namespace base
