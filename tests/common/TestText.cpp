#include "TestText.h"

#include <stdexcept>

#ifdef _WIN32
#include <windows.h>

namespace {
// A UTF-16 unit takes at most three bytes in either.
std::string Convert(std::string_view text, UINT from, UINT to) {
  std::wstring wide(text.size(), L'\0');
  wide.resize(size_t(MultiByteToWideChar(from, 0, text.data(), int(text.size()), wide.data(), int(wide.size()))));
  std::string out(3 * wide.size(), '\0');
  out.resize(
      size_t(WideCharToMultiByte(to, 0, wide.data(), int(wide.size()), out.data(), int(out.size()), nullptr, nullptr)));
  return out;
}
}  // namespace

std::string sjis(std::string_view text) { return Convert(text, CP_UTF8, 932); }
std::string utf8(std::string_view text) { return Convert(text, 932, CP_UTF8); }

#else
#include <iconv.h>

namespace {
std::string Convert(std::string_view text, const char* from, const char* to) {
  iconv_t cd = iconv_open(to, from);
  if (cd == iconv_t(-1)) throw std::runtime_error("iconv_open failed");
  std::string in(text), out(text.size() * 4 + 4, '\0');
  char* ip = in.data();
  char* op = out.data();
  size_t il = in.size(), ol = out.size();
  const size_t r = iconv(cd, &ip, &il, &op, &ol);
  iconv_close(cd);
  if (r == size_t(-1)) throw std::runtime_error("text does not convert");
  out.resize(out.size() - ol);
  return out;
}
}  // namespace

std::string sjis(std::string_view text) { return Convert(text, "UTF-8", "CP932"); }
std::string utf8(std::string_view text) { return Convert(text, "CP932", "UTF-8"); }
#endif
