#include "Registry.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace gui {

TRegIniFile::TRegIniFile(const std::string& key) {
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                      &key_, nullptr) != ERROR_SUCCESS)
    key_ = nullptr;
}

TRegIniFile::~TRegIniFile() {
  if (key_) RegCloseKey(key_);
}

std::string TRegIniFile::ReadString(const std::string& section, const std::string& ident,
                                    const std::string& defaultValue) const {
  if (!key_) return defaultValue;
  HKEY sub = key_;
  if (!section.empty() &&
      RegCreateKeyExA(key_, section.c_str(), 0, nullptr, 0, KEY_READ, nullptr, &sub, nullptr) !=
          ERROR_SUCCESS)
    return defaultValue;

  std::string result = defaultValue;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(sub, ident.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    std::vector<char> buffer(size + 1, '\0');
    if (RegQueryValueExA(sub, ident.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) == ERROR_SUCCESS) {
      // The stored value need not end in a NUL; the extra byte guarantees one.
      result.assign(buffer.data(), strnlen(buffer.data(), std::min<size_t>(size, buffer.size())));
    }
  }
  if (sub != key_) RegCloseKey(sub);
  return result;
}

void TRegIniFile::WriteString(const std::string& section, const std::string& ident,
                              const std::string& value) {
  if (!key_) return;
  HKEY sub = key_;
  if (!section.empty() &&
      RegCreateKeyExA(key_, section.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &sub, nullptr) !=
          ERROR_SUCCESS)
    return;
  RegSetValueExA(sub, ident.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 DWORD(value.size() + 1));
  if (sub != key_) RegCloseKey(sub);
}

}  // namespace gui
