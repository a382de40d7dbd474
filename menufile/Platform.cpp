// The few things the menu file rules need from the system: which files and
// folders there are, and the environment's variables.
#include "MenuFile.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace menufile {

namespace {

#ifdef _WIN32

class WindowsFileSystem final : public FileSystem {
 public:
  bool FileExists(const std::string& path) const override {
    const DWORD attr = GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
  }
  bool FolderExists(const std::string& path) const override {
    const DWORD attr = GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
  }
  std::optional<std::string> Variable(const std::string& name) const override {
    // Asked in UTF-16: Wine's GetEnvironmentVariableA cuts a value with
    // double-byte characters short (at its length in UTF-16 units).
    const std::wstring wideName = Wide(name);
    std::wstring value;
    // A value may grow between the two calls; then it is asked again.
    for (DWORD size = 256;;) {
      value.assign(size, L'\0');
      SetLastError(ERROR_SUCCESS);
      const DWORD n = GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
      if (n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      if (n < size) {
        value.resize(n);
        return Ansi(value);
      }
      size = n;
    }
  }

 private:
  static std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(size_t(MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(), int(wide.size()))));
    return wide;
  }
  static std::string Ansi(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string ansi(size_t(n > 0 ? n : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), ansi.data(), n, nullptr, nullptr);
    return ansi;
  }
};

#else  // host build: the process's own files and environment

class HostFileSystem final : public FileSystem {
 public:
  bool FileExists(const std::string& path) const override {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }
  bool FolderExists(const std::string& path) const override {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }
  std::optional<std::string> Variable(const std::string& name) const override {
    const char* value = std::getenv(name.c_str());
    return value ? std::optional<std::string>(value) : std::nullopt;
  }
};

#endif

}  // namespace

const FileSystem& SystemFileSystem() {
#ifdef _WIN32
  static const WindowsFileSystem fs;
#else
  static const HostFileSystem fs;
#endif
  return fs;
}

bool RememberingFileSystem::FileExists(const std::string& path) const {
  auto [it, fresh] = files_.try_emplace(path, false);
  if (fresh) it->second = SystemFileSystem().FileExists(path);
  return it->second;
}

bool RememberingFileSystem::FolderExists(const std::string& path) const {
  auto [it, fresh] = folders_.try_emplace(path, false);
  if (fresh) it->second = SystemFileSystem().FolderExists(path);
  return it->second;
}

std::optional<std::string> RememberingFileSystem::Variable(const std::string& name) const {
  auto [it, fresh] = variables_.try_emplace(name);
  if (fresh) it->second = SystemFileSystem().Variable(name);
  return it->second;
}

}  // namespace menufile
