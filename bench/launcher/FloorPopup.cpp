// The floor the launcher is measured against: the least a Win32 program can
// do to show a popup of N plain items at the mouse. It marks the launcher's
// start-up steps it shares, for the benchmark's breakdown.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "StartupTrace.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  StartupStep("entry (libraries loaded)");
  const int count = __argc > 1 ? std::atoi(__argv[1]) : 10;
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = instance;
  wc.lpszClassName = "FloorPopupOwner";
  RegisterClassA(&wc);
  HWND owner = CreateWindowA(wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  StartupStep("application window");
  HMENU menu = CreatePopupMenu();
  char caption[32];
  for (int i = 0; i < count; ++i) {
    std::snprintf(caption, sizeof caption, "Item %d", i);
    AppendMenuA(menu, MF_STRING, UINT_PTR(i + 1), caption);
  }
  StartupStep("system menu made");
  POINT p{};
  GetCursorPos(&p);
  SetForegroundWindow(owner);
  StartupStep("foreground");
  TrackPopupMenu(menu, TPM_RETURNCMD, p.x, p.y, 0, owner, nullptr);
  return 0;
}
