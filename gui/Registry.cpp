#include "Registry.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Text.h"

namespace gui {

std::string TRegIniFile::ReadString(const std::string& section, const std::string& ident,
                                    const std::string& defaultValue) const {
  // Read access only: opening for writing would fail on a key the user
  // may only read, and every setting would silently fall back.
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, Path(section).c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
    return defaultValue;
  const TRegKey key(opened);
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(opened, ident.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return defaultValue;
  std::vector<char> buffer(size + 1, '\0');
  if (RegQueryValueExA(opened, ident.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
      ERROR_SUCCESS)
    return defaultValue;
  // The stored value need not end in a NUL; the extra byte guarantees one.
  return std::string(buffer.data(), strnlen(buffer.data(), std::min<size_t>(size, buffer.size())));
}

void TRegIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
  const std::string path = Path(section);
  HKEY opened = nullptr;
  LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened,
                                nullptr);
  const TRegKey key(result == ERROR_SUCCESS ? opened : nullptr);
  if (result == ERROR_SUCCESS)
    result = RegSetValueExA(opened, ident.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            DWORD(value.size() + 1));
  if (result != ERROR_SUCCESS)
    throw EOSError("レジストリ「HKEY_CURRENT_USER\\" + path + "」に「" + ident + "」を書き込めません。\r\n" +
                   base::SystemErrorText(DWORD(result)));
}

}  // namespace gui
