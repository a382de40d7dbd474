#include "TestFiles.h"

#include <windows.h>
#include <shellapi.h>

#include <stdexcept>

#include "TestText.h"

TempFolder::TempFolder(const std::string& tag) {
  char temp[MAX_PATH];
  const DWORD n = GetTempPathA(sizeof temp, temp);
  static unsigned counter = 0;
  for (int attempt = 0; n && n < sizeof temp && attempt < 100; ++attempt) {
    path_ = std::string(temp) + "ostrevan-" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(counter++);
    if (CreateDirectoryA(path_.c_str(), nullptr)) return;
  }
  throw std::runtime_error("cannot make a temporary folder");
}

TempFolder::~TempFolder() {
  // Read-only files too; the shell takes a list of names ending in an empty one.
  const std::string list = path_ + '\0';
  SHFILEOPSTRUCTA remove{};
  remove.wFunc = FO_DELETE;
  remove.pFrom = list.c_str();
  remove.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
  SHFileOperationA(&remove);
}

std::string TempFolder::WriteSjis(const std::string& name, const std::string& utf8Text) const {
  WriteBytes(File(name), sjis(utf8Text));
  return File(name);
}
