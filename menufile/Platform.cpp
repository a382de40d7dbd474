// The few things the menu file rules need from the system: the code page's
// lead bytes and the PATH search's probes.
#include "MenuFile.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace menufile {

#ifdef _WIN32

namespace {

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

#else  // host build: the fixed Shift-JIS rule

namespace {

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

#endif

const FileSystem& SystemFileSystem() {
#ifdef _WIN32
  static const WindowsFileSystem fs;
#else
  static const HostFileSystem fs;
#endif
  return fs;
}

bool RememberingFileSystem::FileExists(const std::string& path) const {
  auto [it, fresh] = exists_.try_emplace(path, false);
  if (fresh) it->second = SystemFileSystem().FileExists(path);
  return it->second;
}

std::string RememberingFileSystem::PathVariable() const {
  if (!path_) path_ = SystemFileSystem().PathVariable();
  return *path_;
}

}  // namespace menufile
