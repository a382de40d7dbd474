#include "IconDialog.h"

#include <windows.h>

#include "Dialogs.h"

namespace {

// The dialog's path buffer: the platform's path limit, terminator included.
constexpr int kPathChars = MAX_PATH;

// Exported by shell32 under its number only. The path is UTF-16 on the NT
// family and in the system code page on the older one; the dialog returns
// non-zero when the user pressed OK.
using PickIconDlgProc = int(WINAPI*)(HWND owner, void* path, UINT capacity, int* index);

std::string FromWide(const wchar_t* text) {
  const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), n, nullptr, nullptr);
  out.resize(size_t(n - 1));
  return out;
}

}  // namespace

bool TIconDialog::Execute() {
  // A longer name would not fit the buffer; cut short it would name another
  // file, so the dialog is not opened at all.
  if (FileName.size() >= size_t(kPathChars)) return false;
  char path[kPathChars] = {};
  FileName.copy(path, FileName.size());
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  const bool wide = version.dwPlatformId == VER_PLATFORM_WIN32_NT;

  return gui::RunSystemDialog(*this, [&](HWND owner) {
    HMODULE shell32 = LoadLibraryA("shell32.dll");
    if (!shell32) return false;
    const auto pick = reinterpret_cast<PickIconDlgProc>(
        reinterpret_cast<void*>(GetProcAddress(shell32, MAKEINTRESOURCEA(62))));
    if (!pick) {
      FreeLibrary(shell32);
      return false;
    }
    int index = IconIndex;
    bool chosen;
    std::string file;
    if (wide) {
      // Never more characters than bytes, so the name fits here as well.
      wchar_t widePath[kPathChars] = {};
      MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, kPathChars);
      chosen = pick(owner, widePath, kPathChars, &index) != 0;
      widePath[kPathChars - 1] = L'\0';
      // In the system code page the chosen name may take up to twice as
      // many bytes as characters; it is converted whole.
      file = FromWide(widePath);
    } else {
      chosen = pick(owner, path, kPathChars, &index) != 0;
      path[kPathChars - 1] = '\0';
      file = path;
    }
    FreeLibrary(shell32);
    if (chosen) {
      FileName = file;
      IconIndex = index;
    }
    return chosen;
  });
}
