// Files for tests: whole files of bytes, and a folder of a test's own.
#pragma once
#include <fstream>
#include <iterator>
#include <string>

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

#ifdef _WIN32
// A new empty folder under %TEMP%, removed with everything in it when done.
class TempFolder {
 public:
  explicit TempFolder(const std::string& tag);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }
  // Writes the file from UTF-8 text, stored as Shift-JIS, and gives its path.
  std::string WriteSjis(const std::string& name, const std::string& utf8Text) const;

 private:
  std::string path_;
};
#endif
