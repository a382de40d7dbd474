// The floor the launcher is measured against: the least a Win32 program can
// do to show a popup of N plain items at the mouse.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const int count = __argc > 1 ? std::atoi(__argv[1]) : 10;
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = instance;
  wc.lpszClassName = "FloorPopupOwner";
  RegisterClassA(&wc);
  HWND owner = CreateWindowA(wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  HMENU menu = CreatePopupMenu();
  char caption[32];
  for (int i = 0; i < count; ++i) {
    std::snprintf(caption, sizeof caption, "Item %d", i);
    AppendMenuA(menu, MF_STRING, UINT_PTR(i + 1), caption);
  }
  POINT p{};
  GetCursorPos(&p);
  SetForegroundWindow(owner);
  TrackPopupMenu(menu, TPM_RETURNCMD, p.x, p.y, 0, owner, nullptr);
  return 0;
}
