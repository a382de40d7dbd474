// Settings under HKEY_CURRENT_USER, the way an INI file is read: a missing
// key or value reads as the caller's default, and writing creates what is
// missing.
#pragma once

#include <windows.h>

#include <string>

#include "Classes.h"
#include "Handle.h"

namespace gui {

struct RegKeyTraits {
  using Handle = HKEY;
  static void Close(HKEY key) { RegCloseKey(key); }
};
// An open registry key with one owner.
using TRegKey = base::UniqueHandle<RegKeyTraits>;

class TRegIniFile : public TObject {
 public:
  // HKEY_CURRENT_USER\key; nothing is opened or created until a value is
  // read or written.
  explicit TRegIniFile(std::string key) : key_(std::move(key)) {}

  // The section is a subkey; an empty section means the key itself. A key
  // the user may read but not change is read all the same.
  std::string ReadString(const std::string& section, const std::string& ident,
                         const std::string& defaultValue) const;
  // Throws EOSError, naming the value and the system's reason, when the key
  // cannot be created or the value not written.
  void WriteString(const std::string& section, const std::string& ident, const std::string& value);

 private:
  std::string Path(const std::string& section) const { return section.empty() ? key_ : key_ + "\\" + section; }
  std::string key_;
};

}  // namespace gui
