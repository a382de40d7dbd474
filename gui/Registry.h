// Settings under HKEY_CURRENT_USER, the way an INI file is read: opening a
// key creates it, a missing value reads as the caller's default.
#pragma once

#include <windows.h>

#include <string>

#include "Classes.h"

namespace gui {

class TRegIniFile : public TObject {
 public:
  // Opens (creating when missing) HKEY_CURRENT_USER\key. A key that cannot be
  // opened leaves every read at its default and every write a no-op.
  explicit TRegIniFile(const std::string& key);
  ~TRegIniFile() override;

  // The section is a subkey; an empty section means the key itself.
  std::string ReadString(const std::string& section, const std::string& ident,
                         const std::string& defaultValue) const;
  void WriteString(const std::string& section, const std::string& ident, const std::string& value);

 private:
  HKEY key_ = nullptr;
};

}  // namespace gui
