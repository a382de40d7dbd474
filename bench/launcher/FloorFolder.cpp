// The floor a folder submenu is measured against: the least a Win32 program
// does to show a folder's entries as a popup at the mouse: the folder listed
// in the file system's order into plain items, with no sorting, no pictures
// and nothing left out but "." and "..". It marks the steps of the
// launcher's start-up it shares, for the benchmark's breakdown.
//
//   FloorFolder.exe <folder>
#include <windows.h>

#include <string>

#include "StartupTrace.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  StartupStep("entry (libraries loaded)");
  const char* folder = __argc > 1 ? __argv[1] : ".";
  wchar_t wide[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, folder, -1, wide, MAX_PATH);
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = instance;
  wc.lpszClassName = "FloorFolderOwner";
  RegisterClassA(&wc);
  HWND owner = CreateWindowA(wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  StartupStep("application window");
  HMENU menu = CreatePopupMenu();
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileW((std::wstring(wide) + L"\\*").c_str(), &data);
  UINT_PTR id = 0;
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (lstrcmpW(data.cFileName, L".") != 0 && lstrcmpW(data.cFileName, L"..") != 0)
        AppendMenuW(menu, MF_STRING, ++id, data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  StartupStep("system menu made");
  POINT p{};
  GetCursorPos(&p);
  SetForegroundWindow(owner);
  StartupStep("foreground");
  TrackPopupMenu(menu, TPM_RETURNCMD, p.x, p.y, 0, owner, nullptr);
  return 0;
}
